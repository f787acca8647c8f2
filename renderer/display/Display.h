// The renderer's image sink. One display exists from scene begin to scene
// end: it is opened with the image name and resolution, receives finished
// pixel rows, and is told when a band of rows is complete.
//
// From open on it keeps an image for every output the options plan, each in
// a frame buffer of its own laid out as its channels are; close writes the
// image files, each whole or not at all. When there is a window system,
// open also puts a display window on the screen for the first output and
// for every other output meant for one, which shows the rows as they
// arrive; a window outlives the display, until the user closes it.
//
// The class also owns the renderer's message sink: every finished line of a
// diagnostic is written to standard error.
#ifndef QEL_DISPLAY_DISPLAY_H
#define QEL_DISPLAY_DISPLAY_H

#include "renderer/display/FrameBuffer.h"
#include "renderer/display/PixelRegion.h"
#include "renderer/display/TiffWriter.h"

#include <cstdint>

#include <string>
#include <vector>

namespace quelmark {

class Option;
class TDisplayWindow;
struct RenderContext;

class Display {
public:
    virtual ~Display() = default;

    virtual long xDim() const { return fXRes; }
    virtual long yDim() const { return fYRes; }
    virtual float aspectRatio() const { return 1.0f; }
    // The frame's resolution, raster origin, crop window, outputs and camera
    // are copied from its context. Each window is titled with its output's
    // name, the first with the options' output name.
    virtual void open(const RenderContext& frame);
    // Whether a report of this severity is printed; the base display prints all.
    virtual short error(long severity);
    // Pixels x0 to x1 (inclusive) of row y for every output, one output after
    // the other in the plan's order, each pixel its output's channels in the
    // order r, g, b, alpha, z, variable; whatever lies outside the image is
    // dropped.
    virtual void span(long x0, long x1, long y, const uint32_t* data);
    virtual void flush(long first, long last);
    virtual void close();
    // The user closed this window: later rows are not shown.
    void destroy(TDisplayWindow* window);

    static void print(const char* text);
    // Every display from now on also saves the image of its first output
    // there at close (OpenEXR by a ".exr" name, PNG by a ".png" name, else
    // TIFF); null or empty stops it.
    static void saveEveryFrameTo(const char* path);

    // Whether the first output's image is kept: xDim() × yDim() pixels of
    // channels() slots, read through image(); not before open.
    bool hasImage() const { return !image().empty(); }
    int channels() const { return image().channels(); }
    const FrameBuffer& image() const;
    size_t outputCount() const { return fOutputs.size(); }
    const FrameBuffer& image(size_t output) const { return fOutputs[output].image; }
    // The pixels the crop window renders, as the options were at open.
    const PixelRegion& dataWindow() const { return fDataWindow; }
    // The first window showing an output; null without one or once it was
    // closed.
    TDisplayWindow* window() const;

protected:
    long fXRes = 640;
    long fYRes = 480;
    long fX0 = 0;
    long fY0 = 0;

private:
    struct Output {
        short format = 0;
        std::string name;  // the file's
        std::string title; // the window's
        FrameBuffer image;
        TDisplayWindow* window = nullptr;
    };

    // Takes the outputs and the crop region from the options.
    void takeOutputOptions(const Option& option);
    void takeCamera(const RenderContext& frame);
    void writeImageFile(const Output& output);
    void saveCopy();
    // False, after a report, when the crop window holds no pixel to write.
    bool cropHoldsPixels(const std::string& path) const;
    void openWindow(Output& output);
    // Shows the output's span in its window, as levels of 0 to 255.
    static void showSpan(Output& output, long x0, long x1, long y, const uint32_t* data);
    bool writesImageFile() const;

    std::vector<Output> fOutputs;
    PixelRegion fDataWindow;
    TiffCamera fCamera{};
    bool fOpen = false;
};

extern Display* gDisplay;

} // namespace quelmark

#endif
