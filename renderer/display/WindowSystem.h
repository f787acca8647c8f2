// The connection to the X window system that the display windows share, and
// the windows still on the screen. The connection opens when the first
// window is asked for. Without a window system (no DISPLAY, a connection
// that fails or breaks, a screen we cannot draw on) there is none, and the
// displays keep their images in memory only.
#ifndef QEL_RENDERER_DISPLAY_WINDOWSYSTEM_H
#define QEL_RENDERER_DISPLAY_WINDOWSYSTEM_H

#include <memory>
#include <string>
#include <vector>

namespace quelmark {

struct XScreen;
class TDisplayWindow;

class WindowSystem {
public:
    // The screen, connecting on first use; null when there is no window
    // system or windows are turned off. failure() tells why.
    static const XScreen* screen();
    static const std::string& failure();

    // Whether displays open windows at all; on unless turned off.
    static void setEnabled(bool enabled);
    static bool enabled();

    // Handles the pending events of the display windows (repaints, closing);
    // when none is pending, first waits up to waitMilliseconds for one.
    // Returns the number of windows still open. Never connects.
    static int processEvents(long waitMilliseconds);
    static int openWindows();
    // The connection's file descriptor, -1 without one.
    static int connectionNumber();
    // Waits until the server has carried out every request sent so far.
    static void sync();

    // Takes a new window into the list of open ones.
    static TDisplayWindow* adopt(std::unique_ptr<TDisplayWindow> window);
    // Destroys a window of the list.
    static void release(TDisplayWindow* window);

    // True the first time a reason for showing no window comes up (since
    // the last shutdown), so that it is told once, not for every frame.
    static bool firstTelling(const std::string& why);

    // Closes every window and the connection; the next screen() connects again.
    static void shutdown();

    // The X error codes since the last call, 0 when there was none; the
    // caller syncs first so that its own requests have been answered.
    static int takeError();

private:
    static WindowSystem& instance();
    bool connect();
    void dispatchPending();
    bool waitForEvent(long milliseconds) const;
    // Once the connection broke, the windows are given up and it is closed.
    void giveUpIfBroken();
    void connectionLost();
    TDisplayWindow* find(unsigned long window) const;

    std::unique_ptr<XScreen> fScreen;
    std::string fFailure;
    bool fTried = false;
    bool fEnabled = true;
    std::vector<std::unique_ptr<TDisplayWindow>> fWindows;
    std::vector<std::string> fTold;
};

} // namespace quelmark

#endif
