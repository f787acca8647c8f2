// Light sources: the ambient, distant, point and spot lights. A light gives
// its light at every shading point of a grid at once; surfaces gather it
// through their illuminance loop (Surface.h), one pass over the grid for
// each light.
#ifndef QEL_SHADING_LIGHT_H
#define QEL_SHADING_LIGHT_H

#include "common/Color.h"
#include "common/Point.h"
#include "common/SurfaceElement.h"
#include "renderer/shading/Shader.h"
#include "renderer/shading/ShaderEnvironment.h"

#include <cstdint>
#include <numbers>
#include <span>
#include <string_view>
#include <vector>

namespace quelmark {

class ParameterValues;
struct ShadingContext;

inline constexpr float kPi = std::numbers::pi_v<float>;

// A light's light at each shading point.
struct LightSamples {
    std::vector<uint8_t> reached; // 0 where the light does not reach the point
    std::vector<Point> L;         // from the point towards the light
    std::vector<Color> Cl;        // the light arriving there

    void resize(int n) {
        const auto size = static_cast<std::size_t>(n);
        reached.resize(size);
        L.resize(size);
        Cl.resize(size);
    }
};

class Light : public Shader {
public:
    // P is the origin of the light's space, in camera space.
    explicit Light(Transform* space);

    virtual bool isAmbient() const { return false; }
    // The categories the light belongs to, separated by commas; the
    // built-in lights belong to none.
    virtual std::string_view categories() const { return {}; }
    // What a surface gathers as separate lights: one for each element of an
    // area light's surface, one for every other light.
    int emitters() const { return fElements.empty() ? 1 : int(fElements.size()); }
    // The light of emitter `emitter` at the points P[0..count), of unit
    // normals Nn, that lies in the cone of half-angle `angle` around the
    // normal; an angle of pi or more takes light from every direction (and
    // Nn may be null). The light's parameters there are `values`. An element
    // of an area light gives its share of the area of the light's light.
    void shine(ShadingContext& context, int emitter, const Point* P, const Point* Nn, int count,
               float angle, const ParameterValues& values, LightSamples& out) const;

    // An area light shines from the surface of the primitives made under it,
    // once they give it their elements; until then, and for other lights,
    // from the light's own space. Merges neighbours in the order they came,
    // so that at most kMostElements are kept.
    void addSurface(std::span<const SurfaceElement> elements);
    static constexpr std::size_t kMostElements = 64;
    // What the light's shader left in its parameter of that name when it
    // last shone in the context, one value or one for each point it shone
    // at; nothing found for a built-in light.
    virtual ShaderValueView shaderParameter(const ShadingContext& /*context*/,
                                            std::string_view /*name*/) const {
        return {};
    }

protected:
    // The light at the points as shine describes it, seen from `element` of
    // the light's surface, or from its space when that is null; a light that
    // runs a shader runs it in the context of the thread. The base light
    // reaches nothing.
    virtual void illuminate(ShadingContext& context, const SurfaceElement* element, const Point* P,
                            const Point* Nn, int count, float angle, const ParameterValues& values,
                            LightSamples& out) const;
    Point shaderToCamera(const Point& p) const;

    float intensity = 1;
    Color lightcolor{1, 1, 1};

private:
    std::vector<SurfaceElement> fElements;
    float fArea = 0;
};

class AmbientLight : public Light {
public:
    explicit AmbientLight(Transform* space) : Light(space) {}
    bool isAmbient() const override { return true; }

protected:
    // Cl = intensity · lightcolor, from no direction.
    void illuminate(ShadingContext& context, const SurfaceElement* element, const Point* P,
                    const Point* Nn, int count, float angle, const ParameterValues& values,
                    LightSamples& out) const override;
};

// Light from infinitely far along to − from, without fall-off.
class DistantLight : public Light {
public:
    explicit DistantLight(Transform* space);
    void instance(const ArgList& args) override;

protected:
    void illuminate(ShadingContext& context, const SurfaceElement* element, const Point* P,
                    const Point* Nn, int count, float angle, const ParameterValues& values,
                    LightSamples& out) const override;

private:
    Point from{0, 0, 0};
    Point to{0, 0, 1};
};

// Light from a point, falling off with the square of the distance.
class PointLight : public Light {
public:
    explicit PointLight(Transform* space);
    void instance(const ArgList& args) override;

protected:
    void illuminate(ShadingContext& context, const SurfaceElement* element, const Point* P,
                    const Point* Nn, int count, float angle, const ParameterValues& values,
                    LightSamples& out) const override;

private:
    Point from{0, 0, 0};
};

// A point light shining into a cone around from → to, in degrees, with a
// smooth edge of conedeltaangle and a beam of cos^beamdistribution.
class SpotLight : public Light {
public:
    explicit SpotLight(Transform* space);
    void instance(const ArgList& args) override;

protected:
    void illuminate(ShadingContext& context, const SurfaceElement* element, const Point* P,
                    const Point* Nn, int count, float angle, const ParameterValues& values,
                    LightSamples& out) const override;

private:
    Point from{0, 0, 0};
    Point to{0, 0, 1};
    float coneangle = 30;
    float conedeltaangle = 5;
    float beamdistribution = 2;
};

// Whether light arriving along the unit direction towards it, Ln, lies in
// the cone of half-angle whose cosine is cosAngle around the unit normal Nn.
inline bool insideCone(const Point& Ln, const Point& Nn, float cosAngle) {
    return dot(Ln, Nn) >= cosAngle;
}

} // namespace quelmark

#endif
