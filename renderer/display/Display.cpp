#include "renderer/display/Display.h"

#include "api/qel.h"
#include "common/Error.h"
#include "common/AtomicFile.h"
#include "renderer/display/CropRegion.h"
#include "renderer/display/ExrWriter.h"
#include "renderer/display/PngWriter.h"
#include "renderer/display/TDisplayWindow.h"
#include "renderer/display/TiffWriter.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/state/Option.h"

#include <cctype>
#include <cstring>
#include <string>

Display* gDisplay = nullptr;

namespace {

std::string& savePath() {
    static std::string path;
    return path;
}

// Whether the name ends in the suffix, in any case.
bool endsWith(const std::string& path, const char* suffix) {
    std::size_t length = std::strlen(suffix);
    if (path.size() < length) return false;
    const char* tail = path.c_str() + path.size() - length;
    for (std::size_t k = 0; k < length; ++k)
        if (std::tolower(static_cast<unsigned char>(tail[k])) != suffix[k]) return false;
    return true;
}

void reportUnwritten(const std::string& path) {
    ::error(kErrRange, kError, "cannot write image file %s", path.c_str());
}

} // namespace

void Display::open(const char* name, long xres, long yres, long x0, long y0) {
    fXRes = xres;
    fYRes = yres;
    fX0 = x0;
    fY0 = y0;
    if (!fImage.allocate(xres, yres, takeOutputOptions(xres, yres)))
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

// A crop window writes its pixels alone, as RenderMan renderers do: TIFF
// and PNG of the region's size, OpenEXR with the region as data window.
void Display::saveCopy() {
    const std::string& path = savePath();
    if (path.empty() || !cropHoldsPixels(path)) return;
    bool written = AtomicFile::writeWhole(path, [&](const char* file) {
        if (endsWith(path, ".exr")) return writeExr(file, fImage, fDataWindow);
        if (endsWith(path, ".png")) return writePng(file, fImage, fDataWindow);
        return writeTiff(file, fImage, fDataWindow);
    });
    if (!written) reportUnwritten(path);
}

bool Display::cropHoldsPixels(const std::string& path) const {
    if (fImage.empty() || !fDataWindow.empty()) return true;
    ::error(kErrRange, kError, "cannot write image file %s: the crop window holds no pixels",
            path.c_str());
    return false;
}

void Display::print(const char* text) {
    printToStandardError(text);
}

PixelFormat Display::takeOutputOptions(long xres, long yres) {
    PixelFormat format;
    fOutputKind = 0;
    fFileName = "";
    fDataWindow = PixelRegion{0, xres - 1, 0, yres - 1};
    if (!gOption) return format;
    fDataWindow = cropRegion(xres, yres, gOption->cropXmin, gOption->cropXmax, gOption->cropYmin,
                             gOption->cropYmax);
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
    std::string path = fFileName.c_str();
    if (!cropHoldsPixels(path)) return;
    bool written = AtomicFile::writeWhole(
        path, [&](const char* file) { return writeTiff(file, fImage, fDataWindow); });
    if (!written) reportUnwritten(path);
}
