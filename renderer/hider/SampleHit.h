// One visible fragment seen by a sample: its depth key, colour and opacity,
// whether it hides everything behind it, the matte flag of its grid, and
// the record of its shading-variable values, if the bucket keeps them.
#ifndef QEL_HIDER_SAMPLEHIT_H
#define QEL_HIDER_SAMPLEHIT_H

#include "common/Color.h"
#include "renderer/hider/SampleOrder.h"

#include <cstdint>

namespace quelmark {

struct SampleHit {
    SampleHit(SampleOrder order, const Color& Ci, const Color& Oi, short matte,
              uint32_t values = 0xFFFFFFFFu);
    SampleHit(const SampleHit& other) = default;
    SampleHit& operator=(const SampleHit& other) = default;

    // Front to back: nearer first, or with the painter's hider the later
    // primitive (higher sequence number) first.
    bool operator<(const SampleHit& other) const;

    SampleOrder order;
    Color Ci;
    Color Oi;
    uint16_t opaque; // 1 when every component of Oi is 1
    int16_t matte;
    uint32_t values;
};

} // namespace quelmark

#endif
