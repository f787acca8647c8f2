// The order key of a sample hit: the normalised depth (hidden-surface
// hiding) or the grid's sequence number (painter's hiding), held as 32 bits
// that sort front to back as unsigned numbers, so that comparing two hits
// needs no knowledge of the hider.
#ifndef QEL_HIDER_SAMPLEORDER_H
#define QEL_HIDER_SAMPLEORDER_H

#include <bit>
#include <cstdint>

namespace quelmark {

class SampleOrder {
public:
    constexpr SampleOrder() = default;

    static constexpr SampleOrder fromDepth(float depth) {
        const uint32_t bits = std::bit_cast<uint32_t>(depth);
        return SampleOrder(bits & kSignBit ? ~bits : bits | kSignBit);
    }
    static constexpr SampleOrder fromSequence(uint32_t sequence) { return SampleOrder(~sequence); }
    // Behind every depth and every sequence number.
    static constexpr SampleOrder farthest() { return SampleOrder(0xFFFFFFFFu); }

    constexpr float depth() const {
        return std::bit_cast<float>(fKey & kSignBit ? fKey & ~kSignBit : ~fKey);
    }
    constexpr uint32_t sequence() const { return ~fKey; }

    // Front to back: nearer first, or the later primitive first.
    constexpr bool operator<(const SampleOrder& other) const { return fKey < other.fKey; }

private:
    static constexpr uint32_t kSignBit = 0x80000000u;

    constexpr explicit SampleOrder(uint32_t key) : fKey(key) {}

    // Ordered as unsigned numbers, whichever way the key was made.
    uint32_t fKey = 0;
};

} // namespace quelmark

#endif
