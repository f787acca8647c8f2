// A procedural primitive: a bound and a caller's subdivision function that,
// when the primitive is split, issues the requests that make its contents.
// The caller's release function runs once, when no instance is left.
#ifndef QEL_GEOMETRY_PROCEDURAL_H
#define QEL_GEOMETRY_PROCEDURAL_H

#include "api/qel.h"
#include "common/Bound.h"
#include "renderer/geometry/Primitive.h"

#include <memory>

namespace quelmark {

class Procedural : public Primitive {
public:
    // The caller's data, released once when the last holder lets go.
    class Data {
    public:
        Data(void* data, qelReleaseFunc release) : fData(data), fRelease(release) {}
        ~Data() {
            if (fRelease) fRelease(fData);
        }
        Data(const Data&) = delete;
        Data& operator=(const Data&) = delete;
        void* get() const { return fData; }

    private:
        void* fData;
        qelReleaseFunc fRelease;
    };

    Procedural(std::shared_ptr<Data> data, const Bound& bound, qelSubdivideFunc subdivide);

    // Procedurals made by procedurals nest no deeper than this: deeper ones
    // are reported and left out, so that one making itself again ends.
    static constexpr int kDeepestGeneration = 64;

    int32_t type() const override { return primitive_class::kProcedural; }
    Boundw bound() const override;
    DiceDecision diceable(const RenderContext&, float) override { return {}; }
    int generation() const { return fGeneration; }
    // A procedural made while another subdivides is one generation deeper.
    void followParent(const Primitive& parent) override;
    // Runs the subdivision with the raster area of the bound as the detail,
    // under the attributes and transform the procedural was made with.
    void split(PrimitiveSink& sink) override;

private:
    std::shared_ptr<Data> fData;
    Bound fBound;
    qelSubdivideFunc fSubdivide;
    int fGeneration = 0;
};

} // namespace quelmark

#endif
