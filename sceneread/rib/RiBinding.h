// The state behind the RenderMan Interface procedures: declarations, the
// names already given to the scene API, colour samples and basis steps,
// the motion block, and the reports, each kind of warning made once.
// It also turns RI parameter lists into scene API ones.
#ifndef QEL_SCENEREAD_RIB_RIBINDING_H
#define QEL_SCENEREAD_RIB_RIBINDING_H

#include "common/GridResample.h"
#include "sceneread/rib/QelParameterList.h"
#include "sceneread/rib/RiCounts.h"
#include "sceneread/rib/RiCompiledShaders.h"
#include "sceneread/rib/RiDeclarations.h"
#include "sceneread/rib/RiShaders.h"
#include "sceneread/rib/RiTransforms.h"
#include "sceneread/rib/ri.h"

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quelmark {

// In a shader search path: the places the renderer looks in by default.
inline constexpr std::string_view kRendererPlaces = "&";

// Where varying values sit on a patch: a grid of ribU by ribV in the
// interface, of qelU by qelV in the scene API. Values are resampled
// bilinearly from one to the other.
struct RiGrid {
    long ribU = 0, ribV = 0, qelU = 0, qelV = 0;
};

class RiBinding {
public:
    static RiBinding& current();

    void reset();

    void report(long code, long severity, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Reports a warning the first time key is seen; true then.
    bool warnOnce(const std::string& key, long code, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // A request without counterpart: one warning per request name.
    void unsupported(const char* request);
    // Inside a motion block only the first request that is not a transform
    // is kept: true for the others, with one warning.
    bool skipInMotion();
    // Inside a motion block every transform goes on, one for each of its
    // times; the binding's own copy of the transform follows the first.
    bool followsTransform() { return !inMotion || motionTransforms++ == 0; }

    // The quark of a shader or space name: a built-in one, or one asked for once.
    unsigned short nameQuark(std::string_view name);
    // The quark of a parameter of the given scene API class and type,
    // declared once; 0 after a report when the name is already taken with
    // another type (or class, where it matters).
    unsigned short variableQuark(std::string_view name, short parameterClass, short type,
                                 bool classMatters);

    // The parameters of a primitive, the RI counts of its classes and the
    // scene API's; grid, when given, resamples varying values.
    QelParameterList& geometry(const char* request, const RiCounts& rib, const RiCounts& qel,
                               const RiGrid* grid, RtInt n, const RtToken tokens[],
                               const RtPointer values[]);
    // The parameters of a shader, renamed for a built-in one.
    QelParameterList& shader(const char* request, const RiShader* standard, RtInt n,
                             const RtToken tokens[], const RtPointer values[]);

    // Reports each parameter as one without counterpart in request.
    void dropAll(const char* request, RtInt n, const RtToken tokens[]);

    RiDeclarations declarations;
    RiTransforms transforms;
    // What the options chose where RenderMan's defaults differ from the
    // scene API's; saved by each frame.
    struct Choices {
        bool surface = false;
        bool filter = false;
        bool limits = false;
    };
    Choices chosen;
    std::vector<Choices> savedChoices;
    RtErrorHandler handler = RiErrorPrint;
    RtErrorHandler reportHandler = nullptr;
    int colorSamples = 3;
    long uStep = 3, vStep = 3;
    long xResolution = 640, yResolution = 480;
    // The scene API's tune values: grid edge, bucket width and height.
    std::array<long, 3> tune = {32, 16, 16};
    // Option "searchpath" "shader": the places compiled shaders are looked in;
    // kRendererPlaces stands for the renderer's own.
    std::string shaderPlaces{kRendererPlaces};
    // Whether the scene API has them: they are sent when first needed, so
    // that a scene of built-in shaders asks for none.
    bool shaderPlacesSent = true;
    void sendShaderPlaces();
    // The same for texture maps, sent with the shader places (compiled
    // shaders look maps up) and before a map is made.
    std::string texturePlaces{kRendererPlaces};
    bool texturePlacesSent = true;
    void sendTexturePlaces();
    RiCompiledShaders compiledShaders;
    // Quantize "rgba": one, min, max and dither.
    std::array<float, 4> colorQuantization = {255, 0, 255, 0.5f};
    bool varianceSet = false;
    float variance = 0;
    bool inMotion = false, motionTaken = false;
    int motionTransforms = 0;

private:
    struct QelName {
        unsigned short quark;
        short parameterClass, type;
    };
    struct Target {
        unsigned short quark = 0;
        short parameterClass = 0, type = 0;
    };

    bool resolve(const char* request, RtToken token, RiDeclaration& declaration,
                 std::string_view& name);
    Target geometryTarget(const char* request, std::string_view name,
                          const RiDeclaration& declaration);
    // Puts one parameter's values in the list, converted to the scene API's count.
    void convert(const char* request, std::string_view name, const RiDeclaration& declaration,
                 const Target& target, long ribItems, long qelItems, const RiGrid* grid,
                 const void* values);
    void copyScaled(const RiDeclaration& declaration, unsigned short quark, float scale,
                    const void* values);
    void addFallbacks(const RiShader& standard);

    QelParameterList fList;
    std::unordered_map<std::string, QelName> fNames;
    // The class and type each name was first given to the scene API with,
    // kept from one file to the next: the scene API keeps them for the
    // whole process, whatever a later file declares.
    std::unordered_map<std::string, QelName> fFirstGiven;
    std::unordered_set<std::string> fWarned;
};

// The scene API type of a declaration, or 0 when it has none.
short qelTypeOf(const RiDeclaration& declaration);
// The scene API class of a declaration's class.
short qelClassOf(RiClass parameterClass);
// The value count of a scene API class on a primitive with counts.
long qelCountOf(short parameterClass, const RiCounts& counts);

} // namespace quelmark

#endif
