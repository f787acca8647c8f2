#include "renderer/display/Display.h"

#include "api/qel.h"
#include "common/AtomicFile.h"
#include "common/Error.h"
#include "renderer/display/CropRegion.h"
#include "renderer/display/ExrWriter.h"
#include "renderer/display/PngWriter.h"
#include "renderer/display/TDisplayWindow.h"
#include "renderer/display/TiffWriter.h"
#include "renderer/display/WindowSystem.h"
#include "renderer/state/RenderContext.h"
#include "renderer/state/Option.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace quelmark {

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
    quelmark::error(kErrRange, kError, "cannot write image file %s", path.c_str());
}

} // namespace

void Display::open(const RenderContext& frame) {
    const Option& option = frame.option;
    fXRes = option.xResolution;
    fYRes = option.yResolution;
    fX0 = option.rasterOriginX;
    fY0 = option.rasterOriginY;
    takeOutputOptions(option);
    if (!fOutputs.empty()) fOutputs.front().title = option.outputName.c_str();
    takeCamera(frame);
    for (Output& output : fOutputs)
        if (output.image.empty())
            quelmark::error(kErrRange, kError, "cannot keep an image of %ld x %ld pixels", fXRes,
                            fYRes);
    fOpen = true;
    // The first output is always shown; the others when they ask for it.
    for (size_t k = 0; k < fOutputs.size(); ++k)
        if (k == 0 || fOutputs[k].format == QEL_FORMAT_WINDOW) openWindow(fOutputs[k]);
}

const FrameBuffer& Display::image() const {
    static const FrameBuffer kNone;
    return fOutputs.empty() ? kNone : fOutputs.front().image;
}

TDisplayWindow* Display::window() const {
    for (const Output& output : fOutputs)
        if (output.window) return output.window;
    return nullptr;
}

void Display::openWindow(Output& output) {
    if (!WindowSystem::enabled() || output.image.empty()) return;
    const PixelFormat& format = output.image.format();
    TDisplayWindow::Layout layout{format.channels(), format.isRgb()};
    std::string why;
    output.window = TDisplayWindow::open(output.title.c_str(), fXRes, fYRes, layout, why);
    if (output.window || writesImageFile()) return;
    // Without a window system a scene that writes no file is seen nowhere.
    if (WindowSystem::firstTelling(why))
        quelmark::error(kErrNone, kInfo, "%s; the image is not shown", why.c_str());
}

bool Display::writesImageFile() const {
    if (!savePath().empty()) return true;
    for (const Output& output : fOutputs)
        if (output.format != QEL_FORMAT_WINDOW) return true;
    return false;
}

void Display::destroy(TDisplayWindow* window) {
    for (Output& output : fOutputs)
        if (output.window == window) output.window = nullptr;
}

void displayWindowClosed(TDisplayWindow* window) {
    if (gDisplay) gDisplay->destroy(window);
}

short Display::error(long) {
    return 1;
}

namespace {

// A slot as the windows show it: a level of 0 to 255.
uint32_t windowLevel(uint32_t slot, const PixelFormat& format, int channel) {
    float one = format.oneOf(channel);
    float value = one < 1.0f ? floatFromSlot(slot) : float(int32_t(slot)) / one;
    if (!(value > 0.0f)) return 0;
    return value >= 1.0f ? 255u : uint32_t(std::lround(value * 255.0f));
}

bool showsSlotsAsTheyAre(const PixelFormat& format) {
    for (int channel = 0; channel < format.channels(); ++channel)
        if (format.oneOf(channel) != 255.0f) return false;
    return true;
}

} // namespace

void Display::span(long x0, long x1, long y, const uint32_t* data) {
    const long width = x1 - x0 + 1;
    for (Output& output : fOutputs) {
        output.image.putSpan(x0, x1, y, data);
        if (output.window) showSpan(output, x0, x1, y, data);
        data += width * output.image.channels();
    }
}

void Display::showSpan(Output& output, long x0, long x1, long y, const uint32_t* data) {
    const PixelFormat& format = output.image.format();
    if (showsSlotsAsTheyAre(format)) {
        output.window->span(x0, x1, y, data);
        return;
    }
    const int channels = format.channels();
    std::vector<uint32_t> levels(size_t((x1 - x0 + 1) * channels));
    for (size_t k = 0; k < levels.size(); ++k)
        levels[k] = windowLevel(data[k], format, int(k % size_t(channels)));
    output.window->span(x0, x1, y, levels.data());
}

void Display::flush(long, long) {}

void Display::close() {
    if (!fOpen) return;
    fOpen = false;
    for (Output& output : fOutputs) {
        if (output.window) output.window->quantize();
        if (output.format != QEL_FORMAT_WINDOW) writeImageFile(output);
    }
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
    const FrameBuffer& first = image();
    bool written = AtomicFile::writeWhole(path, [&](const char* file) {
        if (endsWith(path, ".exr")) return writeExr(file, first, fDataWindow);
        if (endsWith(path, ".png")) return writePng(file, first, fDataWindow);
        return writeTiff(file, first, fDataWindow);
    });
    if (!written) reportUnwritten(path);
}

bool Display::cropHoldsPixels(const std::string& path) const {
    if (image().empty() || !fDataWindow.empty()) return true;
    quelmark::error(kErrRange, kError,
                    "cannot write image file %s: the crop window holds no pixels", path.c_str());
    return false;
}

void Display::print(const char* text) {
    printToStandardError(text);
}

namespace {

PixelFormat formatOf(const ImageOutput& output) {
    PixelFormat format;
    format.color = output.color;
    format.alpha = output.alpha;
    format.depth = output.depth;
    format.variableComponents = output.variableComponents;
    float largest = 0.0f;
    bool narrow = true;
    for (const OutputChannel& channel : output.channels) {
        const Quantization& q = channel.quantization;
        narrow = narrow && !q.keepsFloats() && q.min >= 0.0f && q.max < 65536.0f;
        largest = std::max(largest, q.max);
    }
    if (narrow) format.largestSlot = uint32_t(std::ceil(largest));
    for (const OutputChannel& channel : output.channels) {
        float one = channel.quantization.one;
        switch (channel.source) {
        case ChannelSource::kDepth:
        case ChannelSource::kNearestDepth:
            format.depthOne = one;
            break;
        case ChannelSource::kOpacity:
        case ChannelSource::kVariable:
            format.variableOne = one;
            break;
        default:
            format.colorOne = one;
            break;
        }
    }
    return format;
}

void copyMatrix(const Matrix& m, float* out) {
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out[4 * row + column] = m[row][column];
}

} // namespace

void Display::takeOutputOptions(const Option& option) {
    fOutputs.clear();
    fDataWindow = cropRegion(fXRes, fYRes, option.cropXmin, option.cropXmax, option.cropYmin,
                             option.cropYmax);
    fOutputs.resize(option.plan.outputs.size());
    for (size_t k = 0; k < fOutputs.size(); ++k) {
        const ImageOutput& planned = option.plan.outputs[k];
        Output& output = fOutputs[k];
        output.format = planned.format;
        output.name = planned.name;
        output.title = planned.name;
        output.image.allocate(fXRes, fYRes, formatOf(planned));
    }
}

// The camera a depth map is seen from, as the scene set it up; its screen
// runs from -1 to 1 over the whole image, y up, as map readers take it.
void Display::takeCamera(const RenderContext& frame) {
    Matrix rasterToUnitSquare;
    rasterToUnitSquare.m[0][0] = 2.0f / float(frame.option.xResolution);
    rasterToUnitSquare.m[1][1] = -2.0f / float(frame.option.yResolution);
    rasterToUnitSquare.m[3][0] = -1;
    rasterToUnitSquare.m[3][1] = 1;
    Matrix worldToScreen = frame.worldToCamera;
    worldToScreen *= frame.cameraToRaster;
    worldToScreen *= rasterToUnitSquare;
    copyMatrix(frame.worldToCamera, fCamera.worldToCamera);
    copyMatrix(worldToScreen, fCamera.worldToScreen);
}

void Display::writeImageFile(const Output& output) {
    const std::string& path = output.name;
    if (!cropHoldsPixels(path)) return;
    bool written = AtomicFile::writeWhole(path, [&](const char* file) {
        switch (output.format) {
        case QEL_FORMAT_PNG:
            return writePng(file, output.image, fDataWindow);
        case QEL_FORMAT_OPENEXR:
            return writeExr(file, output.image, fDataWindow);
        case QEL_FORMAT_DEPTHFILE:
            return writeTiff(file, output.image, fDataWindow, &fCamera);
        default:
            return writeTiff(file, output.image, fDataWindow);
        }
    });
    if (!written) reportUnwritten(path);
}

} // namespace quelmark
