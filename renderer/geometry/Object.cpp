#include "renderer/geometry/Object.h"

#include "common/Error.h"

namespace quelmark {

Object::Object(const Matrix& atBegin) : fBeginInverse(invert(atBegin)) {}

bool Object::record(Maker make, int32_t type, const Matrix& transform) {
    if (fType >= 0 && type != fType) {
        error(kErrConsistency, kError, "all object primitives must be of the same type");
        return false;
    }
    fType = type;
    fRecords.push_back({std::move(make), transform * fBeginInverse});
    return true;
}

} // namespace quelmark
