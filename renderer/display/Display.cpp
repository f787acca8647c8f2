#include "renderer/display/Display.h"

#include "api/qel.h"
#include "common/Error.h"
#include "renderer/display/PngWriter.h"
#include "renderer/display/TDisplayWindow.h"
#include "renderer/display/TiffWriter.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/state/Option.h"

#include <cctype>
#include <string>

Display* gDisplay = nullptr;

namespace {

std::string& savePath() {
    static std::string path;
    return path;
}

bool endsWithPng(const std::string& path) {
    static const char kSuffix[] = ".png";
    if (path.size() < 4) return false;
    const char* tail = path.c_str() + path.size() - 4;
    for (int k = 0; k < 4; ++k)
        if (std::tolower(static_cast<unsigned char>(tail[k])) != kSuffix[k]) return false;
    return true;
}

} // namespace

void Display::open(const char* name, long xres, long yres, long x0, long y0) {
    fXRes = xres;
    fYRes = yres;
    fX0 = x0;
    fY0 = y0;
    if (!fImage.allocate(xres, yres, takeOutputOptions()))
        ::error(kErrRange, kError, "cannot keep an image of %ld x %ld pixels", xres, yres);
    fOpen = true;
    openWindow(name);
}

void Display::openWindow(const char* name) {
    if (!WindowSystem::enabled() || !fImage.pixels()) return;
    TDisplayWindow::Layout layout{fImage.channels(), fImage.format().color};
    std::string why;
    fWindow = TDisplayWindow::open(name, fXRes, fYRes, layout, why);
    if (fWindow || writesImageFile()) return;
    // Without a window system a scene that writes no file is seen nowhere.
    if (WindowSystem::firstTelling(why))
        ::error(kErrNone, kInfo, "%s; the image is not shown", why.c_str());
}

bool Display::writesImageFile() const {
    return fOutputKind == QEL_FORMAT_TIFF || !savePath().empty();
}

void Display::destroy(TDisplayWindow* window) {
    if (window == fWindow) fWindow = nullptr;
}

void displayWindowClosed(TDisplayWindow* window) {
    if (gDisplay) gDisplay->destroy(window);
}

short Display::error(long) {
    return 1;
}

void Display::span(long x0, long x1, long y, const uint32_t* data) {
    fImage.putSpan(x0, x1, y, data);
    if (fWindow) fWindow->span(x0, x1, y, data);
}

void Display::flush(long, long) {}

void Display::close() {
    if (!fOpen) return;
    fOpen = false;
    if (fWindow) fWindow->quantize();
    if (fOutputKind == QEL_FORMAT_TIFF) writeImageFile();
    saveCopy();
}

void Display::saveEveryFrameTo(const char* path) {
    savePath() = path ? path : "";
}

void Display::saveCopy() {
    const std::string& path = savePath();
    if (path.empty()) return;
    bool written =
        endsWithPng(path) ? writePng(path.c_str(), fImage) : writeTiff(path.c_str(), fImage);
    if (!written) ::error(kErrRange, kError, "cannot write image file %s", path.c_str());
}

void Display::print(const char* text) {
    printToStandardError(text);
}

PixelFormat Display::takeOutputOptions() {
    PixelFormat format;
    fOutputKind = 0;
    fFileName = "";
    if (!gOption) return format;
    format.color = gOption->colorOut != 0;
    format.alpha = gOption->alphaOut != 0;
    format.depth = gOption->depthOut != 0;
    format.colorOne = gOption->colorOne;
    format.depthOne = gOption->depthOne;
    fOutputKind = gOption->outputKind;
    fFileName = gOption->outputName;
    return format;
}

void Display::writeImageFile() {
    if (!writeTiff(fFileName.c_str(), fImage))
        ::error(kErrRange, kError, "cannot write image file %s", fFileName.c_str());
}
