// A shader's parameters over the points of a grid. Each is the shader's own
// value, or the primitive's where the primitive gives one: a single value
// for the whole grid, or one per point interpolated from the corners of a
// "vary" value. The shader is never changed, so every thread shades with it.
#ifndef QEL_SHADING_PARAMETERVALUES_H
#define QEL_SHADING_PARAMETERVALUES_H

#include "common/Color.h"
#include "common/Point.h"

#include <cstddef>
#include <vector>

namespace quelmark {

class ArgAssoc;
class ArgList;
class ParmList;
struct ShadingPoints;

// One parameter's value at each point; a stride of 0 is one value for all.
template <class T> class Varying {
public:
    Varying(const float* data, int stride) : fData(data), fStride(stride) {}
    T operator[](int i) const { return load(fData + std::ptrdiff_t(i) * fStride); }
    bool uniform() const { return fStride == 0; }

private:
    static T load(const float* value) {
        if constexpr (sizeof(T) == sizeof(float))
            return *value;
        else
            return T(value[0], value[1], value[2]);
    }

    const float* fData;
    int fStride;
};

class ParameterValues {
public:
    // The values of the parameters bound in `parameters`, with those of
    // `primitiveValues` laid over them at the points' grid places.
    void bind(const ParmList& parameters, const ArgList& primitiveValues,
              const ShadingPoints& points);

    // The values of the parameter bound to `member`; the member's own value
    // when it is not bound.
    Varying<float> operator[](const float& member) const { return varying<float>(&member); }
    Varying<Point> operator[](const Point& member) const { return varying<Point>(&member.x); }
    Varying<Color> operator[](const Color& member) const { return varying<Color>(&member.r); }
    // The second of a pair bound at `member`.
    Varying<float> second(const float& member) const {
        const View* found = find(&member);
        return found ? Varying<float>(found->data + 1, found->stride)
                     : Varying<float>(&member + 1, 0);
    }
    // Whether the primitive gave the parameter bound to `member`.
    bool given(const float& member) const { return given(&member); }
    bool given(const Point& member) const { return given(&member.x); }
    bool given(const Color& member) const { return given(&member.r); }

private:
    struct View {
        const float* member;
        const float* data;
        int stride;
        bool given;
        std::size_t offset; // of the interpolated values, while they are made
    };
    const View* find(const float* member) const;
    // Over the lattice of the points' values, or bilinearly from four corners.
    void interpolate(const ArgAssoc& values, int width, const ShadingPoints& points);
    void interpolateCorners(const ArgAssoc& corners, int width, const ShadingPoints& points);
    bool given(const float* member) const {
        const View* found = find(member);
        return found && found->given;
    }
    template <class T> Varying<T> varying(const float* member) const {
        const View* found = find(member);
        return found ? Varying<T>(found->data, found->stride) : Varying<T>(member, 0);
    }

    std::vector<View> fViews;
    std::vector<float> fInterpolated;
};

} // namespace quelmark

#endif
