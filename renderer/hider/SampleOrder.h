// The depth key of a sample hit: 32 bits read either as the normalised depth
// (hidden-surface hiding) or as the grid's sequence number (painter's hiding).
#ifndef QEL_HIDER_SAMPLEORDER_H
#define QEL_HIDER_SAMPLEORDER_H

#include <bit>
#include <cstdint>

class SampleOrder {
public:
    constexpr SampleOrder() = default;

    static constexpr SampleOrder fromDepth(float depth) {
        return SampleOrder(std::bit_cast<uint32_t>(depth));
    }
    static constexpr SampleOrder fromSequence(uint32_t sequence) { return SampleOrder(sequence); }

    constexpr float depth() const { return std::bit_cast<float>(fBits); }
    constexpr uint32_t sequence() const { return fBits; }

private:
    constexpr explicit SampleOrder(uint32_t bits) : fBits(bits) {}

    uint32_t fBits = 0;
};

#endif
