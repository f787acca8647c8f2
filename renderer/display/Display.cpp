#include "renderer/display/Display.h"

#include "api/qel.h"
#include "common/Error.h"
#include "renderer/display/PngWriter.h"
#include "renderer/display/TiffWriter.h"
#include "renderer/state/Option.h"

#include <cctype>
#include <string>

Display* gDisplay = nullptr;

void Display::open(const char*, long xres, long yres, long x0, long y0) {
    fXRes = xres;
    fYRes = yres;
    fX0 = x0;
    fY0 = y0;
    if (!fImage.allocate(xres, yres, takeOutputOptions()))
        ::error(kErrRange, kError, "cannot keep an image of %ld x %ld pixels", xres, yres);
    fOpen = true;
}

short Display::error(long) {
    return 1;
}

void Display::span(long x0, long x1, long y, const uint32_t* data) {
    fImage.putSpan(x0, x1, y, data);
}

void Display::flush(long, long) {}

void Display::close() {
    if (!fOpen) return;
    fOpen = false;
    if (fOutputKind == QEL_FORMAT_TIFF) writeImageFile();
    saveCopy();
}

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

void Display::saveEveryFrameTo(const char* path) { savePath() = path ? path : ""; }

void Display::saveCopy() {
    const std::string& path = savePath();
    if (path.empty()) return;
    bool written = endsWithPng(path) ? writePng(path.c_str(), fImage)
                                     : writeTiff(path.c_str(), fImage);
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
