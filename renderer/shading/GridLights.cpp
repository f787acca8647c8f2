#include "renderer/shading/GridLights.h"

#include "renderer/shading/Light.h"
#include "renderer/shading/ShadingContext.h"

#include <algorithm>

namespace quelmark {

namespace {

// An empty list of primitive values: the lights shine with their own.
const ArgList kNoValues;

// Light from every direction; the loop applies its own cone.
constexpr float kEveryDirection = kPi;

} // namespace

GridLights::GridLights(ShadingContext& context)
    : fContext(context), fLights(context.lightsInOrder) {
    fLights.clear();
    if (!context.lights) return;
    for (const Light* light : *context.lights)
        for (int emitter = 0; emitter < light->emitters(); ++emitter)
            fLights.push_back({light, emitter});
}

bool GridLights::isAmbient(int light) const {
    return fLights[std::size_t(light)].light->isAmbient();
}

// A light is in the category when its categories name it; in "-name" when
// they do not.
bool GridLights::inCategory(int light, std::string_view category) const {
    if (category.empty()) return true;
    const bool excluding = category.front() == '-';
    if (excluding) category.remove_prefix(1);
    bool named = false;
    const std::string_view categories = fLights[std::size_t(light)].light->categories();
    for (std::size_t start = 0; start <= categories.size() && !named;) {
        const std::size_t end = std::min(categories.find(',', start), categories.size());
        named = categories.substr(start, end - start) == category;
        start = end + 1;
    }
    return named != excluding;
}

void GridLights::shine(int light, LightSample& sample) {
    const auto [source, emitter] = fLights[std::size_t(light)];
    const std::size_t count = sample.points.size();
    std::vector<Point>& positions = fContext.lightPositions;
    positions.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const float* p =
            sample.positions + std::ptrdiff_t(sample.points[k]) * sample.positionStride;
        positions[k] = Point(p[0], p[1], p[2]);
    }
    fContext.lightValues.bind(source->parameters(), kNoValues, fContext.points);
    LightSamples& lit = fContext.lit;
    source->shine(fContext, emitter, positions.data(), nullptr, int(count), kEveryDirection,
                  fContext.lightValues, lit);
    fShone = light;
    fShonePoints.assign(sample.points.begin(), sample.points.end());
    for (std::size_t k = 0; k < count; ++k) {
        const auto point = std::size_t(sample.points[k]);
        if (!lit.reached[k]) {
            sample.reaches[point] = 0;
            continue;
        }
        const Point& L = lit.L[k];
        const Color& Cl = lit.Cl[k];
        std::copy_n(&L.x, 3, sample.L + 3 * point);
        std::copy_n(&Cl.r, 3, sample.Cl + 3 * point);
        std::fill_n(sample.Ol + 3 * point, 3, 1.0f);
    }
}

ShaderValueView GridLights::parameter(int light, std::string_view name) {
    if (light != fShone) return {};
    ShaderValueView value = fLights[std::size_t(light)].light->shaderParameter(fContext, name);
    if (!value.found() || !value.varying || fShonePoints.empty()) return value;
    const auto size = std::size_t(value.elements) * std::size_t(value.strings ? 1 : value.width);
    const auto points = std::size_t(*std::ranges::max_element(fShonePoints)) + 1;
    if (value.strings) {
        fSpreadStrings.resize(points * size);
        for (std::size_t k = 0; k < fShonePoints.size(); ++k)
            std::copy_n(value.strings + k * size, size,
                        fSpreadStrings.begin() +
                            std::ptrdiff_t(std::size_t(fShonePoints[k]) * size));
        value.strings = fSpreadStrings.data();
        return value;
    }
    fSpreadFloats.resize(points * size);
    for (std::size_t k = 0; k < fShonePoints.size(); ++k)
        std::copy_n(value.floats + k * size, size,
                    fSpreadFloats.begin() + std::ptrdiff_t(std::size_t(fShonePoints[k]) * size));
    value.floats = fSpreadFloats.data();
    return value;
}

} // namespace quelmark
