#include "renderer/scene/RenderControl.h"

#include "api/qelrender.h"
#include "common/Error.h"
#include "renderer/state/Option.h"

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <utility>

namespace quelmark {

namespace {

constexpr int kMostThreads = 1024;

// The threads asked for by the environment, or 0 for one per core.
int threadsFromEnvironment() {
    const char* text = std::getenv("QEL_THREADS");
    if (!text || !*text) return 0;
    char* end = nullptr;
    long count = std::strtol(text, &end, 10);
    if (*end || count < 0 || count > kMostThreads) return 0;
    return int(count);
}

float unit(float value) {
    return value >= 0.0f ? std::min(value, 1.0f) : 0.0f;
}

} // namespace

void RenderControl::setThreads(int count) {
    fThreads = std::clamp(count, 0, kMostThreads);
}

int RenderControl::threads() const {
    int count = fThreads >= 0 ? fThreads : threadsFromEnvironment();
    if (count > 0) return count;
    unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? int(cores) : 1;
}

void RenderControl::setCrop(float xmin, float xmax, float ymin, float ymax) {
    if (xmin > xmax) std::swap(xmin, xmax);
    if (ymin > ymax) std::swap(ymin, ymax);
    fCropSet = true;
    fXmin = unit(xmin);
    fXmax = unit(xmax);
    fYmin = unit(ymin);
    fYmax = unit(ymax);
}

void RenderControl::setFrames(long first, long last) {
    fFramesSet = true;
    fFirst = first;
    fLast = last;
    fScenes = 0;
}

void RenderControl::setOutputFormat(short format) {
    bool known = format == QEL_NULL || format == QEL_FORMAT_BY_NAME ||
                 format == QEL_FORMAT_WINDOW ||
                 (format >= QEL_FORMAT_TIFF && format <= QEL_FORMAT_DEPTHFILE);
    if (!known) {
        error(kErrRange, kError, "unknown output format %d", format);
        return;
    }
    fOutputFormat = format;
}

bool RenderControl::beginScene(Option& option) {
    if (fCropSet) {
        option.cropXmin = fXmin;
        option.cropXmax = fXmax;
        option.cropYmin = fYmin;
        option.cropYmax = fYmax;
    }
    if (fOutputFormat == QEL_FORMAT_BY_NAME)
        option.outputsByName();
    else if (fOutputFormat != QEL_NULL)
        option.outputsAs(fOutputFormat);
    ++fScenes;
    return !fFramesSet || (fScenes >= fFirst && fScenes <= fLast);
}

RenderControl& renderControl() {
    static RenderControl control;
    return control;
}

} // namespace quelmark
