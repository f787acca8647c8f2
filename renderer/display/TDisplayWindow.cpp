#include "renderer/display/TDisplayWindow.h"

#include "renderer/display/PackedColor.h"

#include "common/IconImage.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/display/XScreen.h"

#include "embedded/displayIcon.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>

namespace quelmark {

namespace {

using packed::blue;
using packed::green;
using packed::red;
using packed::rgb;

// X coordinates and sizes are 16-bit.
constexpr long kLargestSide = 32767;
// Rows of palette indices sent to the server at once after quantisation.
constexpr long kBandRows = 64;

unsigned short xLevel(uint32_t value) {
    return static_cast<unsigned short>((value & 0xFF) * 257);
}

std::string sizeText(long width, long height) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld x %ld pixels", width, height);
    return text;
}

// The icon as _NET_WM_ICON holds it: width, height, then one 0xAARRGGBB
// pixel per element, row by row. Xlib passes 32-bit property data as longs.
std::vector<long> iconProperty(const IconImage& icon) {
    std::vector<long> data{icon.width, icon.height};
    data.reserve(2 + icon.rgba.size() / 4);
    for (size_t k = 0; k + 3 < icon.rgba.size(); k += 4) {
        const unsigned char* p = &icon.rgba[k];
        data.push_back(long(uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 |
                            uint32_t(p[2])));
    }
    return data;
}

// The display icon, decoded the first time a window asks for it; empty when
// the compiled-in picture cannot be decoded.
const std::vector<long>& displayIconProperty() {
    static const std::vector<long> property = [] {
        std::optional<IconImage> icon =
            decodePngIcon(embedded::displayIcon, embedded::displayIconSize);
        return icon ? iconProperty(*icon) : std::vector<long>();
    }();
    return property;
}

// The data of an image belongs to its owner, not to the X library.
void destroyImage(XImage* image) {
    if (!image) return;
    image->data = nullptr;
    XDestroyImage(image);
}

} // namespace

TDisplayWindow* TDisplayWindow::open(const char* title, long width, long height, Layout layout,
                                     std::string& why) {
    const XScreen* screen = WindowSystem::screen();
    if (!screen) {
        why = WindowSystem::failure();
        return nullptr;
    }
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
        why = "an image of " + sizeText(width, height) + " does not fit in a window";
        return nullptr;
    }
    std::unique_ptr<TDisplayWindow> window(new TDisplayWindow(*screen, width, height, layout));
    if (!window->create(title ? title : "", why)) return nullptr;
    return WindowSystem::adopt(std::move(window));
}

TDisplayWindow::TDisplayWindow(const XScreen& screen, long width, long height, Layout layout)
    : fScreen(screen), fWidth(width), fHeight(height), fLayout(layout) {
    if (fLayout.color && fLayout.channels < 3) fLayout.color = false;
}

TDisplayWindow::~TDisplayWindow() {
    freeServerResources();
}

bool TDisplayWindow::create(const char* title, std::string& why) {
    try {
        fPixels.assign(size_t(fWidth) * size_t(fHeight), 0);
        fRowData.assign(size_t(fWidth) * 4, 0);
    } catch (const std::bad_alloc&) {
        why = "not enough memory for a window of " + sizeText(fWidth, fHeight);
        return false;
    }
    ::Display* connection = fScreen.connection;
    WindowSystem::takeError();
    if (fScreen.kind == XScreen::Kind::kPalette) createColormap();

    XSetWindowAttributes attributes = {};
    attributes.background_pixmap = None;
    attributes.border_pixel = pixelOf(0);
    attributes.colormap = fColormap ? fColormap : DefaultColormap(connection, fScreen.screen);
    attributes.event_mask = ExposureMask | StructureNotifyMask | FocusChangeMask;
    fWindow = XCreateWindow(connection, fScreen.root, 0, 0, unsigned(fWidth), unsigned(fHeight), 0,
                            fScreen.depth, InputOutput, fScreen.visual,
                            CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    setTitleAndHints(title);
    setIcon();

    fBitmap = XCreatePixmap(connection, fWindow, unsigned(fWidth), unsigned(fHeight),
                            unsigned(fScreen.depth));
    XGCValues values = {};
    values.graphics_exposures = False;
    values.foreground = pixelOf(0);
    fGc = XCreateGC(connection, fWindow, GCGraphicsExposures | GCForeground, &values);
    XFillRectangle(connection, fBitmap, fGc, 0, 0, unsigned(fWidth), unsigned(fHeight));
    fRow = XCreateImage(connection, fScreen.visual, unsigned(fScreen.depth), ZPixmap, 0,
                        fRowData.data(), unsigned(fWidth), 1, 32, 0);
    if (fColormap) XInstallColormap(connection, fColormap);
    XMapWindow(connection, fWindow);
    XSync(connection, False);
    if (WindowSystem::takeError() != 0 || !fRow) {
        why = "the window system refused a window of " + sizeText(fWidth, fHeight);
        freeServerResources();
        return false;
    }
    return true;
}

void TDisplayWindow::setTitleAndHints(const char* title) {
    ::Display* connection = fScreen.connection;
    XStoreName(connection, fWindow, title);
    XSetIconName(connection, fWindow, title);
    XChangeProperty(connection, fWindow, fScreen.netWmName, fScreen.utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), int(std::strlen(title)));

    // The window is exactly the image: not resizable.
    XSizeHints* size = XAllocSizeHints();
    if (size) {
        size->flags = PMinSize | PMaxSize;
        size->min_width = size->max_width = int(fWidth);
        size->min_height = size->max_height = int(fHeight);
        XSetWMNormalHints(connection, fWindow, size);
        XFree(size);
    }
    XClassHint* names = XAllocClassHint();
    if (names) {
        char program[] = "pictrel", kind[] = "Quelmark";
        names->res_name = program;
        names->res_class = kind;
        XSetClassHint(connection, fWindow, names);
        XFree(names);
    }
    Atom protocols[] = {fScreen.deleteWindow};
    XSetWMProtocols(connection, fWindow, protocols, 1);
}

void TDisplayWindow::setIcon() {
    const std::vector<long>& icon = displayIconProperty();
    if (icon.empty()) return;
    XChangeProperty(fScreen.connection, fWindow, fScreen.netWmIcon, XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                    int(icon.size()));
}

// Until the image is quantised a palette screen shows it through a colour
// cube of the window's own colour map.
void TDisplayWindow::createColormap() {
    fColormap = XCreateColormap(fScreen.connection, fScreen.root, fScreen.visual, AllocAll);
    fCubeSide = 1;
    while ((fCubeSide + 1) * (fCubeSide + 1) * (fCubeSide + 1) <= fScreen.paletteSize)
        ++fCubeSide;
    storeColorCube();
}

void TDisplayWindow::storeColorCube() {
    std::vector<XColor> colors(size_t(fScreen.paletteSize));
    const int side = fCubeSide, steps = std::max(side - 1, 1);
    for (int k = 0; k < fScreen.paletteSize; ++k) {
        XColor& c = colors[size_t(k)];
        c.pixel = unsigned(k);
        c.flags = DoRed | DoGreen | DoBlue;
        if (k < side * side * side) {
            c.red = xLevel(uint32_t(k / (side * side) * 255 / steps));
            c.green = xLevel(uint32_t(k / side % side * 255 / steps));
            c.blue = xLevel(uint32_t(k % side * 255 / steps));
        }
    }
    XStoreColors(fScreen.connection, fColormap, colors.data(), int(colors.size()));
}

unsigned long TDisplayWindow::pixelOf(uint32_t color) const {
    if (fScreen.kind == XScreen::Kind::kTrueColor) return fScreen.truePixel(color);
    if (fCubeSide < 2) return 0; // a palette too small for a cube shows black until quantised
    const uint32_t steps = uint32_t(fCubeSide - 1);
    auto level = [steps](uint32_t v) { return ((v & 0xFF) * steps + 127) / 255; };
    const uint32_t side = uint32_t(fCubeSide);
    return (level(color) * side + level(color >> 8)) * side + level(color >> 16);
}

void TDisplayWindow::span(long x0, long x1, long y, const uint32_t* data) {
    if (!fWindow || fPixels.empty() || y < 0 || y >= fHeight) return;
    fLastRow = std::max(fLastRow, y);
    const long first = std::max(x0, 0L), last = std::min(x1, fWidth - 1);
    if (first > last) return;
    const int stride = fLayout.channels;
    const uint32_t* value = data + (first - x0) * stride;
    uint32_t* row = fPixels.data() + y * fWidth;
    for (long x = first; x <= last; ++x, value += stride) {
        uint32_t color = 0;
        if (fLayout.color)
            color = rgb(value[0], value[1], value[2]);
        else if (stride > 0)
            color = rgb(value[0], value[0], value[0]);
        row[x] = color;
        XPutPixel(fRow, int(x - first), 0, pixelOf(color));
    }
    const unsigned count = unsigned(last - first + 1);
    XPutImage(fScreen.connection, fWindow, fGc, fRow, 0, 0, int(first), int(y), count, 1);
    XPutImage(fScreen.connection, fBitmap, fGc, fRow, 0, 0, int(first), int(y), count, 1);
}

void TDisplayWindow::quantize() {
    if (fPixels.empty()) return;
    if (fWindow && fScreen.kind == XScreen::Kind::kPalette)
        quant(MedianCut::quantize(fPixels.data(), fWidth, fHeight, fScreen.paletteSize));
    std::vector<uint32_t>().swap(fPixels);
    // The whole image is on the screen when the scene ends.
    WindowSystem::sync();
}

void TDisplayWindow::quant(const PaletteImage& image) {
    fPalette = image.palette;
    std::vector<XColor> colors(size_t(fScreen.paletteSize));
    for (size_t k = 0; k < colors.size(); ++k) {
        uint32_t color = k < fPalette.size() ? fPalette[k] : 0;
        colors[k].pixel = k;
        colors[k].flags = DoRed | DoGreen | DoBlue;
        colors[k].red = xLevel(color);
        colors[k].green = xLevel(color >> 8);
        colors[k].blue = xLevel(color >> 16);
    }
    XStoreColors(fScreen.connection, fColormap, colors.data(), int(colors.size()));

    std::vector<char> bandData(size_t(fWidth) * size_t(kBandRows) * 4);
    XImage* band =
        XCreateImage(fScreen.connection, fScreen.visual, unsigned(fScreen.depth), ZPixmap, 0,
                     bandData.data(), unsigned(fWidth), unsigned(kBandRows), 32, 0);
    if (band) {
        for (long y0 = 0; y0 < fHeight; y0 += kBandRows) {
            const long rows = std::min(kBandRows, fHeight - y0);
            for (long y = 0; y < rows; ++y)
                for (long x = 0; x < fWidth; ++x)
                    XPutPixel(band, int(x), int(y), image.indices[size_t((y0 + y) * fWidth + x)]);
            XPutImage(fScreen.connection, fBitmap, fGc, band, 0, 0, 0, int(y0), unsigned(fWidth),
                      unsigned(rows));
        }
        destroyImage(band);
    }
    UpdatePalette(true);
}

bool TDisplayWindow::UpdatePalette(bool redraw) {
    if (fPalette.empty() || !fWindow) return false;
    XInstallColormap(fScreen.connection, fColormap);
    if (redraw) Paint(0, 0, int(fWidth), int(fHeight));
    return true;
}

void TDisplayWindow::Paint(int x, int y, int width, int height) {
    if (!fWindow || width <= 0 || height <= 0) return;
    XCopyArea(fScreen.connection, fBitmap, fWindow, fGc, x, y, unsigned(width), unsigned(height), x,
              y);
}

void TDisplayWindow::EvQueryNewPalette() {
    if (!UpdatePalette(true) && fColormap) XInstallColormap(fScreen.connection, fColormap);
}

void TDisplayWindow::Destroy() {
    displayWindowClosed(this);
    WindowSystem::release(this);
}

void TDisplayWindow::destroyedOutside() {
    fWindow = 0;
    Destroy();
}

void TDisplayWindow::connectionLost() {
    // The graphics context is client memory as well; the request to free it
    // on the server goes nowhere.
    if (fGc) XFreeGC(fScreen.connection, fGc);
    fGc = nullptr;
    fWindow = fBitmap = fColormap = 0;
}

void TDisplayWindow::freeServerResources() {
    destroyImage(fRow);
    fRow = nullptr;
    ::Display* connection = fScreen.connection;
    if (fGc) XFreeGC(connection, fGc);
    if (fBitmap) XFreePixmap(connection, fBitmap);
    if (fWindow) XDestroyWindow(connection, fWindow);
    if (fColormap) XFreeColormap(connection, fColormap);
    if (fGc || fBitmap || fWindow || fColormap) XFlush(connection);
    fGc = nullptr;
    fWindow = fBitmap = fColormap = 0;
}

} // namespace quelmark
