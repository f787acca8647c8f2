// Which channels a stored pixel holds and how they were quantised. The slots
// of a pixel run r, g, b (colour), alpha, z (depth) for the channels that are
// on, then the components of a shading variable, if any. Colour and alpha
// share the colour "one", depth and the variable have their own; a "one"
// below 1 means the slot holds the bits of a float, otherwise the quantised
// integer.
#ifndef QEL_DISPLAY_PIXELFORMAT_H
#define QEL_DISPLAY_PIXELFORMAT_H

#include <bit>
#include <cstdint>

namespace quelmark {

struct PixelFormat {
    bool color = true;
    bool alpha = false;
    bool depth = false;
    int variableComponents = 0; // 0, 1 or 3
    float colorOne = 255.0f;
    float depthOne = 0.0f;
    float variableOne = 0.0f;
    // The largest value a slot can hold: that of the quantisation's maximum
    // when every slot is quantised to numbers from 0, else every bit.
    uint32_t largestSlot = 0xFFFFFFFFu;

    int channels() const { return 3 * color + alpha + depth + variableComponents; }
    int alphaSlot() const { return alpha ? 3 * color : -1; }
    int depthSlot() const { return depth ? 3 * color + alpha : -1; }
    int firstVariableSlot() const { return 3 * color + alpha + depth; }
    bool isDepthSlot(int slot) const { return slot == depthSlot(); }
    // Three colour or variable components, shown as red, green and blue.
    bool isRgb() const { return color || variableComponents == 3; }
    float oneOf(int slot) const {
        if (slot >= firstVariableSlot()) return variableOne;
        return isDepthSlot(slot) ? depthOne : colorOne;
    }
    bool isFloatSlot(int slot) const { return oneOf(slot) < 1.0f; }
    bool hasFloatSlot() const {
        for (int slot = 0; slot < channels(); ++slot)
            if (isFloatSlot(slot)) return true;
        return false;
    }
};

inline float floatFromSlot(uint32_t slot) {
    return std::bit_cast<float>(slot);
}
inline uint32_t slotFromFloat(float value) {
    return std::bit_cast<uint32_t>(value);
}

} // namespace quelmark

#endif
