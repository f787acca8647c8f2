// The shading-variable values image outputs show, for the sample hits of a
// bucket: each hit that carries them has a record of the plan's floats,
// interpolated over its micropolygon as its colour is.
#ifndef QEL_HIDER_HITVALUES_H
#define QEL_HIDER_HITVALUES_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelmark {

class MicroPolygon;

class HitValues {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Forgets the records; each new one holds floats floats.
    void reset(int floats) {
        fFloats = floats;
        fValues.clear();
    }
    int floats() const { return fFloats; }

    // A record of the micropolygon's values at (s, t) within it, taken from
    // its grid; zeros when the grid kept none.
    uint32_t add(const MicroPolygon& mp, float s, float t);
    // A copy of a record, kept by another pool.
    uint32_t add(const float* values);
    const float* at(uint32_t index) const {
        return fValues.data() + std::size_t(index) * std::size_t(fFloats);
    }

private:
    float* append();

    int fFloats = 0;
    std::vector<float> fValues;
};

} // namespace quelmark

#endif
