// The rendering controls of the renderer library.
#include "api/qelrender.h"
#include "renderer/scene/RenderControl.h"

using namespace quelmark;

void qelRenderThreads(int count) {
    renderControl().setThreads(count);
}

void qelRenderCrop(float xmin, float xmax, float ymin, float ymax) {
    renderControl().setCrop(xmin, xmax, ymin, ymax);
}

void qelRenderOutputFormat(short format) {
    renderControl().setOutputFormat(format);
}

void qelRenderFrames(long first, long last) {
    renderControl().setFrames(first, last);
}

void qelRenderStatistics(int on) {
    renderControl().setStatistics(on != 0);
}
