// The renderer's image sink. One display exists from scene begin to scene
// end: it is opened with the image name and resolution, receives finished
// pixel rows, and is told when a band of rows is complete.
//
// From open on it keeps the image in a frame buffer of its own, laid out as
// the output options were at that moment; close writes the image file when
// one was requested, whole or not at all. When there is a window system,
// open also puts a display window on the screen that shows the rows as they
// arrive; the window outlives the display, until the user closes it.
//
// The class also owns the renderer's message sink: every finished line of a
// diagnostic is written to standard error.
#ifndef QEL_DISPLAY_DISPLAY_H
#define QEL_DISPLAY_DISPLAY_H

#include "common/String.h"
#include "renderer/display/FrameBuffer.h"
#include "renderer/display/PixelRegion.h"

#include <cstdint>
#include <string>

class TDisplayWindow;

class Display {
public:
    virtual ~Display() = default;

    virtual long xDim() const { return fXRes; }
    virtual long yDim() const { return fYRes; }
    virtual float aspectRatio() const { return 1.0f; }
    virtual void open(const char* name, long xres, long yres, long x0, long y0);
    // Whether a report of this severity is printed; the base display prints all.
    virtual short error(long severity);
    // Pixels x0 to x1 (inclusive) of row y, channels interleaved in the order
    // r, g, b, alpha, z; whatever lies outside the image is dropped.
    virtual void span(long x0, long x1, long y, const uint32_t* data);
    virtual void flush(long first, long last);
    virtual void close();
    // The user closed this window: later rows are not shown.
    void destroy(TDisplayWindow* window);

    static void print(const char* text);
    // Every display from now on also saves its image there at close (OpenEXR
    // by a ".exr" name, PNG by a ".png" name, else TIFF); null or empty stops
    // it.
    static void saveEveryFrameTo(const char* path);

    // The image received so far: xDim() × yDim() pixels of channels() slots,
    // rows top down; null before open.
    const uint32_t* pixels() const { return fImage.pixels(); }
    int channels() const { return fImage.channels(); }
    const FrameBuffer& image() const { return fImage; }
    // The pixels the crop window renders, as the options were at open.
    const PixelRegion& dataWindow() const { return fDataWindow; }
    // The window showing the image; null without one or once it was closed.
    TDisplayWindow* window() const { return fWindow; }

protected:
    long fXRes = 640;
    long fYRes = 480;
    long fX0 = 0;
    long fY0 = 0;

private:
    // Records the output kind, file name and crop region; returns the pixel
    // layout.
    PixelFormat takeOutputOptions(long xres, long yres);
    void writeImageFile();
    void saveCopy();
    // False, after a report, when the crop window holds no pixel to write.
    bool cropHoldsPixels(const std::string& path) const;
    void openWindow(const char* name);
    bool writesImageFile() const;

    FrameBuffer fImage;
    PixelRegion fDataWindow;
    short fOutputKind = 0;
    String fFileName;
    bool fOpen = false;
    TDisplayWindow* fWindow = nullptr;
};

extern Display* gDisplay;

#endif
