#include "shell/lumivar/DisplayWindowEvents.h"

#include "api/qelwindow.h"

#include <FL/Fl.H>

namespace quelmark {

DisplayWindowEvents::DisplayWindowEvents() {
    Fl::add_check(&DisplayWindowEvents::beforeWaiting, this);
}

DisplayWindowEvents::~DisplayWindowEvents() {
    Fl::remove_check(&DisplayWindowEvents::beforeWaiting, this);
    if (fWatched >= 0) Fl::remove_fd(fWatched);
}

// Events already read from the connection wait in its queue, where the
// descriptor does not show them; they are handled here.
void DisplayWindowEvents::beforeWaiting(void* self) {
    qelWindowEvents(0);
    static_cast<DisplayWindowEvents*>(self)->followConnection();
}

void DisplayWindowEvents::readable(int, void* self) {
    qelWindowEvents(0);
    static_cast<DisplayWindowEvents*>(self)->followConnection();
}

void DisplayWindowEvents::followConnection() {
    int fd = qelWindowConnection();
    if (fd == fWatched) return;
    if (fWatched >= 0) Fl::remove_fd(fWatched);
    fWatched = fd;
    if (fWatched >= 0) Fl::add_fd(fWatched, FL_READ, &DisplayWindowEvents::readable, this);
}

} // namespace quelmark
