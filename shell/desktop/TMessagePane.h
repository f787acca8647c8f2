// The message window on the screen: a read-only, multi-line text view at
// the heart of the main frame, showing the lines of the shell's TRendEdit
// and keeping the newest one in sight.
#ifndef QEL_SHELL_DESKTOP_TMESSAGEPANE_H
#define QEL_SHELL_DESKTOP_TMESSAGEPANE_H

#include "shell/TRendEdit.h"

#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

namespace quelmark {

class TMessagePane : public Fl_Text_Display, public MessageView {
public:
    static constexpr Fl_Font kFont = FL_COURIER;
    static constexpr int kFontSize = 14;

    // Sized to show columns average characters by rows lines.
    TMessagePane(int x, int y, int columns, int rows);
    ~TMessagePane() override;
    TMessagePane(const TMessagePane&) = delete;
    TMessagePane& operator=(const TMessagePane&) = delete;

    void lineAdded(const std::string& line, Severity severity) override;
    void cleared() override;

    // The text as shown, each line ending in a line feed.
    std::string shownText() const;
    int shownLines() const;

    // The size that shows columns by rows of the font.
    static int widthFor(int columns);
    static int heightFor(int rows);

private:
    Fl_Text_Buffer fText;
};

} // namespace quelmark

#endif
