#include "tests/renderer/display/XClient.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

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

std::vector<unsigned long> XClient::topLevelWindows() const {
    std::vector<unsigned long> found;
    Window root = DefaultRootWindow(fConnection), parent = 0, *children = nullptr;
    unsigned count = 0;
    XSync(fConnection, False);
    if (!XQueryTree(fConnection, root, &root, &parent, &children, &count)) return found;
    found.assign(children, children + count);
    if (children) XFree(children);
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
