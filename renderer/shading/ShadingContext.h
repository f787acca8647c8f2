// What one bucket's work shades its grids with: the grid's shading points,
// the values of the parameters of the shaders running there, the light of
// the light being gathered, and room for the built-in surfaces' sums. The
// arrays keep their room from grid to grid.
#ifndef QEL_SHADING_SHADINGCONTEXT_H
#define QEL_SHADING_SHADINGCONTEXT_H

#include "common/List.h"
#include "common/Matrix.h"
#include "renderer/shading/Light.h"
#include "renderer/shading/ParameterValues.h"
#include "renderer/shading/ShaderMachine.h"
#include "renderer/shading/ShaderRole.h"
#include "renderer/shading/ShadingPoints.h"
#include "renderer/state/ArgList.h"
#include "renderer/state/NamedSpaces.h"
#include "renderer/state/ParmList.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace quelmark {

class Attrib;
class ShaderTextures;
struct RenderContext;

// The values a grid's points start from, which the primitive's own "normal",
// "plane", "color" and "opacity" values replace, and its "s", "t" and "st"
// once a scene has named them: bound once, set per grid.
struct StandardValues {
    StandardValues();
    StandardValues(const StandardValues&) = delete;
    StandardValues& operator=(const StandardValues&) = delete;

    // Binds the texture coordinates' names that a scene has named since.
    void bindTextureCoordinates();

    Point N, Ng;
    Color Cs, Os;
    float s = 0, t = 0;
    float st[2] = {0, 0};
    ParmList parms;
};

struct ShadingContext {
    ShadingPoints points;
    StandardValues standard;
    // The grid's active lights and its primitive's values of shader
    // parameters.
    const List<Light*>* lights = nullptr;
    const ArgList* primitiveValues = nullptr;
    ParameterValues surfaceValues, lightValues, volumeValues;
    LightSamples lit;
    // Per point: the normal facing the eye, the direction to the eye, and
    // the ambient, diffuse and specular light gathered there.
    std::vector<Point> Nf, V;
    std::vector<Color> ambient, diffuse, specular;

    // For compiled shaders: the frame and its marked spaces, the grid's
    // attributes and object space, a seed that is the grid's own, and the
    // positions lights shine at.
    const RenderContext* frame = nullptr;
    const std::vector<MarkedSpace>* markedSpaces = nullptr;
    // The render's texture maps, shared by its threads.
    ShaderTextures* textures = nullptr;
    const Attrib* attrib = nullptr;
    Matrix objectToCamera;
    std::uint64_t gridSeed = 0;
    std::vector<Point> lightPositions;
    // The executors of the grid's shaders with their room, one a role, so
    // that a shader may read what one that ran before it left (an
    // atmosphere its surface's values), and whether each ran on this grid.
    std::array<ShaderMachine, kShaderRoles> machines;
    std::array<bool, kShaderRoles> ranOnGrid{};

    ShaderMachine& machine(ShaderRole role) { return machines[std::size_t(role)]; }
    // A new grid: no shader has run on it.
    void beginGrid() { ranOnGrid.fill(false); }
    // The values the grid's shaders left in an output variable of that name
    // and floats, on the run's points: the surface's, else the
    // atmosphere's, else the displacement's; nothing found when none has it.
    ShaderValueView shaderOutput(std::string_view name, int floats, int points) const;
    // Room for the values of the outputs' variables, one a planned variable.
    std::vector<ShaderValueView> outputValues;
    // The lights by number, as compiled shaders ask for them: each element
    // of an area light's surface is one.
    struct NumberedLight {
        const Light* light;
        int emitter;
    };
    std::vector<NumberedLight> lightsInOrder;
    // For compiled lights, which run while a compiled surface's machine
    // waits in its illuminance loop: their own machine, and their Ol.
    ShaderMachine lightMachine;
    std::vector<Color> lightOpacity;
    // Set while a frame's workers shade: once it holds true, the frame is
    // stopping and compiled shaders end their loops early.
    const std::atomic<bool>* stop = nullptr;
};

} // namespace quelmark

#endif
