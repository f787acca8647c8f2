#include "sceneread/OpenBlocks.h"

namespace quelmark {

namespace {

// Blocks named in a description; those further out are counted.
constexpr size_t kMostNamed = 4;

} // namespace

void OpenBlocks::open(Kind kind, long line) {
    if (fUnkept > 0 || fBlocks.size() == kMostKept)
        ++fUnkept;
    else
        fBlocks.push_back({kind, line});
}

void OpenBlocks::close(Kind kind) {
    if (fUnkept > 0) {
        --fUnkept;
        return;
    }
    for (size_t k = fBlocks.size(); k-- > 0;) {
        if (fBlocks[k].kind == kind) {
            fBlocks.resize(k);
            return;
        }
    }
}

std::string OpenBlocks::describe() const {
    std::string text;
    size_t named = 0;
    for (size_t k = fBlocks.size(); k-- > 0 && named < kMostNamed; ++named) {
        if (named > 0) text += ", in ";
        text += "the ";
        text += nameOf(fBlocks[k].kind);
        text += " begun at line " + std::to_string(fBlocks[k].line);
    }
    size_t unnamed = fBlocks.size() - named;
    if (unnamed > 0) text += ", in " + std::to_string(unnamed) + " more";
    return text;
}

const char* OpenBlocks::nameOf(Kind kind) {
    switch (kind) {
    case Kind::Frame:
        return "frame";
    case Kind::Scene:
        return "scene";
    case Kind::World:
        return "world";
    case Kind::Attribute:
        return "attribute block";
    case Kind::Transform:
        return "transform block";
    case Kind::Object:
        return "object";
    case Kind::Archive:
        return "archive";
    case Kind::Motion:
        return "motion block";
    case Kind::Solid:
        return "solid block";
    }
    return "block";
}

} // namespace quelmark
