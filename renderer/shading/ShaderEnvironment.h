// What a compiled shader's run needs from the renderer: the grid it shades,
// the predefined variables and parameter values by name, the spaces, the
// lights, where printed text and reports go, and whether to stop.
//
// A machine asks for all of it through this interface and keeps nothing of
// it between runs, so that one environment serves one run on one thread.
#ifndef QEL_SHADING_SHADERENVIRONMENT_H
#define QEL_SHADING_SHADERENVIRONMENT_H

#include "renderer/shading/ShaderMatrix.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quelmark {

class ShaderTextures;

class ShaderLights;

// The shading points as a grid: nu + 1 vertices across by nv + 1 down,
// row by row (point i of row k is number k * (nu + 1) + i); du and dv are
// the parametric spacing of neighbouring vertices, which derivatives divide
// by.
struct ShadingGridShape {
    int nu = 0;
    int nv = 0;
    float du = 1;
    float dv = 1;
    // The surface's orientation is reversed: calculatenormal turns its
    // normals round.
    bool reverseOrientation = false;
    // Rows of different lengths (a triangle's): where each begins, the
    // point count last; nu and nv then say nothing of the layout. Empty for
    // nv + 1 rows of nu + 1 points.
    std::span<const int> rowStarts = {};

    int pointCount() const { return rowStarts.empty() ? (nu + 1) * (nv + 1) : rowStarts.back(); }
};

// A predefined variable the renderer lends the run: P, N, Ci, du... Numbers
// are width floats a value (1, 3 or 16), strings one string; a uniform
// variable holds one value, a varying one a value for each point, one after
// the other. The run reads it at the start and, unless it is read-only,
// writes the shader's value back at the end.
struct ShaderVariable {
    float* floats = nullptr;
    std::string* strings = nullptr;
    bool varying = false;
    bool readOnly = false;
    std::size_t size = 0; // floats or strings given, for checking

    bool given() const { return floats || strings; }
};

// A parameter's value as the scene gives it, taking the place of the
// default; laid out as a variable's, arrays element after element.
struct ShaderParameterValue {
    const float* floats = nullptr;
    const std::string* strings = nullptr;
    bool varying = false;
    std::size_t size = 0;

    bool given() const { return floats || strings; }
};

// A value one asks for by name: the renderer's attributes, options and
// facts, or what another shader of the point left in a parameter. Width
// floats an element (1, 3 or 16) or one string, elements a value; one value
// or (varying) one for each point of the run asking, at its number.
struct ShaderValueView {
    const float* floats = nullptr;
    const std::string* strings = nullptr;
    bool varying = false;
    int width = 1;
    int elements = 1;

    bool found() const { return floats || strings; }
};

// Whom a message-passing call asks.
enum class ShaderQuestion {
    kAttribute,    // the attributes of the shaded primitive
    kOption,       // the options of the frame
    kRendererInfo, // facts about the renderer
    kSurface,      // the parameters of the point's surface shader
    kDisplacement, // of its displacement shader
    kAtmosphere,   // of its atmosphere shader
    kIncident,     // of the volume shaders rays come through
    kOpposite,
    kShaderName, // the name of the point's shader of a role
};

// The distance from the eye that depth() maps to 0 and to 1.
struct DepthRange {
    float nearPlane = 0;
    float farPlane = 1;
};

class ShaderEnvironment {
public:
    virtual ~ShaderEnvironment() = default;

    virtual ShadingGridShape grid() const = 0;
    // The predefined variable of that name; nothing given (null pointers)
    // when the renderer has none, and the shader then starts from zeros.
    virtual ShaderVariable variable(std::string_view name) = 0;
    // The scene's value for the parameter; nothing given keeps the default.
    virtual ShaderParameterValue parameter(std::string_view /*name*/) { return {}; }

    // The matrix taking points of the named space ("world", "object",
    // "shader", "camera", "screen", "raster", "NDC" or a marked space) to the
    // current space; false for a name the renderer does not know. "current"
    // is the identity and is not asked for.
    virtual bool spaceToCurrent(std::string_view /*space*/, ShaderMatrix& /*matrix*/) {
        return false;
    }
    virtual DepthRange depthRange() const { return {}; }

    // Asked after every round of a loop: true ends the run early.
    virtual bool cancelled() const { return false; }
    // The text of printf, one call a point.
    virtual void print(std::string_view /*text*/) {}
    // A fault the run found and went on from: an unknown space, an index out
    // of range... Each is reported once a run for each instruction.
    virtual void report(std::string_view /*message*/) {}
    // random() draws from streams keyed by this seed, the point's stream
    // and the number of draws before: the same for every run with the same
    // seed. A point's stream is its number unless the renderer gives one
    // that does not depend on how the points were gathered into grids.
    virtual std::uint64_t randomSeed() const { return 0; }
    virtual std::uint64_t randomStream(int point) const { return std::uint64_t(point); }

    // The lights illuminance loops and lighting calls gather from; none: a
    // loop's body never runs and the calls give black.
    virtual ShaderLights* lights() { return nullptr; }
    // The texture maps the run looks up; none where maps are not read.
    virtual ShaderTextures* textures() { return nullptr; }

    // The value of that name; nothing found when there is none.
    virtual ShaderValueView answer(ShaderQuestion /*question*/, std::string_view /*name*/) {
        return {};
    }
};

// The light falling on the points that ask for it, as an illuminance loop
// or a lighting call (ambient, diffuse...) gathers it: for every point in
// points, L (from the point towards the light), Cl and Ol, three floats a
// point at 3 * point.
struct LightSample {
    std::span<const int> points;
    // The positions the loop gathers at, three floats a point at
    // positionStride * point (a stride of 0: one position for all).
    const float* positions = nullptr;
    int positionStride = 3;
    // 1 where the light reaches the point; shine clears it where the light
    // does not (in shadow, outside the light's own cone...).
    std::uint8_t* reaches = nullptr;
    float* L = nullptr;
    float* Cl = nullptr;
    float* Ol = nullptr;
};

class ShaderLights {
public:
    virtual ~ShaderLights() = default;

    virtual int count() const = 0;
    // Whether the light is among those the loop's category names; an empty
    // category takes every light.
    virtual bool inCategory(int light, std::string_view category) const = 0;
    // An ambient light (one without illuminate or solar) comes from no
    // direction: ambient() gathers it, and neither illuminance nor diffuse,
    // specular or phong do.
    virtual bool isAmbient(int light) const = 0;
    // Fills the sample at its points, each of which it reaches to start with.
    virtual void shine(int light, LightSample& sample) = 0;
    // What the light's shader left in its parameter of that name when it
    // last shone, at the points it shone at; nothing found for a light that
    // has no such parameter or has not shone since another did.
    virtual ShaderValueView parameter(int /*light*/, std::string_view /*name*/) { return {}; }
};

} // namespace quelmark

#endif
