// A second client of the X server, for the tests: it looks at the screen as
// the user sees it and closes windows as a window manager does.
#ifndef QEL_TESTS_DISPLAY_XCLIENT_H
#define QEL_TESTS_DISPLAY_XCLIENT_H

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

class XClient {
public:
    // Connects to the window system of DISPLAY.
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool connected() const { return fConnection != nullptr; }
    // Whether the screen shows the colours of an installed colour map.
    bool paletteScreen() const;

    // Every top-level window: the root's children and, under a window
    // manager, the programs' windows within its frames.
    std::vector<unsigned long> topLevelWindows() const;
    // The top-level windows whose name is title.
    std::vector<unsigned long> windowsNamed(const std::string& title) const;
    // Waits up to seconds for count windows named title; returns them.
    std::vector<unsigned long> waitForWindows(const std::string& title, size_t count,
                                              double seconds) const;
    std::string name(unsigned long window) const;
    bool size(unsigned long window, int& width, int& height) const;
    // The smallest and largest size the window asks the window manager for.
    bool sizeLimits(unsigned long window, int& minWidth, int& minHeight, int& maxWidth,
                    int& maxHeight) const;

    // The values of the window's 32-bit CARDINAL property name; empty when
    // the window has no such property.
    std::vector<uint32_t> cardinals(unsigned long window, const char* name) const;

    // The screen's colours (0x00BBGGRR) over the window's area, row by row.
    std::vector<uint32_t> screenshot(unsigned long window) const;
    // The colour map installed on the screen and its first count colours.
    unsigned long installedColormap() const;
    std::vector<uint32_t> colormapColors(unsigned long colormap, int count) const;
    unsigned long colormapOf(unsigned long window) const;

    // Asks the window's owner to close it (WM_DELETE_WINDOW).
    void close(unsigned long window) const;
    // Installs the screen's default colour map, as another program would.
    void installDefaultColormap() const;
    // Gives the window the keyboard focus, as a window manager does.
    void focus(unsigned long window) const;
    // Hides and shows the window again, so that its owner must repaint it.
    void remap(unsigned long window) const;

private:
    uint32_t colorOf(unsigned long pixel, unsigned long colormap) const;

    _XDisplay* fConnection = nullptr;
};

#endif
