#include "tests/renderer/display/XClient.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <map>
#include <thread>

namespace {

uint32_t channelOf(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    unsigned long most = mask >> std::countr_zero(mask);
    unsigned long value = (pixel & mask) >> std::countr_zero(mask);
    return uint32_t(most == 255 ? value : (value * 255 + most / 2) / most);
}

} // namespace

XClient::XClient() : fConnection(XOpenDisplay(nullptr)) {}

XClient::~XClient() {
    if (fConnection) XCloseDisplay(fConnection);
}

bool XClient::paletteScreen() const {
    return DefaultVisual(fConnection, DefaultScreen(fConnection))->c_class == PseudoColor;
}

namespace {

// A window may go away while the tree is walked; its errors mean nothing.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

std::vector<Window> childrenOf(Display* connection, Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (!XQueryTree(connection, window, &root, &parent, &children, &count)) return found;
    found.assign(children, children + count);
    if (children) XFree(children);
    return found;
}

// The windows a window manager has put into frames of its own, marked by
// the WM_STATE it gives them.
void addManagedWindows(Display* connection, Window window, Atom wmState, int depth,
                       std::vector<unsigned long>& found) {
    for (Window child : childrenOf(connection, window)) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, left = 0;
        unsigned char* data = nullptr;
        bool managed = XGetWindowProperty(connection, child, wmState, 0, 0, False, AnyPropertyType,
                                          &type, &format, &items, &left, &data) == Success &&
                       type != None;
        if (data) XFree(data);
        if (managed)
            found.push_back(child);
        else if (depth > 0)
            addManagedWindows(connection, child, wmState, depth - 1, found);
    }
}

} // namespace

// Without a window manager the programs' windows are the root's children;
// with one they sit within its frames.
std::vector<unsigned long> XClient::topLevelWindows() const {
    XSync(fConnection, False);
    XErrorHandler previous = XSetErrorHandler(ignoreError);
    Window root = DefaultRootWindow(fConnection);
    std::vector<unsigned long> found;
    for (Window child : childrenOf(fConnection, root))
        found.push_back(child);
    Atom wmState = XInternAtom(fConnection, "WM_STATE", False);
    std::vector<unsigned long> managed;
    for (Window frame : childrenOf(fConnection, root))
        addManagedWindows(fConnection, frame, wmState, 2, managed);
    for (unsigned long window : managed)
        if (std::find(found.begin(), found.end(), window) == found.end()) found.push_back(window);
    XSync(fConnection, False);
    XSetErrorHandler(previous);
    return found;
}

std::vector<unsigned long> XClient::windowsNamed(const std::string& title) const {
    std::vector<unsigned long> found;
    for (unsigned long window : topLevelWindows())
        if (name(window) == title) found.push_back(window);
    return found;
}

std::vector<unsigned long> XClient::waitForWindows(const std::string& title, size_t count,
                                                   double seconds) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::vector<unsigned long> found = windowsNamed(title);
    while (found.size() < count && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        found = windowsNamed(title);
    }
    return found;
}

std::string XClient::name(unsigned long window) const {
    char* text = nullptr;
    std::string result;
    if (XFetchName(fConnection, window, &text) && text) result = text;
    if (text) XFree(text);
    return result;
}

bool XClient::size(unsigned long window, int& width, int& height) const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(fConnection, window, &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool XClient::sizeLimits(unsigned long window, int& minWidth, int& minHeight, int& maxWidth,
                         int& maxHeight) const {
    XSizeHints hints = {};
    long supplied = 0;
    if (!XGetWMNormalHints(fConnection, window, &hints, &supplied)) return false;
    if (!(hints.flags & PMinSize) || !(hints.flags & PMaxSize)) return false;
    minWidth = hints.min_width;
    minHeight = hints.min_height;
    maxWidth = hints.max_width;
    maxHeight = hints.max_height;
    return true;
}

std::vector<uint32_t> XClient::cardinals(unsigned long window, const char* name) const {
    XSync(fConnection, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    std::vector<uint32_t> values;
    const Atom property = XInternAtom(fConnection, name, False);
    if (XGetWindowProperty(fConnection, window, property, 0, 1L << 20, False, XA_CARDINAL, &type,
                           &format, &count, &left, &data) == Success &&
        type == XA_CARDINAL && format == 32 && left == 0) {
        // Xlib hands 32-bit items over as longs.
        const long* items = reinterpret_cast<const long*>(data);
        for (unsigned long k = 0; k < count; ++k)
            values.push_back(uint32_t(items[k]));
    }
    if (data) XFree(data);
    return values;
}

std::vector<uint32_t> XClient::screenshot(unsigned long window) const {
    XSync(fConnection, False);
    int width = 0, height = 0, x = 0, y = 0;
    Window root = DefaultRootWindow(fConnection), child = 0;
    if (!size(window, width, height) ||
        !XTranslateCoordinates(fConnection, window, root, 0, 0, &x, &y, &child))
        return {};
    XImage* image =
        XGetImage(fConnection, root, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<uint32_t> colors;
    colors.reserve(size_t(width) * size_t(height));
    const unsigned long colormap = paletteScreen() ? installedColormap() : 0;
    std::map<unsigned long, uint32_t> known;
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            unsigned long pixel = XGetPixel(image, column, row);
            auto found = known.find(pixel);
            if (found == known.end()) found = known.emplace(pixel, colorOf(pixel, colormap)).first;
            colors.push_back(found->second);
        }
    XDestroyImage(image);
    return colors;
}

uint32_t XClient::colorOf(unsigned long pixel, unsigned long colormap) const {
    if (!colormap) {
        const Visual* visual = DefaultVisual(fConnection, DefaultScreen(fConnection));
        return channelOf(pixel, visual->red_mask) | channelOf(pixel, visual->green_mask) << 8 |
               channelOf(pixel, visual->blue_mask) << 16;
    }
    XColor color = {};
    color.pixel = pixel;
    XQueryColor(fConnection, colormap, &color);
    return uint32_t(color.red >> 8) | uint32_t(color.green >> 8) << 8 |
           uint32_t(color.blue >> 8) << 16;
}

unsigned long XClient::installedColormap() const {
    int count = 0;
    Colormap* maps = XListInstalledColormaps(fConnection, DefaultRootWindow(fConnection), &count);
    unsigned long map = count > 0 ? maps[0] : 0;
    if (maps) XFree(maps);
    return map;
}

std::vector<uint32_t> XClient::colormapColors(unsigned long colormap, int count) const {
    std::vector<uint32_t> colors;
    for (int k = 0; k < count; ++k)
        colors.push_back(colorOf(unsigned(k), colormap));
    return colors;
}

unsigned long XClient::colormapOf(unsigned long window) const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(fConnection, window, &attributes)) return 0;
    return attributes.colormap;
}

void XClient::close(unsigned long window) const {
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(fConnection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(fConnection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(fConnection, window, False, NoEventMask, &event);
    XSync(fConnection, False);
}

void XClient::installDefaultColormap() const {
    XInstallColormap(fConnection, DefaultColormap(fConnection, DefaultScreen(fConnection)));
    XSync(fConnection, False);
}

void XClient::focus(unsigned long window) const {
    XSetInputFocus(fConnection, window, RevertToPointerRoot, CurrentTime);
    XSync(fConnection, False);
}

void XClient::remap(unsigned long window) const {
    XUnmapWindow(fConnection, window);
    XSync(fConnection, False);
    XMapWindow(fConnection, window);
    XSync(fConnection, False);
}
