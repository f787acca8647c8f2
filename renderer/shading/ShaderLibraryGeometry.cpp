// The geometric functions: components of points, lengths and distances,
// rotation, facing, reflection and refraction, moving points, vectors and
// normals between spaces, and depth.
//
// transform(to, p) moves p from the current space to "to";
// transform(from, to, p) from "from" to "to"; transform(m, p) by the matrix;
// transform(from, m, p) from "from" to the current space, then by the
// matrix. vtransform moves vectors by the upper 3 by 3 part, ntransform
// normals by the inverse transpose. A space the environment does not know is
// reported and leaves the value as it was.
#include "renderer/shading/ShaderLibraryCall.h"
#include "renderer/shading/ShaderTripleMath.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

using sl::BuiltinOp;
using Operands = std::span<const std::int32_t>;

// eta is the ratio of the index of refraction on the incident side to that
// on the other; total internal reflection gives the zero vector.
ShaderTriple refraction(const ShaderTriple& incident, const ShaderTriple& normal, float eta) {
    const float cosine = dotProduct(incident, normal);
    const float k = 1 - eta * eta * (1 - cosine * cosine);
    if (k < 0) return {0, 0, 0};
    return minus(scaled(incident, eta), scaled(normal, eta * cosine + std::sqrt(k)));
}

// The share of unpolarised light reflected, for unit incident and normal.
float reflectance(const ShaderTriple& incident, const ShaderTriple& normal, float eta) {
    const float cosIncident = std::fabs(dotProduct(unit(incident), unit(normal)));
    const float sinSquaredTransmitted = eta * eta * (1 - cosIncident * cosIncident);
    if (sinSquaredTransmitted >= 1) return 1;
    const float cosTransmitted = std::sqrt(1 - sinSquaredTransmitted);
    const float perpendicular =
        (eta * cosIncident - cosTransmitted) / (eta * cosIncident + cosTransmitted);
    const float parallel =
        (cosIncident - eta * cosTransmitted) / (cosIncident + eta * cosTransmitted);
    return finiteResult((perpendicular * perpendicular + parallel * parallel) / 2);
}

// ---------------------------------------------------------------------------
// Kernels of one shape: a result from the arguments at each point

template <int Component> void getComponent(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    for (const int point : frame.active())
        out.at(point)[0] = value.at(point)[Component];
}

template <int Component> void setComponent(KernelFrame& frame, Operands operands) {
    const RegisterView& target = frame.view(operands[1]);
    const RegisterView& value = frame.view(operands[2]);
    for (const int point : frame.active())
        target.at(point)[Component] = value.at(point)[0];
}

void length(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    for (const int point : frame.active())
        out.at(point)[0] = lengthOf(tripleAt(value, point));
}

void normalize(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands[1]);
    for (const int point : frame.active())
        storeTriple(out, point, unit(tripleAt(value, point)));
}

void distance(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& a = frame.view(operands[1]);
    const RegisterView& b = frame.view(operands[2]);
    for (const int point : frame.active())
        out.at(point)[0] = lengthOf(minus(tripleAt(a, point), tripleAt(b, point)));
}

// The distance from q to the segment from p0 to p1.
void pointLineDistance(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        const ShaderTriple p0 = tripleAt(frame.view(operands[1]), point);
        const ShaderTriple p1 = tripleAt(frame.view(operands[2]), point);
        const ShaderTriple q = tripleAt(frame.view(operands[3]), point);
        const ShaderTriple along = minus(p1, p0);
        const float squared = dotProduct(along, along);
        const float t =
            squared > 0 ? std::clamp(dotProduct(minus(q, p0), along) / squared, 0.0f, 1.0f) : 0;
        out.at(point)[0] = lengthOf(minus(q, plus(p0, scaled(along, t))));
    }
}

// rotate(q, angle, p0, p1): q turned by angle about the line from p0 to p1.
void rotatePoint(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    for (const int point : frame.active()) {
        const ShaderTriple q = tripleAt(frame.view(operands[1]), point);
        const float angle = frame.view(operands[2]).at(point)[0];
        const ShaderTriple p0 = tripleAt(frame.view(operands[3]), point);
        const ShaderTriple p1 = tripleAt(frame.view(operands[4]), point);
        const auto rotation = rotationMatrix(angle, minus(p1, p0));
        storeTriple(out, point, rotation ? plus(p0, transformVector(*rotation, minus(q, p0))) : q);
    }
}

// faceforward(n, i [, nref]): n turned to face against i, judged by nref
// (Ng when not given, else n itself).
template <bool HasReference> void faceForward(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& normal = frame.view(operands[1]);
    const RegisterView& incident = frame.view(operands[2]);
    const RegisterView& given = frame.geometricNormal().floats ? frame.geometricNormal() : normal;
    const RegisterView& reference = HasReference ? frame.view(operands[3]) : given;
    for (const int point : frame.active()) {
        const ShaderTriple n = tripleAt(normal, point);
        const bool facing = dotProduct(tripleAt(incident, point), tripleAt(reference, point)) <= 0;
        storeTriple(out, point, facing ? n : scaled(n, -1));
    }
}

void reflect(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& incident = frame.view(operands[1]);
    const RegisterView& normal = frame.view(operands[2]);
    for (const int point : frame.active())
        storeTriple(out, point, reflection(tripleAt(incident, point), tripleAt(normal, point)));
}

void refract(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& incident = frame.view(operands[1]);
    const RegisterView& normal = frame.view(operands[2]);
    const RegisterView& eta = frame.view(operands[3]);
    for (const int point : frame.active())
        storeTriple(
            out, point,
            refraction(tripleAt(incident, point), tripleAt(normal, point), eta.at(point)[0]));
}

// fresnel(i, n, eta, Kr, Kt [, R, T]): the shares reflected and
// transmitted, and the reflected and refracted directions.
template <bool Directions> void fresnel(KernelFrame& frame, Operands operands) {
    const RegisterView& incident = frame.view(operands[1]);
    const RegisterView& normal = frame.view(operands[2]);
    const RegisterView& eta = frame.view(operands[3]);
    for (const int point : frame.active()) {
        const ShaderTriple i = tripleAt(incident, point), n = tripleAt(normal, point);
        const float ratio = eta.at(point)[0];
        const float reflected = reflectance(i, n, ratio);
        frame.view(operands[4]).at(point)[0] = reflected;
        frame.view(operands[5]).at(point)[0] = 1 - reflected;
        if constexpr (Directions) {
            storeTriple(frame.view(operands[6]), point, reflection(i, n));
            storeTriple(frame.view(operands[7]), point, refraction(i, n, ratio));
        }
    }
}

// ---------------------------------------------------------------------------
// Spaces

// The matrix of a space, looked up again only when the name changes from
// one point to the next; inverted when asked to go to the space.
class SpaceCache {
public:
    SpaceCache(KernelFrame& frame, bool inverted) : fFrame(frame), fInverted(inverted) {}

    const ShaderMatrix* matrixFor(const std::string& space) {
        if (fName && *fName == space) return fMatrix ? &*fMatrix : nullptr;
        fName = &space;
        fMatrix = fFrame.spaceToCurrent(space);
        if (fMatrix && fInverted) {
            fMatrix = matrixInverse(*fMatrix);
            if (!fMatrix) fFrame.report("the space '" + space + "' has a singular matrix");
        }
        return fMatrix ? &*fMatrix : nullptr;
    }

private:
    KernelFrame& fFrame;
    bool fInverted;
    const std::string* fName = nullptr;
    std::optional<ShaderMatrix> fMatrix;
};

enum class Moved { kPoint, kVector, kNormal };
enum class TransformForm { kToSpace, kFromToSpace, kMatrix, kFromSpaceMatrix };

template <Moved What> ShaderTriple moved(const ShaderMatrix& matrix, const ShaderTriple& value) {
    if constexpr (What == Moved::kPoint) return transformPoint(matrix, value);
    if constexpr (What == Moved::kVector) return transformVector(matrix, value);
    if constexpr (What == Moved::kNormal) return transformVector(normalMatrix(matrix), value);
}

template <Moved What, TransformForm Form> void transform(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& value = frame.view(operands.back());
    SpaceCache from(frame, false), to(frame, true);
    for (const int point : frame.active()) {
        const auto space = [&](std::size_t argument) -> const std::string& {
            return frame.view(operands[argument + 1]).stringAt(point);
        };
        const auto matrix = [&](std::size_t argument) {
            return matrixAt(frame.view(operands[argument + 1]), point);
        };
        std::optional<ShaderMatrix> whole;
        if constexpr (Form == TransformForm::kToSpace) {
            if (const ShaderMatrix* inverse = to.matrixFor(space(0))) whole = *inverse;
        } else if constexpr (Form == TransformForm::kFromToSpace) {
            const ShaderMatrix* first = from.matrixFor(space(0));
            const ShaderMatrix* then = to.matrixFor(space(1));
            if (first && then) whole = matrixProduct(*first, *then);
        } else if constexpr (Form == TransformForm::kMatrix) {
            whole = matrix(0);
        } else {
            if (const ShaderMatrix* first = from.matrixFor(space(0)))
                whole = matrixProduct(*first, matrix(1));
        }
        const ShaderTriple given = tripleAt(value, point);
        storeTriple(out, point, whole ? moved<What>(*whole, given) : given);
    }
}

template <Moved What> Kernel transformKernel(const LibraryCall& call) {
    using enum ValueKind;
    if (!call.resultIs(kExactTriple)) return nullptr;
    if (call.argumentsAre({kString, kTripleLike})) return transform<What, TransformForm::kToSpace>;
    if (call.argumentsAre({kString, kString, kTripleLike}))
        return transform<What, TransformForm::kFromToSpace>;
    if (call.argumentsAre({kMatrix, kTripleLike})) return transform<What, TransformForm::kMatrix>;
    if (call.argumentsAre({kString, kMatrix, kTripleLike}))
        return transform<What, TransformForm::kFromSpaceMatrix>;
    return nullptr;
}

// The distance from the eye in camera space, 0 at the near plane and 1 at
// the far one.
void depth(KernelFrame& frame, Operands operands) {
    const RegisterView& out = frame.view(operands[0]);
    const RegisterView& position = frame.view(operands[1]);
    SpaceCache camera(frame, true);
    const std::string cameraSpace = "camera";
    const DepthRange range = frame.environment().depthRange();
    const float span = range.farPlane - range.nearPlane;
    for (const int point : frame.active()) {
        const ShaderMatrix* toCamera = camera.matrixFor(cameraSpace);
        const ShaderTriple given = tripleAt(position, point);
        const float z = toCamera ? transformPoint(*toCamera, given)[2] : given[2];
        out.at(point)[0] = span != 0 ? (z - range.nearPlane) / span : z;
    }
}

// ---------------------------------------------------------------------------
// Choosing

Kernel chooseComponentAccess(const LibraryCall& call) {
    using enum ValueKind;
    const BuiltinOp op = call.op();
    const bool getting =
        op == BuiltinOp::kXComp || op == BuiltinOp::kYComp || op == BuiltinOp::kZComp;
    if (getting) {
        if (!call.resultIs(kFloat) || !call.argumentsAre({kExactTriple})) return nullptr;
        return op == BuiltinOp::kXComp   ? getComponent<0>
               : op == BuiltinOp::kYComp ? getComponent<1>
                                         : getComponent<2>;
    }
    if (!call.argumentsAre({kExactTriple, kFloat}) || !call.writable(0)) return nullptr;
    return op == BuiltinOp::kSetXComp   ? setComponent<0>
           : op == BuiltinOp::kSetYComp ? setComponent<1>
                                        : setComponent<2>;
}

Kernel chooseFresnel(const LibraryCall& call) {
    using enum ValueKind;
    const bool shares = call.argumentCount() >= 5 && call.writable(3) && call.writable(4);
    if (!shares) return nullptr;
    if (call.argumentsAre({kTripleLike, kTripleLike, kFloat, kFloat, kFloat}))
        return fresnel<false>;
    if (call.argumentsAre(
            {kTripleLike, kTripleLike, kFloat, kFloat, kFloat, kExactTriple, kExactTriple}) &&
        call.writable(5) && call.writable(6))
        return fresnel<true>;
    return nullptr;
}

Kernel chooseFloatOfTriples(const LibraryCall& call) {
    using enum ValueKind;
    if (!call.resultIs(kFloat)) return nullptr;
    switch (call.op()) {
    case BuiltinOp::kLength:
        return call.argumentsAre({kTripleLike}) ? length : nullptr;
    case BuiltinOp::kDistance:
        return call.argumentsAre({kTripleLike, kTripleLike}) ? distance : nullptr;
    case BuiltinOp::kPtLineD:
        return call.argumentsAre({kTripleLike, kTripleLike, kTripleLike}) ? pointLineDistance
                                                                          : nullptr;
    case BuiltinOp::kDepth:
        return call.argumentsAre({kTripleLike}) ? depth : nullptr;
    default:
        return nullptr;
    }
}

Kernel chooseTripleOfTriples(const LibraryCall& call) {
    using enum ValueKind;
    if (!call.resultIs(kExactTriple)) return nullptr;
    switch (call.op()) {
    case BuiltinOp::kNormalize:
        return call.argumentsAre({kTripleLike}) ? normalize : nullptr;
    case BuiltinOp::kRotate:
        return call.argumentsAre({kTripleLike, kFloat, kTripleLike, kTripleLike}) ? rotatePoint
                                                                                  : nullptr;
    case BuiltinOp::kFaceForward:
        if (call.argumentsAre({kTripleLike, kTripleLike})) return faceForward<false>;
        return call.argumentsAre({kTripleLike, kTripleLike, kTripleLike}) ? faceForward<true>
                                                                          : nullptr;
    case BuiltinOp::kReflect:
        return call.argumentsAre({kTripleLike, kTripleLike}) ? reflect : nullptr;
    case BuiltinOp::kRefract:
        return call.argumentsAre({kTripleLike, kTripleLike, kFloat}) ? refract : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

Kernel chooseGeometryKernel(const LibraryCall& call) {
    switch (call.op()) {
    case BuiltinOp::kXComp:
    case BuiltinOp::kYComp:
    case BuiltinOp::kZComp:
    case BuiltinOp::kSetXComp:
    case BuiltinOp::kSetYComp:
    case BuiltinOp::kSetZComp:
        return chooseComponentAccess(call);
    case BuiltinOp::kFresnel:
        return chooseFresnel(call);
    case BuiltinOp::kTransform:
        return transformKernel<Moved::kPoint>(call);
    case BuiltinOp::kVTransform:
        return transformKernel<Moved::kVector>(call);
    case BuiltinOp::kNTransform:
        return transformKernel<Moved::kNormal>(call);
    default:
        if (const Kernel kernel = chooseFloatOfTriples(call)) return kernel;
        return chooseTripleOfTriples(call);
    }
}

} // namespace quelmark
