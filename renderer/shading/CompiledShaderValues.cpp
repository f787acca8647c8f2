#include "renderer/shading/CompiledShaderValues.h"

#include "common/Matrix.h"
#include "common/Quark.h"
#include "renderer/state/ArgList.h"

#include <algorithm>

namespace quelmark {

namespace {

using sl::BasicType;

const sl::Register* parameterNamed(const sl::ShaderCode& code, std::string_view name) {
    for (const std::int32_t index : code.parameters())
        if (code.registers[std::size_t(index)].name == name)
            return &code.registers[std::size_t(index)];
    return nullptr;
}

// The request's type that carries values of the parameter's type.
short carrierType(BasicType basic) {
    switch (basic) {
    case BasicType::kFloat:
    case BasicType::kMatrix:
        return QEL_TYPE_FLOAT;
    case BasicType::kString:
        return QEL_TYPE_STRING;
    case BasicType::kColor:
        return QEL_TYPE_COLOR;
    case BasicType::kPoint:
    case BasicType::kVector:
    case BasicType::kNormal:
        return QEL_TYPE_POINT;
    case BasicType::kVoid:
        break;
    }
    return QEL_TYPE_NO;
}

const char* requestTypeName(short type) {
    switch (type) {
    case QEL_TYPE_FLOAT:
        return "float";
    case QEL_TYPE_INTEGER:
        return "integer";
    case QEL_TYPE_STRING:
        return "string";
    case QEL_TYPE_PAIR:
        return "pair";
    case QEL_TYPE_POINT:
        return "point";
    case QEL_TYPE_POINTW:
        return "pointw";
    case QEL_TYPE_COLOR:
        return "color";
    default:
        return "value of no type";
    }
}

std::size_t valuesOf(const sl::Type& type) {
    return std::size_t(std::max(type.arrayLength, 1));
}

// Points, vectors and normals from shader space to camera space.
void moveToCamera(BasicType basic, std::vector<float>& floats, const Matrix& shaderToCamera) {
    const Matrix normals = invtranspose(shaderToCamera);
    for (std::size_t at = 0; at + 3 <= floats.size(); at += 3) {
        const Point given(floats[at], floats[at + 1], floats[at + 2]);
        Point moved;
        if (basic == BasicType::kPoint)
            moved = given * shaderToCamera;
        else if (basic == BasicType::kVector)
            moved = vtransform(given, shaderToCamera);
        else
            moved = vtransform(given, normals);
        floats[at] = moved.x, floats[at + 1] = moved.y, floats[at + 2] = moved.z;
    }
}

} // namespace

CompiledShaderValues::CompiledShaderValues(const sl::ShaderCode& code, const ArgList& args,
                                           const Matrix& shaderToCamera, std::string_view request,
                                           std::vector<std::string>& warnings) {
    for (const ArgAssoc& entry : args) {
        const char* nameText = getString(entry.quark);
        const std::string name = nameText ? nameText : "";
        const sl::Register* parameter = parameterNamed(code, name);
        const auto skip = [&](const std::string& why) {
            warnings.push_back(std::string(request) + ": " + why + ": left out");
        };
        if (!parameter) {
            skip("no parameter \"" + name + "\"");
            continue;
        }
        const sl::Type& type = parameter->type;
        const std::size_t values = valuesOf(type);
        const bool integers = entry.parameterType == QEL_TYPE_INTEGER;
        const bool floats = type.basic == BasicType::kFloat;
        const bool pair = entry.parameterType == QEL_TYPE_PAIR && floats && type.arrayLength == 2;
        if (entry.parameterType != carrierType(type.basic) && !(integers && floats) && !pair) {
            skip("parameter \"" + name + "\" is a " + sl::describe(type) + ", given a " +
                 requestTypeName(entry.parameterType));
            continue;
        }
        Given given{.name = name, .floats = {}, .strings = {}};
        if (type.basic == BasicType::kString) {
            for (const String& text : entry.strings)
                given.strings.emplace_back(text.c_str());
        } else if (integers) {
            for (const long value : entry.integers)
                given.floats.push_back(float(value));
        } else {
            given.floats = entry.floats;
        }
        const std::size_t expected =
            type.basic == BasicType::kString ? values : values * std::size_t(type.floats());
        const std::size_t count =
            type.basic == BasicType::kString ? given.strings.size() : given.floats.size();
        if (count != expected) {
            skip("parameter \"" + name + "\" takes " + std::to_string(expected) +
                 " values, given " + std::to_string(count));
            continue;
        }
        if (type.isSpatial()) moveToCamera(type.basic, given.floats, shaderToCamera);
        fGiven.push_back(std::move(given));
    }
}

ShaderParameterValue CompiledShaderValues::parameter(std::string_view name) const {
    for (const Given& given : fGiven) {
        if (given.name != name) continue;
        ShaderParameterValue value;
        if (!given.strings.empty()) {
            value.strings = given.strings.data();
            value.size = given.strings.size();
        } else {
            value.floats = given.floats.data();
            value.size = given.floats.size();
        }
        return value;
    }
    return {};
}

} // namespace quelmark
