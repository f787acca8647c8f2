#include "shell/desktop/Desktop.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <FL/x.H>

#include <cstdlib>

namespace quelmark {

bool Desktop::named() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

// The toolkit ends the program when it cannot connect, so a connection of
// our own is tried first.
bool Desktop::open(std::string& why) {
    if (!named()) {
        why = "no window system (DISPLAY is not set)";
        return false;
    }
    ::Display* trial = XOpenDisplay(nullptr);
    if (!trial) {
        why = std::string("cannot connect to the window system \"") + std::getenv("DISPLAY") + "\"";
        return false;
    }
    XCloseDisplay(trial);
    fl_open_display();
    Fl::scheme("gtk+");
    // The message boxes answer with OK, as the programs' users know them.
    fl_close = "OK";
    return true;
}

} // namespace quelmark
