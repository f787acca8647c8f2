#include "common/GridResample.h"

#include <algorithm>

namespace quelmark {

void resampleGrid(const float* in, long inU, long inV, int width, long outU, long outV,
                  float* out) {
    for (long j = 0; j < outV; ++j) {
        double v = outV > 1 ? double(j) * double(inV - 1) / double(outV - 1) : 0;
        long v0 = std::min(long(v), std::max(inV - 2, 0L));
        long v1 = std::min(v0 + 1, inV - 1);
        double fv = v - double(v0);
        for (long i = 0; i < outU; ++i) {
            double u = outU > 1 ? double(i) * double(inU - 1) / double(outU - 1) : 0;
            long u0 = std::min(long(u), std::max(inU - 2, 0L));
            long u1 = std::min(u0 + 1, inU - 1);
            double fu = u - double(u0);
            for (int c = 0; c < width; ++c) {
                auto at = [&](long uu, long vv) { return double(in[(vv * inU + uu) * width + c]); };
                double value = (1 - fu) * (1 - fv) * at(u0, v0) + fu * (1 - fv) * at(u1, v0) +
                               (1 - fu) * fv * at(u0, v1) + fu * fv * at(u1, v1);
                out[(j * outU + i) * width + c] = float(value);
            }
        }
    }
}

} // namespace quelmark
