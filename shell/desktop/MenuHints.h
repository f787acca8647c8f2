// Status-line hints for menu items. The toolkit's menus do not tell which
// item is highlighted, so the items are drawn by a label type of ours: it
// draws them as the normal label type does and sees, from the contrasting
// colour the menu gives a highlighted item, which one is highlighted.
#ifndef QEL_SHELL_DESKTOP_MENUHINTS_H
#define QEL_SHELL_DESKTOP_MENUHINTS_H

#include <FL/Enumerations.H>

#include <functional>
#include <map>
#include <string>

class Fl_Menu_;
struct Fl_Label;

namespace quelmark {

class MenuHints {
public:
    // show receives the hint of the highlighted item, or "" when none is.
    explicit MenuHints(std::function<void(const std::string&)> show);
    ~MenuHints();
    MenuHints(const MenuHints&) = delete;
    MenuHints& operator=(const MenuHints&) = delete;

    // Gives the hint to the item of the menu with this label ("&Render").
    void add(Fl_Menu_& menu, const char* label, const char* hint);
    // The menu closed: no item is highlighted any more.
    void reset();

private:
    static void draw(const Fl_Label* label, int x, int y, int w, int h, Fl_Align align);
    static void measure(const Fl_Label* label, int& w, int& h);
    void drawn(const std::string& label, bool highlighted);

    struct Item {
        std::string hint;
        bool highlighted = false;
    };
    std::function<void(const std::string&)> fShow;
    std::map<std::string, Item> fItems;
    std::string fShown;
    Fl_Color fNormal = FL_FOREGROUND_COLOR;
    static MenuHints* fCurrent;
};

} // namespace quelmark

#endif
