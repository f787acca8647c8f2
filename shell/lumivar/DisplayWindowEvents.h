// Serves the renderer's display windows from the toolkit's event loop: the
// windows' connection is watched beside the toolkit's own, and whatever
// arrived is handled before the loop waits again.
#ifndef QEL_SHELL_LUMIVAR_DISPLAYWINDOWEVENTS_H
#define QEL_SHELL_LUMIVAR_DISPLAYWINDOWEVENTS_H

namespace quelmark {

class DisplayWindowEvents {
public:
    DisplayWindowEvents();
    ~DisplayWindowEvents();
    DisplayWindowEvents(const DisplayWindowEvents&) = delete;
    DisplayWindowEvents& operator=(const DisplayWindowEvents&) = delete;

private:
    static void beforeWaiting(void* self);
    static void readable(int fd, void* self);
    // The connection opens with the first window and may break later.
    void followConnection();

    int fWatched = -1;
};

} // namespace quelmark

#endif
