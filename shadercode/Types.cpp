#include "shadercode/Types.h"

namespace quelmark::sl {

int Type::floats() const {
    switch (basic) {
    case BasicType::kFloat:
        return 1;
    case BasicType::kColor:
    case BasicType::kPoint:
    case BasicType::kVector:
    case BasicType::kNormal:
        return 3;
    case BasicType::kMatrix:
        return 16;
    case BasicType::kVoid:
    case BasicType::kString:
        return 0;
    }
    return 0;
}

const char* describe(BasicType basic) {
    switch (basic) {
    case BasicType::kVoid:
        return "void";
    case BasicType::kFloat:
        return "float";
    case BasicType::kString:
        return "string";
    case BasicType::kColor:
        return "color";
    case BasicType::kPoint:
        return "point";
    case BasicType::kVector:
        return "vector";
    case BasicType::kNormal:
        return "normal";
    case BasicType::kMatrix:
        return "matrix";
    }
    return "?";
}

std::string describe(const Type& type) {
    std::string text = type.detail == Detail::kUniform ? "uniform " : "varying ";
    text += describe(type.basic);
    if (type.arrayLength > 0) text += "[" + std::to_string(type.arrayLength) + "]";
    if (type.arrayLength < 0) text += "[]";
    return text;
}

const char* describe(ShaderKind kind) {
    switch (kind) {
    case ShaderKind::kSurface:
        return "surface";
    case ShaderKind::kLight:
        return "light";
    case ShaderKind::kDisplacement:
        return "displacement";
    case ShaderKind::kVolume:
        return "volume";
    case ShaderKind::kImager:
        return "imager";
    }
    return "shader";
}

} // namespace quelmark::sl
