#include "shell/desktop/MenuHints.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/fl_draw.H>

namespace quelmark {

MenuHints* MenuHints::fCurrent = nullptr;

namespace {

constexpr Fl_Labeltype kHintLabel = FL_FREE_LABELTYPE;

} // namespace

MenuHints::MenuHints(std::function<void(const std::string&)> show) : fShow(std::move(show)) {
    Fl::set_labeltype(kHintLabel, &MenuHints::draw, &MenuHints::measure);
    fCurrent = this;
}

MenuHints::~MenuHints() {
    if (fCurrent == this) fCurrent = nullptr;
}

void MenuHints::add(Fl_Menu_& menu, const char* label, const char* hint) {
    for (int k = 0; k < menu.size(); ++k) {
        const Fl_Menu_Item& item = menu.menu()[k];
        if (!item.label() || std::string(item.label()) != label) continue;
        // The menu keeps its items in an array of its own, made by add().
        const_cast<Fl_Menu_Item&>(item).labeltype(kHintLabel);
        fItems[label].hint = hint;
    }
    fNormal = menu.textcolor();
}

void MenuHints::reset() {
    for (auto& [label, item] : fItems)
        item.highlighted = false;
    if (fShown.empty()) return;
    fShown.clear();
    fShow(fShown);
}

void MenuHints::draw(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align) {
    fl_font(label->font, label->size);
    fl_color(static_cast<Fl_Color>(label->color));
    fl_draw(label->value, x, y, w, h, align, label->image);
    if (fCurrent && label->value)
        fCurrent->drawn(label->value, static_cast<Fl_Color>(label->color) != fCurrent->fNormal);
}

void MenuHints::measure(const Fl_Label* label, int& w, int& h) {
    fl_font(label->font, label->size);
    fl_measure(label->value, w, h);
}

// A move of the highlight redraws the item left and the item reached.
void MenuHints::drawn(const std::string& label, bool highlighted) {
    auto found = fItems.find(label);
    if (found == fItems.end()) return;
    found->second.highlighted = highlighted;
    std::string shown;
    for (const auto& [name, item] : fItems)
        if (item.highlighted) shown = item.hint;
    if (shown == fShown) return;
    fShown = shown;
    fShow(fShown);
}

} // namespace quelmark
