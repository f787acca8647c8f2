// Renders a small scene of quadrics through the qel API to a TIFF file.
//
//   spheres [file.tif]     (default: spheres.tif)
#include "api/qel.h"

#include <cstdio>

namespace {

bool gTrouble = false;

void printReport(const char* text) {
    std::fprintf(stderr, "%s\n", text);
    gTrouble = true;
}

void light(unsigned short name, const float* from, float intensity) {
    unsigned short tokens[2] = {qelQuark("from"), qelQuark("intensity")};
    void* values[2] = {const_cast<float*>(from), &intensity};
    qelLightSourceV(name, 2, tokens, values);
}

void coloured(const float* rgb) { qelColor(rgb); }

void describeScene(const char* file) {
    qelFrameBegin();
    qelRasterViewport(0, 639, 0, 479);
    qelOutputFile(QEL_FORMAT_TIFF, file);
    qelOutputSamples(QEL_SAMPLES_RGBA);
    qelSampleUniform(3, 3);
    qelViewPerspective(40);
    qelClip(0.5f, 100);
    qelTranslate(0, -0.5f, 9);
    qelRotate(-20, 1, 0, 0);
    qelSceneBegin();

    float ambient = 0.15f;
    unsigned short intensity = qelQuark("intensity");
    qelLightSource(qelQuark("ambient"), intensity, &ambient, 0);
    float key[3] = {-6, 6, -6}, fill[3] = {6, 3, -4};
    light(qelQuark("omni"), key, 60);
    light(qelQuark("omni"), fill, 20);

    float red[3] = {0.9f, 0.2f, 0.15f}, blue[3] = {0.2f, 0.35f, 0.9f};
    float gold[3] = {0.9f, 0.7f, 0.2f}, grey[3] = {0.7f, 0.7f, 0.7f};

    qelAttributePush();
    coloured(grey);
    qelSurface(qelQuark("diffuse"), 0);
    qelRotate(90, 1, 0, 0);
    qelDisk(0, 6, 360, 0);
    qelAttributePop();

    qelAttributePush();
    coloured(red);
    qelTranslate(-1.6f, 1, 0);
    qelSphere(1, -1, 1, 360, 0);
    qelAttributePop();

    qelAttributePush();
    coloured(blue);
    qelTranslate(1.3f, 0.8f, 0.6f);
    qelRotate(-90, 1, 0, 0);
    qelCylinder(0.5f, 0, 1.6f, 300, 0);
    qelAttributePop();

    qelAttributePush();
    coloured(gold);
    qelSurface(qelQuark("metal"), 0);
    qelTranslate(0.2f, 0.5f, -1.8f);
    qelRotate(-70, 1, 0, 0);
    qelTorus(0.45f, 0.15f, 0, 360, 360, 0);
    qelAttributePop();

    qelSceneEnd();
    qelFrameEnd();
}

} // namespace

int main(int argc, char** argv) {
    const char* file = argc > 1 ? argv[1] : "spheres.tif";
    qelErrorPrinter(printReport);
    describeScene(file);
    if (gTrouble) return 1;
    std::printf("rendered 640x480 to %s\n", file);
    return 0;
}
