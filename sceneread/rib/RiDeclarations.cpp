#include "sceneread/rib/RiDeclarations.h"

#include <charconv>

namespace quelmark {

namespace {

struct Word {
    const char* text;
    unsigned char value;
};

const Word kClasses[] = {
    {"constant", static_cast<unsigned char>(RiClass::Constant)},
    {"uniform", static_cast<unsigned char>(RiClass::Uniform)},
    {"varying", static_cast<unsigned char>(RiClass::Varying)},
    {"vertex", static_cast<unsigned char>(RiClass::Vertex)},
    {"facevarying", static_cast<unsigned char>(RiClass::FaceVarying)},
    {"facevertex", static_cast<unsigned char>(RiClass::FaceVertex)},
};

const Word kTypes[] = {
    {"float", static_cast<unsigned char>(RiType::Float)},
    {"integer", static_cast<unsigned char>(RiType::Integer)},
    {"string", static_cast<unsigned char>(RiType::String)},
    {"point", static_cast<unsigned char>(RiType::Point)},
    {"vector", static_cast<unsigned char>(RiType::Vector)},
    {"normal", static_cast<unsigned char>(RiType::Normal)},
    {"color", static_cast<unsigned char>(RiType::Color)},
    {"hpoint", static_cast<unsigned char>(RiType::HPoint)},
    {"matrix", static_cast<unsigned char>(RiType::Matrix)},
};

// Other words for the types above, as later revisions and shaders write them.
const Word kTypeAliases[] = {
    {"int", static_cast<unsigned char>(RiType::Integer)},
    {"bool", static_cast<unsigned char>(RiType::Integer)},
};

// Arrays of more items than this in one declaration are refused.
constexpr int kMostArraySize = 65536;

struct Standard {
    const char* name;
    const char* declaration;
};

const Standard kStandard[] = {
    {"P", "vertex point"},
    {"Pz", "vertex float"},
    {"Pw", "vertex hpoint"},
    {"N", "varying normal"},
    {"Np", "uniform normal"},
    {"Cs", "varying color"},
    {"Os", "varying color"},
    {"s", "varying float"},
    {"t", "varying float"},
    {"st", "varying float[2]"},
    {"width", "varying float"},
    {"constantwidth", "constant float"},
    {"Ka", "uniform float"},
    {"Kd", "uniform float"},
    {"Ks", "uniform float"},
    {"Kr", "uniform float"},
    {"Km", "uniform float"},
    {"roughness", "uniform float"},
    {"specularcolor", "uniform color"},
    {"texturename", "uniform string"},
    {"intensity", "uniform float"},
    {"lightcolor", "uniform color"},
    {"from", "uniform point"},
    {"to", "uniform point"},
    {"coneangle", "uniform float"},
    {"conedeltaangle", "uniform float"},
    {"beamdistribution", "uniform float"},
    {"mindistance", "uniform float"},
    {"maxdistance", "uniform float"},
    {"distance", "uniform float"},
    {"background", "uniform color"},
    {"amplitude", "uniform float"},
    {"fov", "uniform float"},
    {"origin", "uniform integer[2]"},
    {"quantize", "uniform float[4]"},
    {"dither", "uniform float"},
    {"name", "uniform string"},
    {"shadinggroup", "uniform string"},
    {"sphere", "uniform float"},
    {"coordinatesystem", "uniform string"},
    {"bucketsize", "uniform integer[2]"},
    {"gridsize", "uniform integer"},
    {"texturememory", "uniform integer"},
    {"archive", "uniform string"},
    {"shader", "uniform string"},
    {"texture", "uniform string"},
    {"procedural", "uniform string"},
    {"resource", "uniform string"},
    {"display", "uniform string"},
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The next word of text, after white space; text keeps the rest.
std::string_view nextWord(std::string_view& text) {
    size_t start = 0;
    while (start < text.size() && isSpace(text[start]))
        ++start;
    size_t end = start;
    while (end < text.size() && !isSpace(text[end]) && text[end] != '[')
        ++end;
    std::string_view word = text.substr(start, end - start);
    text.remove_prefix(end);
    return word;
}

const Word* lookUp(const Word* begin, const Word* end, std::string_view word) {
    for (const Word* w = begin; w != end; ++w)
        if (word == w->text) return w;
    return nullptr;
}

// "[n]" with optional white space, at the start of text.
bool parseArraySize(std::string_view& text, int& size) {
    size_t k = 0;
    while (k < text.size() && isSpace(text[k]))
        ++k;
    if (k == text.size() || text[k] != '[') return true; // none
    ++k;
    while (k < text.size() && isSpace(text[k]))
        ++k;
    auto [ptr, ec] = std::from_chars(text.data() + k, text.data() + text.size(), size);
    if (ec != std::errc() || size < 1 || size > kMostArraySize) return false;
    k = size_t(ptr - text.data());
    while (k < text.size() && isSpace(text[k]))
        ++k;
    if (k == text.size() || text[k] != ']') return false;
    text.remove_prefix(k + 1);
    return true;
}

} // namespace

int RiDeclaration::width(int colorSamples) const {
    int perItem = 1;
    switch (type) {
    case RiType::Point:
    case RiType::Vector:
    case RiType::Normal:
        perItem = 3;
        break;
    case RiType::Color:
        perItem = colorSamples;
        break;
    case RiType::HPoint:
        perItem = 4;
        break;
    case RiType::Matrix:
        perItem = 16;
        break;
    default:
        break;
    }
    return perItem * arraySize;
}

void RiDeclarations::reset() {
    fTable.clear();
    for (const Standard& entry : kStandard)
        declare(entry.name, entry.declaration);
}

bool RiDeclarations::parse(std::string_view text, RiDeclaration& declaration) {
    RiDeclaration result;
    std::string_view word = nextWord(text);
    if (const Word* c = lookUp(std::begin(kClasses), std::end(kClasses), word)) {
        result.parameterClass = static_cast<RiClass>(c->value);
        word = nextWord(text);
    }
    const Word* t = lookUp(std::begin(kTypes), std::end(kTypes), word);
    if (!t) t = lookUp(std::begin(kTypeAliases), std::end(kTypeAliases), word);
    if (!t) return false;
    result.type = static_cast<RiType>(t->value);
    if (!parseArraySize(text, result.arraySize)) return false;
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    if (!text.empty()) return false;
    declaration = result;
    return true;
}

bool RiDeclarations::declare(std::string_view name, std::string_view text) {
    RiDeclaration declaration;
    if (name.empty() || !parse(text, declaration)) return false;
    for (char c : name)
        if (isSpace(c)) return false;
    fTable.insert_or_assign(std::string(name), declaration);
    return true;
}

const RiDeclaration* RiDeclarations::find(std::string_view name) const {
    auto found = fTable.find(name);
    return found == fTable.end() ? nullptr : &found->second;
}

RiDeclarations::Result RiDeclarations::resolve(std::string_view token, RiDeclaration& declaration,
                                               std::string_view& name) const {
    while (!token.empty() && isSpace(token.back()))
        token.remove_suffix(1);
    size_t last = token.size();
    while (last > 0 && !isSpace(token[last - 1]))
        --last;
    name = token.substr(last);
    if (last == 0) {
        const RiDeclaration* found = find(token);
        if (!found) return Undeclared;
        declaration = *found;
        return Found;
    }
    if (name.empty() || !parse(token.substr(0, last), declaration)) return Bad;
    return Found;
}

const char* RiDeclarations::className(RiClass parameterClass) {
    return kClasses[static_cast<int>(parameterClass)].text;
}

const char* RiDeclarations::typeName(RiType type) {
    return kTypes[static_cast<int>(type)].text;
}

} // namespace quelmark
