// The built-in reconstruction filters. Each takes the offset (x, y) of a
// sample from the pixel centre and the filter widths, and returns its weight;
// outside the rectangular support the weight is 0.
#ifndef QEL_COMMON_FILTER_H
#define QEL_COMMON_FILTER_H

#include "api/qel.h"

namespace quelmark {

// The filter function of a filter enumerator (0x100 to 0x104), or null.
qelFilterFunc filterForCode(short code);

} // namespace quelmark

#endif
