// The image outputs of a frame and what they ask of the renderer.
//
// Each output has a file format (or the display window), a name and a mode:
// the standard channels ("rgb", "rgba", "z", ...) or one shading variable
// ("N", "Cs", "s", ...) or an output variable of the shaders, a float or a
// triple named with its type ("varying color glow") or declared. The plan lists each output's
// channels with the quantisation that turns a filtered value into a stored one, and says what the
// hider must find beyond colour, alpha and depth: the composited opacity, the nearest depth, and
// the shading variables of the nearest surface at every sample.
#ifndef QEL_STATE_OUTPUTPLAN_H
#define QEL_STATE_OUTPUTPLAN_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

// zero + value·(one − zero), dithered, rounded and clamped to [min, max];
// a "one" below 1 keeps the value as a float.
struct Quantization {
    float zero = 0.0f, one = 0.0f, min = 0.0f, max = 0.0f, dither = 0.0f;
    bool keepsFloats() const { return one < 1.0f; }
};

// One image output as requested. The name is a file name, or the window's
// title. depthFromCamera gives depth channels the camera-space depth of the
// nearest surface rather than the hider's filtered depth key; clampsFloats
// keeps float colour, alpha and depth within [0, 1].
struct OutputRequest {
    short format = 0; // the display window, or a QEL_FORMAT_ file format
    std::string name;
    std::string mode;
    bool depthFromCamera = false;
    bool clampsFloats = true;
    bool ownQuantization = false;
    Quantization quantization;
};

// The shading variables an output may show: the standard ones, and an
// output variable of the shaders, by name.
enum class ShadingVariable : uint8_t { kP, kN, kNg, kCs, kOs, kS, kT, kU, kV, kShaderOutput };

enum class ChannelSource : uint8_t {
    kRed, // the exposed colour
    kGreen,
    kBlue,
    kAlpha,
    kDepth,        // the hider's depth key, filtered as colour is
    kNearestDepth, // camera-space depth of the nearest surface in the pixel
    kOpacity,      // the composited opacity, one component
    kVariable,     // one float of the nearest surface's shading variables
};

struct OutputChannel {
    ChannelSource source;
    uint16_t index = 0; // the opacity component, or the float among the variables
    Quantization quantization;
    bool clamps = false; // a float value is kept within [0, 1]
};

struct ImageOutput {
    short format = 0;
    std::string name;
    std::string mode;
    std::vector<OutputChannel> channels;
    // Channels by kind, as the image files lay them out: red, green and blue,
    // alpha, depth, or the components of a shading variable (1 or 3).
    bool color = false, alpha = false, depth = false;
    int variableComponents = 0;
};

struct PlannedVariable {
    ShadingVariable variable;
    uint16_t offset; // the first of its floats among the values a hit carries
    // A shader's output variable: its name and its floats, 1 or 3.
    std::string name = {};
    int components = 0;
};

struct OutputPlan {
    std::vector<ImageOutput> outputs;
    std::vector<PlannedVariable> variables;
    int variableFloats = 0;
    bool wantsOpacity = false;
    bool wantsNearestDepth = false;

    // The slots of one pixel over all outputs.
    int slotsPerPixel() const;
    bool wantsColor() const;
    bool wantsDepth() const;
    // Whether grids must be shaded: colour, alpha, opacity or variables.
    bool wantsShading() const;
    // Whether samples must carry more than colour, alpha and depth.
    bool wantsExtras() const { return wantsOpacity || variableFloats > 0; }
    // The offset of the variable's floats, or -1 when no output shows it.
    int offsetOf(ShadingVariable variable) const;
    // A shader's output variable is known by its name and its floats.
    int offsetOfShaderOutput(std::string_view name, int components) const;
};

// The variable a mode names ("N", "varying normal N"), or false.
bool shadingVariableNamed(const std::string& mode, ShadingVariable& variable);
int componentsOf(ShadingVariable variable);
// The standard channels a mode names as a samples code's bits (1 colour,
// 2 alpha, 4 depth), or 0 when it names none of them.
int standardChannelsNamed(const std::string& mode);
// The floats of the shaders' output variable a mode names, 1 or 3: its type
// is given in the mode ("color glow", "varying float mask") or declared
// before (qelVariable); 0 when the mode names none.
int shaderOutputComponents(const std::string& mode);
// Whether the mode names standard channels, a shading variable, "Ci", "Oi"
// or a shaders' output variable.
bool isOutputMode(const std::string& mode);

// The plan of the requests, with the frame's colour and depth quantisation
// for the standard channels of outputs that have none of their own. Modes
// that name nothing the renderer knows are left out.
OutputPlan planOutputs(const std::vector<OutputRequest>& requests, const Quantization& color,
                       const Quantization& depth);

} // namespace quelmark

#endif
