// Describes a scene with a mistake in nearly every request that the writer
// also checks, and prints every report numbered to standard output. Built
// once against each library: both must print the same reports.
#include "api/qel.h"

#include <cstdio>

namespace {

int gReports = 0;

void printReport(const char* text) { std::printf("report %d: %s\n", ++gReports, text); }

void blocks() {
    qelFrameEnd();
    qelSceneEnd();
    qelAttributePop();
    qelMatrixPop();
    qelFrameBegin();
    qelFrameBegin();
    qelSceneBegin();
    qelSceneBegin();
    qelAttributePush();
    qelMatrixPush();
    qelAttributePop();
    qelMatrixPop();
    qelMatrixPop();
    qelAttributePop();
}

void optionsInAScene() {
    qelRasterViewport(0, 99, 0, 99);
    qelRasterAspect(1);
    qelImageWindow(-1, 1, -1, 1);
    qelImageAspect(1);
    qelImageCrop(0, 1, 0, 1);
    qelViewOrthographic();
    qelViewPerspective(40);
    qelViewIdentity();
    qelClip(1, 10);
    float matrix[3] = {1, 1, 1};
    qelColorSpace(1, matrix, matrix);
}

void optionValues() {
    qelRasterViewport(10, 0, 0, 10);
    qelViewPerspective(180);
    qelViewPerspective(-1);
    qelClip(0, 10);
    qelClip(5, 1);
    qelClip(1, 1e38f);
    qelImageCrop(-1, 0.5f, 0.2f, 2);
    qelImageCrop(0.8f, 0.2f, 0.9f, 0.1f);
    float matrix[3] = {1, 1, 1};
    qelColorSpace(0, matrix, matrix);
    qelColorSpace(1, nullptr, matrix);
}

void transforms() {
    float points[2][3] = {{0, 0, 0}, {1, 2, 3}};
    qelRotate(30, 0, 0, 0);
    qelPerspective(0);
    qelPerspective(200);
    qelLoadMatrix(nullptr);
    qelMarkSpace(qelQuark("world"));
    qelMarkSpace(9999);
    qelMarkSpace(qelQuark("lamp"));
    qelTranslate(1, 2, 3);
    qelRotate(45, 0, 1, 0);
    if (!qelProjectPoints(qelQuark("lamp"), qelQuark("raster"), 2, points))
        std::printf("no projection\n");
    else
        std::printf("projected %g %g %g, %g %g %g\n", points[0][0], points[0][1], points[0][2],
                    points[1][0], points[1][1], points[1][2]);
    qelProjectPoints(qelQuark("world"), 9999, 2, points);
    qelProjectPoints(qelQuark("world"), qelQuark("model"), -1, points);
}

void errorRequests() {
    qelErrorHandler(QEL_SEVERITY_IWES, 0xC07);
    qelErrorHandler(0xB10, QEL_HANDLER_PRINT);
    qelCustomErrorHandler(0xBF1, qelErrorPrint);
    qelErrorHandler(QEL_SEVERITY_ERROR, QEL_HANDLER_IGNORE);
    qelFrameEnd();
    std::printf("ignored, last error %ld\n", qelLastError());
    qelErrorHandler(QEL_SEVERITY_ERROR, QEL_HANDLER_PRINT);
}

} // namespace

int main() {
    qelErrorPrinter(printReport);
    qelErrorHandler(QEL_SEVERITY_IWE, QEL_HANDLER_PRINT);
    qelFrameBegin();
    optionValues();
    transforms();
    qelFrameEnd();
    blocks();
    optionsInAScene();
    qelSceneEnd();
    qelFrameEnd();
    qelReset();
    errorRequests();
    std::printf("%d reports, last error code %ld\n", gReports, qelLastError());
    return 0;
}
