// A grid's lights as compiled shaders gather them: the attribute block's
// active lights, each shining at the positions an illuminance loop or a
// lighting call asks about.
#ifndef QEL_SHADING_GRIDLIGHTS_H
#define QEL_SHADING_GRIDLIGHTS_H

#include "common/List.h"
#include "renderer/shading/ShaderEnvironment.h"
#include "renderer/shading/ShadingContext.h"

#include <string>
#include <vector>

namespace quelmark {

class Light;

class GridLights final : public ShaderLights {
public:
    // The context's lights; its light samples and light positions are the
    // room the lights shine into.
    explicit GridLights(ShadingContext& context);

    int count() const override { return int(fLights.size()); }
    bool isAmbient(int light) const override;
    // An empty category takes every light, "name" those whose categories
    // name it, "-name" the others.
    bool inCategory(int light, std::string_view category) const override;
    void shine(int light, LightSample& sample) override;
    // A varying value is spread out to the points of the grid.
    ShaderValueView parameter(int light, std::string_view name) override;

private:
    ShadingContext& fContext;
    // The context's room, kept from grid to grid.
    std::vector<ShadingContext::NumberedLight>& fLights;
    // The light that shone last, at which points, and room for its values
    // spread out over the grid.
    int fShone = -1;
    std::vector<int> fShonePoints;
    std::vector<float> fSpreadFloats;
    std::vector<std::string> fSpreadStrings;
};

} // namespace quelmark

#endif
