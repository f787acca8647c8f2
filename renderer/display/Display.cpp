#include "renderer/display/Display.h"

#include "api/qel.h"
#include "common/Error.h"
#include "renderer/display/TiffWriter.h"
#include "renderer/state/Option.h"

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
