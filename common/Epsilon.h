// The magnitude below which the renderer treats a value as zero.
#ifndef QEL_COMMON_EPSILON_H
#define QEL_COMMON_EPSILON_H

namespace quelmark {

constexpr float kEpsilon = 1e-10f;

} // namespace quelmark

#endif
