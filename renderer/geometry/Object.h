// A retained object: the primitives made between object begin and end, kept
// as the means to make them again. Each instance remakes them under the
// caller's attributes, the current transform applied after their own.
#ifndef QEL_GEOMETRY_OBJECT_H
#define QEL_GEOMETRY_OBJECT_H

#include "common/Matrix.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace quelmark {

class Primitive;

class Object {
public:
    using Maker = std::function<Primitive*()>;

    // The transform current at object begin: primitives keep their place
    // relative to it.
    explicit Object(const Matrix& atBegin);
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Keeps a primitive's maker, with the transform current when it was made.
    // False (reported) when its class differs from the object's first one.
    bool record(Maker make, int32_t type, const Matrix& transform);

    struct Record {
        Maker make;
        Matrix local; // the primitive's transform relative to the object's
    };
    const std::vector<Record>& records() const { return fRecords; }
    int count() const { return int(fRecords.size()); }

private:
    Matrix fBeginInverse;
    std::vector<Record> fRecords;
    int32_t fType = -1;
};

} // namespace quelmark

#endif
