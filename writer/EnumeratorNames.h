// The names by which the scene file spells enumerator codes and the
// built-in filter functions.
#ifndef QEL_WRITER_ENUMERATORNAMES_H
#define QEL_WRITER_ENUMERATORNAMES_H

#include "api/qel.h"

namespace quelmark {

// The name of an enumerator code; "null" for 0 and for a code without a name.
const char* enumeratorName(short code);

// "box", "triangle", "catmull-rom", "gaussian" or "sinc" for the built-in
// filters; "gaussian" for any other function.
const char* filterName(qelFilterFunc filter);

} // namespace quelmark

#endif
