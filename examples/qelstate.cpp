// Describes a small scene through the qel API and prints every report the
// renderer makes, numbered, to standard output.
//
//   qelstate            the scene as it should be written
//   qelstate --mistakes the same scene with a mistake in every block
#include "api/qel.h"

#include <cstdio>
#include <cstring>

namespace {

int gReports = 0;

void printReport(const char* text) { std::printf("report %d: %s\n", ++gReports, text); }

void describeScene(bool mistakes) {
    unsigned short color = qelQuark("color");
    float red[3] = {1, 0.2f, 0.2f};

    qelFrameBegin();
    qelRasterViewport(0, 319, 0, 239);
    qelViewPerspective(mistakes ? 180.0f : 40.0f);
    qelClip(mistakes ? 0.0f : 0.1f, 100.0f);
    qelTranslate(0, 0, 5);
    qelSceneBegin();
    if (mistakes) qelRasterViewport(0, 99, 0, 99); // options are frozen in a scene
    qelAttributePush();
    qelColor(red);
    qelShadingRate(mistakes ? 0.0f : 1.0f);
    qelSphere(1, -1, 1, 360, color, red, 0);
    qelAttributePop();
    if (mistakes) qelMatrixPop(); // no matrix block is open
    qelRotate(30, 0, mistakes ? 0.0f : 1.0f, 0);
    qelDisk(0, 2, 360, 0);
    qelSceneEnd();
    qelFrameEnd();
    if (mistakes) qelFrameEnd(); // no frame is open
}

} // namespace

int main(int argc, char** argv) {
    bool mistakes = argc > 1 && std::strcmp(argv[1], "--mistakes") == 0;
    qelErrorPrinter(printReport);
    qelErrorHandler(QEL_SEVERITY_IWES, QEL_HANDLER_PRINT);
    describeScene(mistakes);
    std::printf("%d report%s, last error code %ld\n", gReports, gReports == 1 ? "" : "s",
                qelLastError());
    return 0;
}
