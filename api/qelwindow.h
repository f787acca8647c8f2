// The renderer library's display windows, for the programs that drive it.
//
// Each frame that renders opens a window showing its image, when there is a
// window system (DISPLAY). While a scene renders the library handles its
// windows' events between buckets; afterwards the windows stay on the screen
// until the user closes them, as long as the program keeps calling
// qelWindowEvents. When the connection to the window system breaks, the
// windows are given up and rendering goes on; so that writing to a broken
// connection cannot end the program, the library ignores SIGPIPE from its
// first window on, unless the program has a handler of its own for it.
// Only libpictrel.so has these; the scene writer has no windows.
#ifndef QEL_API_QELWINDOW_H
#define QEL_API_QELWINDOW_H

#include "api/qel.h"

extern "C" {

// Handles the windows' pending events (repainting, closing); when none is
// pending, first waits up to waitMilliseconds for one. Returns the number of
// display windows still open.
QEL_API int qelWindowEvents(long waitMilliseconds);

// The number of display windows still open.
QEL_API int qelWindowsOpen();

// The file descriptor of the windows' connection to the window system, -1
// while there is none, for a program's own event loop: when it becomes
// readable, qelWindowEvents(0) handles what arrived. The connection opens
// with the first window and closes when it breaks, so a program asks again
// after each scene.
QEL_API int qelWindowConnection();

// 0 keeps later frames from opening windows (their images are still kept
// and saved as asked); 1, the default, lets them open again.
QEL_API void qelWindowsEnable(int enable);

} // extern "C"

#endif
