// The renderer's image sink. One display exists from scene begin to scene
// end: it is opened with the image name and resolution, receives finished
// pixel rows, and is told when a band of rows is complete.
//
// The class also owns the renderer's message sink: every finished line of a
// diagnostic is written to standard error.
#ifndef QEL_DISPLAY_DISPLAY_H
#define QEL_DISPLAY_DISPLAY_H

#include <cstdint>

class Display {
public:
    virtual ~Display() = default;

    virtual long xDim() const { return fXRes; }
    virtual long yDim() const { return fYRes; }
    virtual float aspectRatio() const { return 1.0f; }
    virtual void open(const char* name, long xres, long yres, long x0, long y0);
    // Whether a report of this severity is printed; the base display prints all.
    virtual short error(long severity);
    // One row of pixels, channels interleaved in the order r, g, b, alpha, z.
    virtual void span(long x0, long x1, long y, const uint32_t* data);
    virtual void flush(long first, long last);
    virtual void close();

    static void print(const char* text);

protected:
    long fXRes = 640;
    long fYRes = 480;
    long fX0 = 0;
    long fY0 = 0;
};

extern Display* gDisplay;

#endif
