// The declarations of RenderMan Interface parameter names: the standard ones,
// those made with RiDeclare and those written inline in a parameter token
// ("uniform float Kd"). The RIB reader and the binding both look names up
// here.
#ifndef QEL_SCENEREAD_RIB_RIDECLARATIONS_H
#define QEL_SCENEREAD_RIB_RIDECLARATIONS_H

#include <string>
#include <string_view>
#include <unordered_map>

namespace quelmark {

enum class RiClass : unsigned char { Constant, Uniform, Varying, Vertex, FaceVarying, FaceVertex };
enum class RiType : unsigned char {
    Float,
    Integer,
    String,
    Point,
    Vector,
    Normal,
    Color,
    HPoint,
    Matrix
};

struct RiDeclaration {
    RiClass parameterClass = RiClass::Uniform;
    RiType type = RiType::Float;
    int arraySize = 1; // the n of "float[n]"

    // Numbers (or strings) per item.
    int width(int colorSamples) const;
    bool isString() const { return type == RiType::String; }
    bool isInteger() const { return type == RiType::Integer; }
    bool operator==(const RiDeclaration&) const = default;
};

class RiDeclarations {
public:
    enum Result { Found, Undeclared, Bad };

    RiDeclarations() { reset(); }

    // Back to the standard declarations only.
    void reset();
    // "[class] type['[' n ']']"; false when the text is not a declaration.
    static bool parse(std::string_view text, RiDeclaration& declaration);
    // False, and nothing declared, for a malformed declaration.
    bool declare(std::string_view name, std::string_view text);
    const RiDeclaration* find(std::string_view name) const;
    // A parameter token: either a declared name or an inline declaration
    // followed by the name. name is the bare name in either case.
    Result resolve(std::string_view token, RiDeclaration& declaration,
                   std::string_view& name) const;
    // A parameter of numbers (not strings) whose token resolves and that has
    // values.
    bool resolvesToNumbers(const char* token, const void* values, RiDeclaration& declaration,
                           std::string_view& name) const {
        return token && values && resolve(token, declaration, name) == Found &&
               !declaration.isString();
    }

    static const char* className(RiClass parameterClass);
    static const char* typeName(RiType type);

private:
    struct Hasher {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };
    std::unordered_map<std::string, RiDeclaration, Hasher, std::equal_to<>> fTable;
};

} // namespace quelmark

#endif
