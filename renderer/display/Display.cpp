#include "renderer/display/Display.h"

#include "common/Error.h"

Display* gDisplay = nullptr;

void Display::open(const char*, long xres, long yres, long x0, long y0) {
    fXRes = xres;
    fYRes = yres;
    fX0 = x0;
    fY0 = y0;
}

short Display::error(long) { return 1; }

void Display::span(long, long, long, const uint32_t*) {}

void Display::flush(long, long) {}

void Display::close() {}

void Display::print(const char* text) { printToStandardError(text); }
