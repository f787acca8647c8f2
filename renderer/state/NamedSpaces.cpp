#include "renderer/state/NamedSpaces.h"

#include "common/Error.h"
#include "common/Quark.h"
#include "renderer/state/Camera.h"
#include "renderer/state/State.h"
#include "renderer/state/Transform.h"

#include <vector>

namespace quelmark {

namespace {

struct QuarkSpace {
    unsigned short name;
    Matrix toCamera;
};

std::vector<QuarkSpace>& quarkSpaces() {
    static std::vector<QuarkSpace> spaces;
    return spaces;
}

bool isStandardSpace(unsigned short name) {
    return name >= kQuarkRaster && name <= kQuarkModel;
}

// The matrix from a space to camera space; false when the name is unknown.
bool toCamera(unsigned short name, Matrix& out) {
    switch (name) {
    case kQuarkRaster:
        out = invert(gCameraToRaster);
        return true;
    case kQuarkImage:
        out = invert(gCameraToScreen);
        return true;
    case kQuarkEye:
        out = gIdentity;
        return true;
    case kQuarkWorld:
        out = gWorldToCamera;
        return true;
    case kQuarkModel:
        out = gTransform->matrix();
        return true;
    default:
        break;
    }
    for (const QuarkSpace& space : quarkSpaces())
        if (space.name == name) {
            out = space.toCamera;
            return true;
        }
    return false;
}

} // namespace

void markSpace(unsigned short name) {
    if (!gState->verify(kBlockAnyButObjectOrMotion, kErrIllState)) return;
    if (isStandardSpace(name)) {
        error(kErrRange, kError, "cannot redefine standard coordinate system %ld", long(name));
        return;
    }
    if (!getString(name)) {
        error(kErrRange, kError, "unknown coordinate space %ld", long(name));
        return;
    }
    for (QuarkSpace& space : quarkSpaces())
        if (space.name == name) {
            space.toCamera = gTransform->matrix();
            return;
        }
    quarkSpaces().push_back({name, gTransform->matrix()});
}

float (*projectPoints(unsigned short fromSpace, unsigned short toSpace, long n,
                      float points[][3]))[3] {
    if (!gState->verify(kBlockAnyButObjectOrMotion, kErrIllState)) return nullptr;
    if (n < 0) {
        error(kErrRange, kError, "count %ld out of range", n);
        return nullptr;
    }
    if (!points && n > 0) {
        error(kErrMissingData, kError, "points must not be null");
        return nullptr;
    }
    Matrix from, to;
    if (!toCamera(fromSpace, from)) {
        error(kErrRange, kError, "unknown coordinate space %ld", long(fromSpace));
        return nullptr;
    }
    if (!toCamera(toSpace, to)) {
        error(kErrRange, kError, "unknown coordinate space %ld", long(toSpace));
        return nullptr;
    }
    Matrix transform = from * invert(to);
    for (long i = 0; i < n; ++i) {
        Point p = Point(points[i][0], points[i][1], points[i][2]) * transform;
        points[i][0] = p.x, points[i][1] = p.y, points[i][2] = p.z;
    }
    return points;
}

void clearMarkedSpaces() {
    quarkSpaces().clear();
}

std::vector<MarkedSpace> markedSpaces() {
    std::vector<MarkedSpace> spaces;
    spaces.reserve(quarkSpaces().size());
    for (const QuarkSpace& space : quarkSpaces())
        spaces.push_back({getString(space.name), space.toCamera});
    return spaces;
}

} // namespace quelmark
