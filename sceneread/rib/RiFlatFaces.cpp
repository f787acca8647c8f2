#include "sceneread/rib/RiFlatFaces.h"

#include <cmath>
#include <cstring>
#include <string_view>

namespace quelmark {

namespace {

// Below this, twice a loop's area counts as none.
constexpr double kLeastArea = 1e-10;

} // namespace

RiPositions::RiPositions(const RiDeclarations& declarations, RtInt n, const RtToken tokens[],
                         const RtPointer values[]) {
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view name;
        if (!tokens[k] || !values[k] ||
            declarations.resolve(tokens[k], declaration, name) != RiDeclarations::Found)
            continue;
        if (name == "P" && declaration.type == RiType::Point) {
            fValues = static_cast<const RtFloat*>(values[k]);
            fWidth = 3;
        } else if (name == "Pw" && declaration.type == RiType::HPoint) {
            fValues = static_cast<const RtFloat*>(values[k]);
            fWidth = 4;
        }
    }
}

// Newell's normal, whose length is twice the loop's area.
bool RiPositions::zeroArea(const RtInt* indices, long count) const {
    if (!fValues || count < 3) return false;
    auto point = [&](long k, double p[3]) {
        const RtFloat* v = fValues + size_t(indices ? indices[k] : k) * size_t(fWidth);
        double w = fWidth == 4 && v[3] != 0 ? v[3] : 1.0;
        for (int c = 0; c < 3; ++c)
            p[c] = v[c] / w;
    };
    double nx = 0, ny = 0, nz = 0, a[3], b[3];
    for (long k = 0; k < count; ++k) {
        point(k, a);
        point((k + 1) % count, b);
        nx += (a[1] - b[1]) * (a[2] + b[2]);
        ny += (a[2] - b[2]) * (a[0] + b[0]);
        nz += (a[0] - b[0]) * (a[1] + b[1]);
    }
    return std::sqrt(nx * nx + ny * ny + nz * nz) <= kLeastArea;
}

RiMeshFaces::RiMeshFaces(long faces, const RtInt nloops[], const RtInt nvertices[],
                         const RtInt vertices[], const RiPositions& positions) {
    long loop = 0, corner = 0;
    for (long face = 0; face < faces; ++face) {
        long loops = nloops ? nloops[face] : 1;
        long cornersOfFace = 0;
        for (long l = 0; l < loops; ++l)
            cornersOfFace += nvertices[loop + l];
        // A face without loops has no outline to measure.
        if (loops > 0 && positions.zeroArea(vertices + corner, nvertices[loop])) {
            ++fDropped;
        } else {
            fFacesKept.push_back(face);
            fLoopsKept.push_back(RtInt(loops));
            for (long l = 0; l < loops; ++l)
                fVerticesKept.push_back(nvertices[loop + l]);
            for (long c = 0; c < cornersOfFace; ++c) {
                fCornersKept.push_back(vertices[corner + c]);
                fCornerFrom.push_back(corner + c);
            }
        }
        loop += loops;
        corner += cornersOfFace;
    }
}

const RtPointer* RiMeshFaces::values(const RiDeclarations& declarations, int colorSamples, RtInt n,
                                     const RtToken tokens[], const RtPointer values[]) {
    fValues.assign(values, values + n);
    fKeptValues.clear();
    static_assert(sizeof(RtInt) == sizeof(uint32_t) && sizeof(RtFloat) == sizeof(uint32_t));
    for (RtInt k = 0; k < n; ++k) {
        RiDeclaration declaration;
        std::string_view name;
        if (!declarations.resolvesToNumbers(tokens[k], values[k], declaration, name)) continue;
        const std::vector<long>* kept = nullptr;
        if (declaration.parameterClass == RiClass::Uniform)
            kept = &fFacesKept;
        else if (declaration.parameterClass == RiClass::FaceVarying ||
                 declaration.parameterClass == RiClass::FaceVertex)
            kept = &fCornerFrom;
        if (!kept) continue;
        // Numbers of four bytes, floats or integers alike.
        const size_t width = size_t(declaration.width(colorSamples));
        const auto* in = static_cast<const uint32_t*>(values[k]);
        std::vector<uint32_t>& out = fKeptValues.emplace_back(kept->size() * width);
        for (size_t item = 0; item < kept->size(); ++item)
            std::memcpy(out.data() + item * width, in + size_t((*kept)[item]) * width,
                        width * sizeof(uint32_t));
        fValues[size_t(k)] = out.data();
    }
    return fValues.data();
}

} // namespace quelmark
