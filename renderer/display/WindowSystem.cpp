#include "renderer/display/WindowSystem.h"

#include "common/Error.h"
#include "renderer/display/TDisplayWindow.h"
#include "renderer/display/XScreen.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <csignal>
#include <cstdlib>
#include <poll.h>

namespace quelmark {

namespace {

// The X library keeps one error handler and one connection-error handler for
// the whole process; ours answer for our connection and hand every other
// connection's errors to the handlers that were there before.
::Display* gOurs = nullptr;
int gLastError = 0;
bool gBroken = false;
XErrorHandler gPreviousErrorHandler = nullptr;
XIOErrorHandler gPreviousIOErrorHandler = nullptr;

int onError(::Display* display, XErrorEvent* event) {
    if (display != gOurs && gPreviousErrorHandler) return gPreviousErrorHandler(display, event);
    if (gLastError == 0) gLastError = event->error_code;
    return 0;
}

int onIOError(::Display* display) {
    if (display != gOurs && gPreviousIOErrorHandler) return gPreviousIOErrorHandler(display);
    gBroken = true;
    return 0;
}

// Called instead of ending the process when our connection breaks.
void onIOErrorExit(::Display*, void*) {
    gBroken = true;
}

void installErrorHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    gPreviousErrorHandler = XSetErrorHandler(onError);
    gPreviousIOErrorHandler = XSetIOErrorHandler(onIOError);
}

// A broken connection must not end the render with SIGPIPE: the writes to it
// fail instead and the windows are given up. A program that handles the
// signal itself keeps its handler.
void surviveBrokenConnections() {
    struct sigaction current = {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
}

const char* visualProblem(const Visual* visual, int depth) {
    if (visual->c_class == TrueColor) return nullptr;
    if (visual->c_class == PseudoColor && depth <= 8) return nullptr;
    return "the screen shows neither true colour nor a palette of 8 bits or fewer";
}

} // namespace

void XScreen::setMasks(unsigned long red, unsigned long green, unsigned long blue) {
    fRed = fromMask(red);
    fGreen = fromMask(green);
    fBlue = fromMask(blue);
}

XScreen::Channel XScreen::fromMask(unsigned long mask) {
    Channel c;
    if (mask == 0) return c;
    c.shift = std::countr_zero(mask);
    c.most = mask >> c.shift;
    return c;
}

WindowSystem& WindowSystem::instance() {
    static WindowSystem system;
    return system;
}

const XScreen* WindowSystem::screen() {
    WindowSystem& system = instance();
    if (!system.fEnabled) return nullptr;
    if (!system.fTried) {
        system.fTried = true;
        system.connect();
    }
    system.giveUpIfBroken();
    return system.fScreen.get();
}

const std::string& WindowSystem::failure() {
    return instance().fFailure;
}

void WindowSystem::setEnabled(bool enabled) {
    WindowSystem& system = instance();
    system.fEnabled = enabled;
    if (!enabled) system.fFailure = "display windows are turned off";
}

bool WindowSystem::enabled() {
    return instance().fEnabled;
}

bool WindowSystem::connect() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        fFailure = "no window system (DISPLAY is not set)";
        return false;
    }
    ::Display* connection = XOpenDisplay(name);
    if (!connection) {
        fFailure = std::string("cannot connect to the window system at ") + name;
        return false;
    }
    int screen = DefaultScreen(connection);
    Visual* visual = DefaultVisual(connection, screen);
    int depth = DefaultDepth(connection, screen);
    if (const char* problem = visualProblem(visual, depth)) {
        fFailure = problem;
        XCloseDisplay(connection);
        return false;
    }
    gOurs = connection;
    gBroken = false;
    installErrorHandlers();
    surviveBrokenConnections();
    XSetIOErrorExitHandler(connection, onIOErrorExit, nullptr);

    auto s = std::make_unique<XScreen>();
    s->connection = connection;
    s->screen = screen;
    s->root = RootWindow(connection, screen);
    s->visual = visual;
    s->depth = depth;
    s->kind = visual->c_class == TrueColor ? XScreen::Kind::kTrueColor : XScreen::Kind::kPalette;
    s->paletteSize = visual->map_entries;
    s->setMasks(visual->red_mask, visual->green_mask, visual->blue_mask);
    s->protocols = XInternAtom(connection, "WM_PROTOCOLS", False);
    s->deleteWindow = XInternAtom(connection, "WM_DELETE_WINDOW", False);
    s->netWmName = XInternAtom(connection, "_NET_WM_NAME", False);
    s->utf8String = XInternAtom(connection, "UTF8_STRING", False);
    s->netWmIcon = XInternAtom(connection, "_NET_WM_ICON", False);
    fScreen = std::move(s);
    fFailure.clear();
    return true;
}

int WindowSystem::takeError() {
    int code = gLastError;
    gLastError = 0;
    return code;
}

TDisplayWindow* WindowSystem::adopt(std::unique_ptr<TDisplayWindow> window) {
    WindowSystem& system = instance();
    system.fWindows.push_back(std::move(window));
    return system.fWindows.back().get();
}

void WindowSystem::release(TDisplayWindow* window) {
    auto& windows = instance().fWindows;
    auto found = std::find_if(windows.begin(), windows.end(),
                              [window](const auto& open) { return open.get() == window; });
    if (found != windows.end()) windows.erase(found);
}

bool WindowSystem::firstTelling(const std::string& why) {
    std::vector<std::string>& told = instance().fTold;
    if (std::find(told.begin(), told.end(), why) != told.end()) return false;
    told.push_back(why);
    return true;
}

int WindowSystem::openWindows() {
    return int(instance().fWindows.size());
}

int WindowSystem::connectionNumber() {
    WindowSystem& system = instance();
    if (!system.fScreen || gBroken) return -1;
    return ConnectionNumber(system.fScreen->connection);
}

void WindowSystem::sync() {
    WindowSystem& system = instance();
    if (system.fScreen && !gBroken) XSync(system.fScreen->connection, False);
    system.giveUpIfBroken();
}

int WindowSystem::processEvents(long waitMilliseconds) {
    WindowSystem& system = instance();
    if (!system.fScreen) return 0;
    if (!gBroken && XPending(system.fScreen->connection) == 0 && waitMilliseconds > 0 &&
        !system.fWindows.empty())
        system.waitForEvent(waitMilliseconds);
    if (!gBroken) system.dispatchPending();
    system.giveUpIfBroken();
    return openWindows();
}

bool WindowSystem::waitForEvent(long milliseconds) const {
    struct pollfd wait = {ConnectionNumber(fScreen->connection), POLLIN, 0};
    return ::poll(&wait, 1, int(std::min(milliseconds, 1000L * 60 * 60))) > 0;
}

TDisplayWindow* WindowSystem::find(unsigned long window) const {
    for (const auto& open : fWindows)
        if (open->id() == window) return open.get();
    return nullptr;
}

void WindowSystem::dispatchPending() {
    ::Display* connection = fScreen->connection;
    while (!gBroken && XPending(connection) > 0) {
        XEvent event;
        XNextEvent(connection, &event);
        TDisplayWindow* window = find(event.xany.window);
        if (!window) continue;
        switch (event.type) {
        case Expose:
            window->Paint(event.xexpose.x, event.xexpose.y, event.xexpose.width,
                          event.xexpose.height);
            break;
        case FocusIn:
            window->EvQueryNewPalette();
            break;
        case ClientMessage:
            if (event.xclient.message_type == fScreen->protocols &&
                Atom(event.xclient.data.l[0]) == fScreen->deleteWindow)
                window->Destroy();
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == window->id()) window->destroyedOutside();
            break;
        default:
            break;
        }
    }
}

void WindowSystem::giveUpIfBroken() {
    if (gBroken && fScreen) connectionLost();
}

void WindowSystem::connectionLost() {
    const int lost = openWindows();
    quelmark::error(kErrNone, kWarning,
                    "the connection to the window system broke; %d display window%s lost", lost,
                    lost == 1 ? " is" : "s are");
    for (const auto& window : fWindows) {
        window->connectionLost();
        displayWindowClosed(window.get());
    }
    fWindows.clear();
    // The X library knows the connection broke and only frees its memory.
    XCloseDisplay(fScreen->connection);
    fScreen.reset();
    gOurs = nullptr;
    fFailure = "the connection to the window system broke";
}

void WindowSystem::shutdown() {
    WindowSystem& system = instance();
    system.giveUpIfBroken();
    for (const auto& window : system.fWindows)
        displayWindowClosed(window.get());
    system.fWindows.clear();
    if (system.fScreen) {
        XCloseDisplay(system.fScreen->connection);
        system.fScreen.reset();
    }
    gOurs = nullptr;
    gBroken = false;
    system.fTried = false;
    system.fTold.clear();
    if (system.fEnabled) system.fFailure.clear();
}

} // namespace quelmark
