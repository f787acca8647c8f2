#include "sceneread/rib/RiCornerMesh.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quelmark {

namespace {

bool perCorner(RiClass parameterClass) {
    return parameterClass == RiClass::FaceVarying || parameterClass == RiClass::FaceVertex;
}

bool perPoint(RiClass parameterClass) {
    return parameterClass == RiClass::Vertex || parameterClass == RiClass::Varying;
}

} // namespace

bool RiCornerMesh::needed(const RiDeclarations& declarations, RtInt n, const RtToken tokens[]) {
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view name;
        if (tokens[k] &&
            declarations.resolve(tokens[k], declaration, name) == RiDeclarations::Found &&
            perCorner(declaration.parameterClass))
            return true;
    }
    return false;
}

RiCornerMesh::RiCornerMesh(long corners, const RtInt vertices[], int colorSamples,
                           const RiDeclarations& declarations, RtInt n, const RtToken tokens[],
                           const RtPointer values[])
    : fVertices(size_t(corners)), fValues(values, values + n) {
    for (long c = 0; c < corners; ++c)
        fVertices[size_t(c)] = RtInt(c);
    static_assert(sizeof(RtInt) == sizeof(uint32_t) && sizeof(RtFloat) == sizeof(uint32_t));
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view name;
        if (!declarations.resolvesToNumbers(tokens[k], values[k], declaration, name) ||
            !perPoint(declaration.parameterClass))
            continue;
        // Numbers of four bytes, floats or integers alike.
        const size_t width = size_t(declaration.width(colorSamples));
        const auto* in = static_cast<const uint32_t*>(values[k]);
        std::vector<uint32_t>& out = fGathered.emplace_back(size_t(corners) * width);
        for (long c = 0; c < corners; ++c)
            std::memcpy(out.data() + size_t(c) * width, in + size_t(vertices[c]) * width,
                        width * sizeof(uint32_t));
        fValues[size_t(k)] = out.data();
    }
}

} // namespace quelmark
