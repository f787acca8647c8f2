// The toolkit's connection to the window system, opened once by a program
// that shows its desktop windows.
#ifndef QEL_SHELL_DESKTOP_DESKTOP_H
#define QEL_SHELL_DESKTOP_DESKTOP_H

#include <string>

namespace quelmark {

class Desktop {
public:
    // Whether DISPLAY names a window system at all.
    static bool named();
    // Connects; false with the reason when no window system can be reached.
    static bool open(std::string& why);
};

} // namespace quelmark

#endif
