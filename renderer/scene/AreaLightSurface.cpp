#include "renderer/scene/AreaLightSurface.h"

#include "renderer/geometry/Primitive.h"
#include "renderer/geometry/PrimitiveSink.h"
#include "renderer/shading/Light.h"

#include <deque>
#include <memory>
#include <vector>

namespace quelmark {

namespace {

// Cells along each parameter: of a primitive with a surface of its own, and
// of each piece a split made.
constexpr int kPrimitiveCells = 4;
constexpr int kPieceCells = 2;

// Keeps the pieces a split makes, to be measured and let go.
class PieceSink final : public PrimitiveSink {
public:
    explicit PieceSink(const RenderContext& context) : fContext(context) {}
    const RenderContext& context() const override { return fContext; }
    void add(Primitive* child) override { pieces.emplace_back(child); }
    void subdivide(const Primitive&, const std::function<void()>&) override {}

    std::deque<std::unique_ptr<Primitive>> pieces;

private:
    const RenderContext& fContext;
};

bool madeOfRequests(const Primitive& primitive) {
    return primitive.type() == primitive_class::kProcedural ||
           primitive.type() == primitive_class::kObject;
}

} // namespace

void giveSurfaceToLight(Primitive& primitive, Light& light, const RenderContext& context) {
    std::vector<SurfaceElement> elements;
    primitive.surfaceElements(kPrimitiveCells, elements);
    if (elements.empty() && primitive.canSplit() && !madeOfRequests(primitive)) {
        PieceSink sink(context);
        primitive.split(sink);
        for (int examined = 0; !sink.pieces.empty() && examined < kMostAreaLightPieces;
             ++examined) {
            std::unique_ptr<Primitive> piece = std::move(sink.pieces.front());
            sink.pieces.pop_front();
            const std::size_t before = elements.size();
            piece->surfaceElements(kPieceCells, elements);
            if (elements.size() == before && piece->canSplit() && !madeOfRequests(*piece))
                piece->split(sink);
        }
    }
    light.addSurface(elements);
}

} // namespace quelmark
