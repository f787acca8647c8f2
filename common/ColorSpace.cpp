#include "common/ColorSpace.h"

namespace quelmark {

namespace {

const ColorSpace kPlainRgb{};
const ColorSpace* gColorSpace = &kPlainRgb;

} // namespace

void useColorSpace(const ColorSpace* space) {
    // Unchanged, not written: worker threads read it while a procedural
    // subdivides on another.
    const ColorSpace* chosen = space ? space : &kPlainRgb;
    if (gColorSpace != chosen) gColorSpace = chosen;
}

const ColorSpace& currentColorSpace() {
    return *gColorSpace;
}

} // namespace quelmark
