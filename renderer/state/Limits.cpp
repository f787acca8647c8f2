#include "renderer/state/Limits.h"

#include "common/Error.h"

namespace quelmark {

float withinLimits(const char* what, float value, float low, float high) {
    if (value >= low && value <= high) return value;
    float corrected = value > high ? high : low;
    error(kErrRange, kError, "%s %g out of range %.8g to %.8g, using %.8g", what, double(value),
          double(low), double(high), double(corrected));
    return corrected;
}

long withinLimits(const char* what, long value, long low, long high) {
    if (value >= low && value <= high) return value;
    long corrected = value > high ? high : low;
    error(kErrRange, kError, "%s %ld out of range %ld to %ld, using %ld", what, value, low, high,
          corrected);
    return corrected;
}

} // namespace quelmark
