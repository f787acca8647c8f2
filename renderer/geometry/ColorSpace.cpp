#include "renderer/geometry/ColorSpace.h"

namespace {

const ColorSpace kPlainRgb{};
const ColorSpace* gColorSpace = &kPlainRgb;

} // namespace

void useColorSpace(const ColorSpace* space) { gColorSpace = space ? space : &kPlainRgb; }

const ColorSpace& currentColorSpace() { return *gColorSpace; }
