// The types of the shading language: a basic type, whether its value may
// differ from point to point (varying) or is one for all (uniform), and an
// array length.
#ifndef QEL_SHADERCODE_TYPES_H
#define QEL_SHADERCODE_TYPES_H

#include <string>

namespace quelmark::sl {

enum class BasicType { kVoid, kFloat, kString, kColor, kPoint, kVector, kNormal, kMatrix };

enum class Detail { kUniform, kVarying };

struct Type {
    BasicType basic = BasicType::kVoid;
    Detail detail = Detail::kVarying;
    // 0: not an array; -1: an array whose length the caller gives (a
    // function's or shader's parameter); otherwise the length.
    int arrayLength = 0;

    bool isArray() const { return arrayLength != 0; }
    // point, vector and normal: the three kinds of spatial triple.
    bool isSpatial() const {
        return basic == BasicType::kPoint || basic == BasicType::kVector ||
               basic == BasicType::kNormal;
    }
    // Three floats: a colour or a spatial triple.
    bool isTriple() const { return basic == BasicType::kColor || isSpatial(); }
    // How many floats one value holds: 1, 3 or 16 (0 for void and string).
    int floats() const;

    bool operator==(const Type&) const = default;
};

// The kinds of shader a source file can define.
enum class ShaderKind { kSurface, kLight, kDisplacement, kVolume, kImager };

// "float", "uniform point", "varying color[3]"...
std::string describe(const Type& type);
const char* describe(BasicType basic);
const char* describe(ShaderKind kind);

} // namespace quelmark::sl

#endif
