// Colours packed as 0x00BBGGRR, a byte per channel, as the display windows
// and the median cut keep them.
#ifndef QEL_RENDERER_DISPLAY_PACKEDCOLOR_H
#define QEL_RENDERER_DISPLAY_PACKEDCOLOR_H

#include <cstdint>

namespace quelmark {

namespace packed {

// Only the low byte of each channel value counts.
inline uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16;
}
inline int red(uint32_t c) {
    return int(c & 0xFF);
}
inline int green(uint32_t c) {
    return int((c >> 8) & 0xFF);
}
inline int blue(uint32_t c) {
    return int((c >> 16) & 0xFF);
}

} // namespace packed

} // namespace quelmark

#endif
