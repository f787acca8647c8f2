// Atmospheres compiled from the shading language, found in the shader
// search path and rendered through the API: after its surface shader, each
// changes the colour and opacity the surface left.
#include "CompiledShaderScene.h"
#include "api/qel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

int largestDifference(const TiffImage& a, const TiffImage& b) {
    int largest = 0;
    for (std::size_t k = 0; k < a.data.size(); ++k)
        largest = std::max(largest, std::abs(int(a.data[k]) - int(b.data[k])));
    return largest;
}

class CompiledAtmosphereTest : public CompiledShaderScene {};

// The built-in fog written in the shading language blends towards its
// background as the built-in one does: at the centre, 4 from the eye with a
// distance of 4, a blend of 1 - 1/e.
TEST_F(CompiledAtmosphereTest, ACompiledFogBlendsAsTheBuiltInFog) {
    compile(R"(
        volume fogcopy(float distance = 1; color background = 0) {
            Ci = mix(Ci, background, 1 - exp(-length(I) / distance));
        })");
    const float distance = 4, background[3] = {0.2f, 0.4f, 0.8f};
    const TiffImage builtIn = renderSphere([&] {
        constantSurface();
        qelAtmosphere(qelQuark("fog"), qelQuark("distance"), &distance, qelQuark("color"),
                      background, 0);
    });
    const TiffImage compiled = renderSphere([&] {
        constantSurface();
        qelAtmosphere(qelQuark("fogcopy"), qelVariable("distance", QEL_CLASS_NO, QEL_TYPE_FLOAT),
                      &distance, qelVariable("background", QEL_CLASS_NO, QEL_TYPE_COLOR),
                      background, 0);
    });
    ASSERT_EQ(compiled.data.size(), builtIn.data.size());
    EXPECT_LE(largestDifference(compiled, builtIn), 1);
    const double kept = std::exp(-kNearestDistance / distance);
    const double expected[3] = {kRed * kept + background[0] * (1 - kept),
                                kGreen * kept + background[1] * (1 - kept),
                                kBlue * kept + background[2] * (1 - kept)};
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(compiled.pixel(kCentreX, kCentreY)[c], expected[c] * kLevels, 1.0) << c;
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A volume reads the colour and opacity the surface left and the surface's
// point: at the centre, half the red, a tenth of the depth 4 in green and a
// quarter of the opacity 1 in blue.
TEST_F(CompiledAtmosphereTest, AVolumeSeesWhatTheSurfaceLeftAndWhere) {
    compile(R"(
        volume probe() {
            Ci = color(comp(Ci, 0) * 0.5, zcomp(P) / 10, comp(Oi, 1) * 0.25);
        })");
    const TiffImage image = renderSphere([] {
        constantSurface();
        qelAtmosphere(qelQuark("probe"), 0);
    });
    const std::uint8_t* centre = image.pixel(kCentreX, kCentreY);
    EXPECT_NEAR(centre[0], kRed * 0.5 * kLevels, 1.0);
    EXPECT_NEAR(centre[1], kNearestDistance / 10 * kLevels, 1.0);
    EXPECT_NEAR(centre[2], 0.25 * kLevels, 1.0);
    EXPECT_EQ(centre[3], 255);
    EXPECT_EQ(image.pixel(2, 2)[3], 0); // no surface: nothing to change
    EXPECT_TRUE(gReports.empty()) << gReports.front();
}

// A name no place holds, and a shader of another kind: each reported, the
// atmosphere before kept.
TEST_F(CompiledAtmosphereTest, WhatCannotBeFoundIsReportedAndTheAtmosphereBeforeStays) {
    compile(R"(
        volume halve() { Ci = Ci * 0.5; }
        surface flat() { Ci = 1; Oi = 1; })");
    const TiffImage image = renderSphere([] {
        constantSurface();
        qelAtmosphere(qelQuark("halve"), 0);
        qelAtmosphere(qelQuark("nosuchfog"), 0);
        qelAtmosphere(qelQuark("flat"), 0);
    });
    EXPECT_NEAR(image.pixel(kCentreX, kCentreY)[0], kRed * 0.5 * kLevels, 1.0);
    ASSERT_EQ(gReports.size(), 2u);
    EXPECT_NE(gReports[0].find("atmosphere \"nosuchfog\": no compiled shader nosuchfog.qso in "
                               "the shader search path \"nowhere:"),
              std::string::npos)
        << gReports[0];
    EXPECT_NE(gReports[1].find("flat.qso is a surface shader, not a volume shader"),
              std::string::npos)
        << gReports[1];
}

} // namespace
