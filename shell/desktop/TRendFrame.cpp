#include "shell/desktop/TRendFrame.h"

#include "shell/desktop/TMessagePane.h"
#include "shell/desktop/WindowIcon.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>

#include <cstring>

namespace quelmark {

namespace {

constexpr int kMenuHeight = 25, kStatusHeight = 22, kStatusInset = 6;

int frameWidth() {
    return TMessagePane::widthFor(TRendFrame::kColumns);
}

int frameHeight() {
    return kMenuHeight + TMessagePane::heightFor(TRendFrame::kRows) + kStatusHeight;
}

// The item's own label: the part of the path after the menu's name.
const char* itemLabel(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

} // namespace

TRendFrame::TRendFrame(const char* title, std::vector<Command> commands, const WindowIcon& icon)
    : Fl_Double_Window(frameWidth(), frameHeight(), title), fCommands(std::move(commands)),
      fHints([this](const std::string& hint) { showHint(hint); }),
      fMenuBar(0, 0, frameWidth(), kMenuHeight, fHints),
      fPane(std::make_unique<TMessagePane>(0, kMenuHeight, kColumns, kRows)),
      fStatusFrame(0, frameHeight() - kStatusHeight, frameWidth(), kStatusHeight),
      fStatus(kStatusInset, frameHeight() - kStatusHeight, frameWidth() - 2 * kStatusInset,
              kStatusHeight) {
    fStatusFrame.end();
    end();
    for (Command& command : fCommands)
        fMenuBar.add(command.path, 0, &commandChosen, &command);
    for (const Command& command : fCommands)
        fHints.add(fMenuBar, itemLabel(command.path), command.hint);
    fStatusFrame.box(FL_THIN_DOWN_BOX);
    fStatusFrame.resizable(fStatus);
    fStatus.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    resizable(*fPane);
    size_range(frameWidth() / 4, kMenuHeight + kStatusHeight + 60);
    icon.applyTo(*this);
    callback(&TRendFrame::closeAsked);
}

// Escape, which closes the toolkit's windows, leaves the main frame open.
void TRendFrame::closeAsked(Fl_Widget* frame, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    frame->hide();
}

TRendFrame::~TRendFrame() = default;

int TRendFrame::MenuBar::handle(int event) {
    int used = Fl_Menu_Bar::handle(event);
    // A menu shows while the base class handles a push or a shortcut.
    if (event == FL_PUSH || event == FL_SHORTCUT || event == FL_KEYBOARD) fHints.reset();
    return used;
}

void TRendFrame::commandChosen(Fl_Widget* menu, void* command) {
    auto* frame = static_cast<TRendFrame*>(menu->window());
    frame->run(*static_cast<const Command*>(command));
}

void TRendFrame::run(const Command& command) {
    fHints.reset();
    if (command.run) command.run();
}

bool TRendFrame::choose(const char* path) {
    for (const Command& command : fCommands) {
        if (std::string(command.path) != path) continue;
        run(command);
        return true;
    }
    return false;
}

void TRendFrame::showHint(const std::string& hint) {
    fStatus.copy_label(hint.c_str());
    fStatusFrame.redraw();
}

} // namespace quelmark
