#include "DesktopDriver.h"

#include "shell/desktop/Desktop.h"
#include "shell/desktop/TDesktopShell.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Text_Display.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

using namespace quelmark;

namespace {

constexpr double kTick = 0.01;

} // namespace

bool DesktopDriver::open() {
    std::string why;
    return Desktop::open(why);
}

Fl_Window* DesktopDriver::window(const char* caption) {
    for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window))
        if (window->label() && std::strcmp(window->label(), caption) == 0) return window;
    return nullptr;
}

std::string DesktopDriver::textShown(Fl_Group& window) {
    Fl_Text_Display* view = find<Fl_Text_Display>(window);
    if (!view || !view->buffer()) return "";
    char* text = view->buffer()->text();
    std::string copy = text ? text : "";
    std::free(text);
    return copy;
}

bool DesktopDriver::labelIs(const Fl_Widget& widget, const char* label) {
    return !label || (widget.label() && std::strcmp(widget.label(), label) == 0);
}

void DesktopDriver::script(std::function<bool()> step) {
    stop();
    fStep = std::move(step);
    fDone = false;
    Fl::add_check(&DesktopDriver::runScript, this);
    Fl::add_timeout(kTick, &DesktopDriver::tick, this);
    fRegistered = true;
}

void DesktopDriver::tick(void* self) {
    if (!static_cast<DesktopDriver*>(self)->fDone)
        Fl::repeat_timeout(kTick, &DesktopDriver::tick, self);
}

void DesktopDriver::runScript(void* self) {
    auto* driver = static_cast<DesktopDriver*>(self);
    if (driver->fDone || !driver->fStep) return;
    // Removing a check from within a check is left to stop().
    if (driver->fStep()) driver->fDone = true;
}

void DesktopDriver::stop() {
    if (fRegistered) {
        Fl::remove_check(&DesktopDriver::runScript, this);
        Fl::remove_timeout(&DesktopDriver::tick, this);
    }
    fRegistered = false;
}

DesktopDriver::~DesktopDriver() {
    stop();
}

void DesktopDriver::respond(const std::function<void()>& open, const char* caption,
                            const char* button, const std::string& screenshot,
                            const std::function<void(Fl_Window&)>& look) {
    int ticks = 0;
    DesktopDriver driver;
    driver.script([&] {
        Fl_Window* shown = window(caption);
        if (!shown) return false;
        look(*shown);
        // A click before the window is on the screen would go astray.
        if (++ticks == 5) DesktopDriver::screenshot(*shown, screenshot);
        if (ticks % 20 == 6)
            if (Fl_Button* chosen = find<Fl_Button>(*shown, button)) click(*chosen);
        return false;
    });
    open();
}

std::string DesktopDriver::aboutText(TRendFrame& frame, const char* caption, const char* text,
                                     const std::string& screenshot) {
    std::string shown;
    respond([&frame] { frame.choose(TDesktopShell::kAboutPath); }, caption, "OK", screenshot,
            [&](Fl_Window& about) {
                if (Fl_Box* box = find<Fl_Box>(about, text)) shown = box->label();
            });
    return shown;
}

void DesktopDriver::movePointer(int x, int y) {
    XTestFakeMotionEvent(fl_display, -1, x, y, 0);
    XFlush(fl_display);
}

void DesktopDriver::clickAt(int x, int y) {
    movePointer(x, y);
    XTestFakeButtonEvent(fl_display, 1, True, 0);
    XTestFakeButtonEvent(fl_display, 1, False, 0);
    XFlush(fl_display);
}

void DesktopDriver::click(Fl_Widget& widget) {
    Fl_Window* top = widget.top_window();
    int x = widget.x() + widget.w() / 2, y = widget.y() + widget.h() / 2;
    if (top && top != &widget) {
        x += top->x();
        y += top->y();
    }
    clickAt(x, y);
}

void DesktopDriver::pressKey(unsigned long keysym) {
    KeyCode code = XKeysymToKeycode(fl_display, keysym);
    XTestFakeKeyEvent(fl_display, code, True, 0);
    XTestFakeKeyEvent(fl_display, code, False, 0);
    XFlush(fl_display);
}

void DesktopDriver::settle() {
    for (int round = 0; round < 20; ++round) {
        XSync(fl_display, False);
        Fl::check();
    }
}

// Around the window, so that a window manager's title bar shows too.
void DesktopDriver::screenshot(const Fl_Window& window, const std::string& name) {
    const int side = 8, top = 32;
    int x = std::max(0, window.x() - side), y = std::max(0, window.y() - top);
    int right = std::min(Fl::w(), window.x() + window.w() + side);
    int bottom = std::min(Fl::h(), window.y() + window.h() + side);
    screenshot(x, y, right - x, bottom - y, name);
}

void DesktopDriver::screenshot(int x, int y, int w, int h, const std::string& name) {
    const char* folder = std::getenv("QEL_SCREENSHOTS");
    if (!folder || !*folder) return;
    // A window manager, another program, may still be drawing its part.
    settle();
    ::usleep(300000);
    settle();
    XImage* image = XGetImage(fl_display, RootWindow(fl_display, fl_screen), x, y, unsigned(w),
                              unsigned(h), AllPlanes, ZPixmap);
    if (!image) return;
    std::vector<XColor> colors(size_t(w) * h);
    for (int row = 0; row < h; ++row)
        for (int column = 0; column < w; ++column)
            colors[size_t(row) * w + column].pixel = XGetPixel(image, column, row);
    XDestroyImage(image);
    XQueryColors(fl_display, DefaultColormap(fl_display, fl_screen), colors.data(),
                 int(colors.size()));
    std::vector<png_byte> rgb(colors.size() * 3);
    for (size_t k = 0; k < colors.size(); ++k) {
        rgb[k * 3] = png_byte(colors[k].red >> 8);
        rgb[k * 3 + 1] = png_byte(colors[k].green >> 8);
        rgb[k * 3 + 2] = png_byte(colors[k].blue >> 8);
    }
    png_image png = {};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(w);
    png.height = png_uint_32(h);
    png.format = PNG_FORMAT_RGB;
    std::string path = std::string(folder) + "/" + name + ".png";
    if (!png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr))
        std::fprintf(stderr, "cannot write the screenshot %s\n", path.c_str());
}
