#include "shell/desktop/TMessagePane.h"

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <cstdlib>

namespace quelmark {

namespace {

// The text view's own margins beside the text, left and right together.
constexpr int kTextMargins = 6;

int averageCharWidth() {
    fl_font(TMessagePane::kFont, TMessagePane::kFontSize);
    const char* sample = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return int(fl_width(sample) / 52 + 0.5);
}

} // namespace

TMessagePane::TMessagePane(int x, int y, int columns, int rows)
    : Fl_Text_Display(x, y, widthFor(columns), heightFor(rows)) {
    buffer(&fText);
    textfont(kFont);
    textsize(kFontSize);
    box(FL_DOWN_BOX);
}

TMessagePane::~TMessagePane() {
    buffer(nullptr);
}

int TMessagePane::widthFor(int columns) {
    return columns * averageCharWidth() + kTextMargins + Fl::scrollbar_size() +
           Fl::box_dw(FL_DOWN_BOX);
}

int TMessagePane::heightFor(int rows) {
    fl_font(kFont, kFontSize);
    return rows * fl_height() + Fl::box_dh(FL_DOWN_BOX) + 2;
}

void TMessagePane::lineAdded(const std::string& line, Severity) {
    fText.append(line.c_str());
    fText.append("\n");
    insert_position(fText.length());
    show_insert_position();
}

void TMessagePane::cleared() {
    fText.text("");
}

std::string TMessagePane::shownText() const {
    char* text = const_cast<Fl_Text_Buffer&>(fText).text();
    std::string copy = text ? text : "";
    std::free(text);
    return copy;
}

int TMessagePane::shownLines() const {
    return const_cast<Fl_Text_Buffer&>(fText).count_lines(0, fText.length());
}

} // namespace quelmark
