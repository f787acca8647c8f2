// Surfaces compiled from the shading language, found in the shader search
// path and rendered through the API: their values at known points of the
// image, and the same image as the built-in surface they copy.
#include "CompiledShaderScene.h"
#include "api/qel.h"
#include "api/qelrender.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class CompiledShaderImageTest : public CompiledShaderScene {};

// The sphere's centre is the shader space's origin: every point of it lies
// at distance 1 from there, and the shader shows half that distance.
TEST_F(CompiledShaderImageTest, ShaderSpaceAndAComputedDefault) {
    compile(R"(
        surface distance(point centre = point "shader" (0, 0, 0); float scale = 0.5) {
            Ci = scale * distance(P, centre);
            Oi = 1;
        })");
    const TiffImage image = renderSphere([] { qelSurface(qelQuark("distance"), 0); });
    ASSERT_EQ(image.width, 160u);
    // The sphere's outline is 12 pixels round the image's centre.
    for (const auto& [x, y] : {std::pair{80u, 60u}, {75u, 57u}, {86u, 63u}}) {
        EXPECT_NEAR(image.pixel(x, y)[0], 127.5, 1.0) << x << " " << y;
        EXPECT_EQ(image.pixel(x, y)[3], 255);
    }
    EXPECT_EQ(image.pixel(2, 2)[3], 0);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// The request's values replace the defaults; a point is given in the
// shader's space: one unit in front of the centre, towards the eye, the
// nearest point of the sphere (the image's centre) is at distance 0.
TEST_F(CompiledShaderImageTest, TheRequestsValuesInTheShadersSpace) {
    compile(R"(
        surface distance(point centre = point "shader" (0, 0, 0); float scale = 0.5) {
            Ci = scale * distance(P, centre);
            Oi = 1;
        })");
    const TiffImage image = renderSphere([] {
        const float centre[3] = {0, 0, -1};
        const float scale = 0.25f;
        qelSurface(qelQuark("distance"), qelVariable("centre", QEL_CLASS_NO, QEL_TYPE_POINT),
                   centre, qelVariable("scale", QEL_CLASS_NO, QEL_TYPE_FLOAT), &scale, 0);
    });
    EXPECT_LT(image.pixel(80, 60)[0], 8);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A matte surface written with an illuminance loop gives the built-in matte's
// image under distant, point and spot lights (with no ambient light).
TEST_F(CompiledShaderImageTest, AnIlluminanceLoopLightsAsTheBuiltInMatte) {
    compile(R"(
        surface lambert(float Kd = 1) {
            normal Nf = faceforward(normalize(N), I);
            color gathered = 0;
            illuminance(P, Nf, PI / 2) {
                gathered += Cl * (normalize(L) . Nf);
            }
            Oi = Os;
            Ci = Os * Cs * Kd * gathered;
        })");
    const auto lights = [] {
        const float from[3] = {-1, 1, -1}, to[3] = {0, 0, 0}, point[3] = {2, 2, 3};
        const float intensity = 0.8f, bright = 6;
        qelLightSource(qelQuark("distant"), qelQuark("from"), from, qelQuark("to"), to,
                       qelQuark("intensity"), &intensity, 0);
        qelLightSource(qelQuark("omni"), qelQuark("from"), point, qelQuark("intensity"), &bright,
                       0);
    };
    const TiffImage compiled = renderSphere([] { qelSurface(qelQuark("lambert"), 0); }, lights);
    const TiffImage builtIn = renderSphere([] { qelSurface(qelQuark("diffuse"), 0); }, lights);
    ASSERT_EQ(compiled.data.size(), builtIn.data.size());
    EXPECT_EQ(compiled.data, builtIn.data);
    EXPECT_GT(compiled.pixel(76, 56)[0], 40);
}

// Compiled copies of the standard lights light the built-in matte surface as
// the built-in lights do, to within rounding of the last bit.
TEST_F(CompiledShaderImageTest, CompiledLightsLightAsTheBuiltInOnes) {
    compile(R"(
        light ambientcopy(float intensity = 1; color lightcolor = 1) {
            Cl = intensity * lightcolor;
        }
        light distantcopy(float intensity = 1; color lightcolor = 1;
                          point from = point "shader" (0, 0, 0);
                          point to = point "shader" (0, 0, 1)) {
            solar(to - from, 0) { Cl = intensity * lightcolor; }
        }
        light pointcopy(float intensity = 1; color lightcolor = 1;
                        point from = point "shader" (0, 0, 0)) {
            illuminate(from) { Cl = intensity * lightcolor / (L . L); }
        }
        light spotcopy(float intensity = 1; color lightcolor = 1;
                       point from = point "shader" (0, 0, 0); point to = point "shader" (0, 0, 1);
                       float coneangle = radians(30); float conedeltaangle = radians(5);
                       float beamdistribution = 2) {
            uniform vector A = (to - from) / length(to - from);
            uniform float cosoutside = cos(coneangle), cosinside = cos(coneangle - conedeltaangle);
            illuminate(from, A, coneangle) {
                float cosangle = L . A / length(L);
                Cl = intensity * lightcolor * pow(cosangle, beamdistribution) / (L . L) *
                     smoothstep(cosoutside, cosinside, cosangle);
            }
        })");
    const auto matte = [] { qelSurface(qelQuark("diffuse"), 0); };
    // The built-in spot light takes its angles in degrees.
    const TiffImage builtIn = renderSphere(matte, [] {
        const float low = 0.1f, intensity = 0.8f, bright = 6, spot = 10,
                    cone = 0.3f * 180 / 3.14159265f, delta = 5;
        const float from[3] = {-1, 1, -1}, to[3] = {0, 0, 0}, point[3] = {2, 2, -2},
                    below[3] = {0, -3, -3};
        const unsigned short kIntensity = qelQuark("intensity"), kFrom = qelQuark("from"),
                             kTo = qelQuark("to");
        qelLightSource(qelQuark("ambient"), kIntensity, &low, 0);
        qelLightSource(qelQuark("distant"), kFrom, from, kTo, to, kIntensity, &intensity, 0);
        qelLightSource(qelQuark("omni"), kFrom, point, kIntensity, &bright, 0);
        qelLightSource(qelQuark("spot"), kFrom, below, kTo, to, kIntensity, &spot,
                       qelQuark("coneangle"), &cone, qelQuark("conedeltaangle"), &delta, 0);
    });
    const TiffImage compiled = renderSphere(matte, [] {
        const float low = 0.1f, intensity = 0.8f, bright = 6, spot = 10, cone = 0.3f;
        const float from[3] = {-1, 1, -1}, to[3] = {0, 0, 0}, point[3] = {2, 2, -2},
                    below[3] = {0, -3, -3};
        const unsigned short kIntensity = qelQuark("intensity"), kFrom = qelQuark("from"),
                             kTo = qelQuark("to");
        qelLightSource(qelQuark("ambientcopy"), kIntensity, &low, 0);
        qelLightSource(qelQuark("distantcopy"), kFrom, from, kTo, to, kIntensity, &intensity, 0);
        qelLightSource(qelQuark("pointcopy"), kFrom, point, kIntensity, &bright, 0);
        qelLightSource(qelQuark("spotcopy"), kFrom, below, kTo, to, kIntensity, &spot,
                       qelQuark("coneangle"), &cone, 0);
    });
    ASSERT_EQ(compiled.data.size(), builtIn.data.size());
    int largest = 0;
    for (std::size_t k = 0; k < compiled.data.size(); ++k)
        largest = std::max(largest, std::abs(int(compiled.data[k]) - int(builtIn.data[k])));
    EXPECT_LE(largest, 1);
    EXPECT_GT(compiled.pixel(76, 56)[0], 40);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// The standard plastic compiled, with its ambient(), diffuse() and
// specular(), shades as the built-in plastic does: RenderMan's roughness
// 0.1 is the scene API's 0.1 / 8.
TEST_F(CompiledShaderImageTest, CompiledPlasticShadesAsTheBuiltInOne) {
    compile(R"(
        surface plasticcopy(float Ks = .5, Kd = .5, Ka = 1, roughness = .1;
                            color specularcolor = 1) {
            normal Nf = faceforward(normalize(N), I);
            vector V = -normalize(I);
            Oi = Os;
            Ci = Os * (Cs * (Ka * ambient() + Kd * diffuse(Nf)) +
                       specularcolor * Ks * specular(Nf, V, roughness));
        })");
    const auto lights = [] {
        const float low = 0.2f, bright = 8, from[3] = {1, 2, -3};
        qelLightSource(qelQuark("ambient"), qelQuark("intensity"), &low, 0);
        qelLightSource(qelQuark("omni"), qelQuark("from"), from, qelQuark("intensity"), &bright, 0);
    };
    const TiffImage builtIn = renderSphere(
        [] {
            const float roughness = 0.1f / 8;
            qelSurface(qelQuark("plastic"), qelQuark("roughness"), &roughness, 0);
        },
        lights);
    const TiffImage compiled = renderSphere([] { qelSurface(qelQuark("plasticcopy"), 0); }, lights);
    ASSERT_EQ(compiled.data.size(), builtIn.data.size());
    int largest = 0;
    for (std::size_t k = 0; k < compiled.data.size(); ++k)
        largest = std::max(largest, std::abs(int(compiled.data[k]) - int(builtIn.data[k])));
    EXPECT_LE(largest, 1);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A sphere of radius 1 moved out along its normals by 1/2, within its
// displacement bound, covers the pixels of a sphere of radius 3/2: its
// outline is 18.9 pixels round the centre (60 pixels a unit at depth 5,
// r / sqrt(d^2 - r^2) = 1.5 / sqrt(25 - 2.25)).
TEST_F(CompiledShaderImageTest, DisplacementMovesTheSurface) {
    compile(R"(
        displacement grow(float amount = 0.25) {
            P += amount * normalize(N);
            N = calculatenormal(P);
        })");
    const TiffImage image = renderSphere([] {
        qelSurface(qelQuark("constant"), 0);
        const float amount = 0.5f;
        qelBoundDisplacement(amount);
        qelDisplacement(qelQuark("grow"), qelVariable("amount", QEL_CLASS_NO, QEL_TYPE_FLOAT),
                        &amount, 0);
    });
    const double radius = 60 * 1.5 / std::sqrt(25 - 2.25);
    const double disc = 3.14159265 * radius * radius;
    EXPECT_NEAR(double(image.coverage()), disc, disc * 0.03);
    EXPECT_EQ(image.pixel(80 + 17, 60)[3], 255);
    EXPECT_EQ(image.pixel(80 - 14, 60 + 10)[3], 255);
    EXPECT_EQ(image.pixel(80, 60 - 22)[3], 0);
    EXPECT_TRUE(gReports.empty()) << gReports.front();

    // Without the bound, buckets of 4 pixels that are done before the grids
    // reach them never see the parts above and left of the sphere of radius 1.
    const TiffImage unbounded = renderSphere(
        [] {
            qelSurface(qelQuark("constant"), 0);
            const float amount = 0.5f;
            qelDisplacement(qelQuark("grow"), qelVariable("amount", QEL_CLASS_NO, QEL_TYPE_FLOAT),
                            &amount, 0);
        },
        nullptr, [] { qelTune(32, 4, 4); });
    const TiffImage bounded = renderSphere(
        [] {
            qelSurface(qelQuark("constant"), 0);
            const float amount = 0.5f;
            qelBoundDisplacement(amount);
            qelDisplacement(qelQuark("grow"), qelVariable("amount", QEL_CLASS_NO, QEL_TYPE_FLOAT),
                            &amount, 0);
        },
        nullptr, [] { qelTune(32, 4, 4); });
    EXPECT_EQ(bounded.data, image.data);
    EXPECT_LT(double(unbounded.coverage()), 0.97 * double(bounded.coverage()));
}

// On a flat triangle every difference of P is exact: Du(P) is dPdu, Dv(P)
// is dPdv and area(P) is |dPdu x dPdv| du dv, at the vertices (smooth
// shading) as at the micropolygons' centres (flat shading), near its long
// edge as inside. The triangle lies in front of the sphere: the centre is
// at u = v = 1/4, pixel (124, 68) at u = 0.8, v = 0.15 and pixel (72, 16) at
// u = 0.15, v = 0.8.
TEST_F(CompiledShaderImageTest, DerivativesOfATriangleAndOfASplitSphere) {
    compile(R"(
        surface edges() {
            Ci = 0.5 * color(length(Du(P)) / length(dPdu), length(Dv(P)) / length(dPdv),
                             area(P) / (length(dPdu ^ dPdv) * du * dv));
            Oi = 1;
        })");
    for (const short model : {QEL_SHADING_FLAT, QEL_SHADING_GOURAUD}) {
        const TiffImage image = renderSphere([model] {
            qelSurface(qelQuark("edges"), 0);
            qelShadingModel(model);
            float triangle[9] = {-1, -1, -2, 3, -1, -2, -1, 3, -2};
            qelPolygon(3, qelQuark("point"), triangle, 0);
        });
        for (const auto& [x, y] : {std::pair{kCentreX, kCentreY}, {124u, 68u}, {72u, 16u}})
            for (int channel = 0; channel < 3; ++channel)
                EXPECT_NEAR(image.pixel(x, y)[std::size_t(channel)] / kLevels, 0.5, 1.5 / kLevels)
                    << "channel " << channel << " shading model " << model << " at " << x << ", "
                    << y;
    }
    // The sphere is split into pieces before it is diced; its derivatives
    // are the whole sphere's all the same, within the chord's shortfall
    // (under 1 %) a quarter of the way from its pole to its rim.
    for (const short model : {QEL_SHADING_FLAT, QEL_SHADING_GOURAUD}) {
        const TiffImage sphere = renderSphere([model] {
            qelSurface(qelQuark("edges"), 0);
            qelShadingModel(model);
        });
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(sphere.pixel(kCentreX + 8, kCentreY)[std::size_t(channel)] / kLevels, 0.5,
                        3 / kLevels)
                << "channel " << channel << " shading model " << model;
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A displacement that only turns the normals towards the eye: lit straight
// on by a distant light along the view, every point of the matte sphere
// takes the full light, its colour Cs.
TEST_F(CompiledShaderImageTest, TheSurfaceIsShadedWithTheDisplacedNormals) {
    compile(R"(
        displacement facing() { N = normal "camera" (0, 0, -1); })");
    const auto lights = [] {
        const float from[3] = {0, 0, 0}, to[3] = {0, 0, 1};
        qelLightSource(qelQuark("distant"), qelQuark("from"), from, qelQuark("to"), to, 0);
    };
    const TiffImage image = renderSphere(
        [] {
            qelSurface(qelQuark("diffuse"), 0);
            qelDisplacement(qelQuark("facing"), 0);
        },
        lights);
    for (const auto& [x, y] : {std::pair{80u, 60u}, {70u, 55u}, {87u, 65u}}) {
        EXPECT_EQ(image.pixel(x, y)[0], 255) << x << " " << y;
        EXPECT_EQ(image.pixel(x, y)[1], 128) << x << " " << y;
        EXPECT_EQ(image.pixel(x, y)[2], 64) << x << " " << y;
    }
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A shader no place holds, one of another kind, and values that do not fit:
// each reported, the surface before kept.
TEST_F(CompiledShaderImageTest, WhatCannotBeFoundOrDoesNotFitIsReported) {
    compile(R"(
        light lamp() { solar() { Cl = 1; } }
        surface flat(float level = 1) { Ci = level; Oi = 1; })");
    const TiffImage image = renderSphere([] {
        qelSurface(qelQuark("constant"), 0);
        qelSurface(qelQuark("missing"), 0);
        qelSurface(qelQuark("lamp"), 0);
    });
    EXPECT_EQ(image.pixel(80, 60)[0], 255); // the constant surface's red
    ASSERT_EQ(gReports.size(), 2u);
    EXPECT_NE(gReports[0].find("surface \"missing\": no compiled shader missing.qso in the "
                               "shader search path \"nowhere:"),
              std::string::npos)
        << gReports[0];
    EXPECT_NE(gReports[1].find("lamp.qso is a light shader, not a surface shader"),
              std::string::npos)
        << gReports[1];

    gReports.clear();
    renderSphere([] {
        const char* text = "bright";
        qelSurface(qelQuark("flat"), qelVariable("level", QEL_CLASS_NO, QEL_TYPE_STRING), &text,
                   qelVariable("unknown", QEL_CLASS_NO, QEL_TYPE_FLOAT), &text, 0);
    });
    ASSERT_EQ(gReports.size(), 2u);
    EXPECT_NE(gReports[0].find("Surface \"flat\": parameter \"level\" is a uniform float, given a "
                               "string: left out"),
              std::string::npos)
        << gReports[0];
    EXPECT_NE(gReports[1].find("Surface \"flat\": no parameter \"unknown\": left out"),
              std::string::npos)
        << gReports[1];
}

} // namespace

namespace {

// The shader search path may change within a scene: a RIB scene's reader
// names it there when the scene first asks for a shader it has no built-in
// for.
TEST_F(CompiledShaderImageTest, TheSearchPathMayChangeWithinAScene) {
    compile("surface grey() { Ci = 0.5; Oi = 1; }");
    const std::string places = (fFolder / "shaders").string();
    const TiffImage image = renderSphere(
        [&] {
            qelShaderPath(places.c_str());
            qelSurface(qelQuark("grey"), 0);
        },
        nullptr, [] { qelShaderPath("nowhere"); });
    EXPECT_NEAR(image.pixel(kCentreX, kCentreY)[0], 127.5, 1.0);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

} // namespace

namespace {

// An illuminance loop with a category gathers the lights whose __category
// names it, or with "-name" those whose does not; the built-in lights belong
// to none.
TEST_F(CompiledShaderImageTest, LightCategories) {
    compile(R"(
        light tagged(string __category = "rim"; float intensity = 1) {
            solar(vector(0, 0, 1), 0) { Cl = intensity; }
        }
        surface gathers(string category = "") {
            color gathered = 0;
            illuminance(category, P) { gathered += Cl; }
            Ci = gathered;
            Oi = 1;
        })");
    const auto lights = [] {
        const float rim = 0.25f, keyAndFill = 0.5f, plain = 0.125f;
        const char* categories = "fill,key";
        const unsigned short intensity = qelVariable("intensity", QEL_CLASS_NO, QEL_TYPE_FLOAT);
        qelLightSource(qelQuark("tagged"), intensity, &rim, 0);
        qelLightSource(qelQuark("tagged"), intensity, &keyAndFill,
                       qelVariable("__category", QEL_CLASS_NO, QEL_TYPE_STRING), &categories, 0);
        const float from[3] = {0, 0, 0}, to[3] = {0, 0, 1};
        qelLightSource(qelQuark("distant"), qelQuark("from"), from, qelQuark("to"), to,
                       qelQuark("intensity"), &plain, 0);
    };
    const auto gathered = [&](const char* category) {
        const TiffImage image = renderSphere(
            [category] {
                qelSurface(qelQuark("gathers"),
                           qelVariable("category", QEL_CLASS_NO, QEL_TYPE_STRING), &category, 0);
            },
            lights);
        return double(image.pixel(kCentreX, kCentreY)[0]) / kLevels;
    };
    EXPECT_NEAR(gathered(""), 0.875, 1 / kLevels);
    EXPECT_NEAR(gathered("rim"), 0.25, 1 / kLevels);
    EXPECT_NEAR(gathered("key"), 0.5, 1 / kLevels);
    EXPECT_NEAR(gathered("-rim"), 0.625, 1 / kLevels);
    EXPECT_NEAR(gathered("ke"), 0.0, 1 / kLevels);
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

} // namespace
