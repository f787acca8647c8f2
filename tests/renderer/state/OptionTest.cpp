#include "StateFixture.h"

#include "common/ColorSpace.h"
#include "common/Quark.h"
#include "renderer/state/Camera.h"

#include <limits>

using namespace quelmark;

namespace {

const std::string kRange = "error: Parameter out of range. ";
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

using OptionTest = StateFixture;

TEST_F(OptionTest, ClipCorrectsNearAndFar) {
    Option& o = *gOption;
    request("qelClip");
    o.clip(0, 10);
    EXPECT_EQ(reports(),
              Lines{kRange + "qelClip: near clipping distance 0 out of range, using minimum"});
    EXPECT_EQ(o.nearClip, 1e-10f);
    EXPECT_EQ(o.farClip, 10.0f);

    o.clip(1, 1e38f);
    EXPECT_EQ(reports(),
              Lines{kRange + "qelClip: far clipping distance 1e+38 out of range, using maximum"});
    EXPECT_EQ(o.nearClip, 1.0f);
    EXPECT_EQ(o.farClip, 1e38f);

    o.clip(2, 1); // near beyond far: only near is corrected
    EXPECT_EQ(reports().size(), 1u);
    EXPECT_EQ(o.nearClip, 1e-10f);
    EXPECT_EQ(o.farClip, 1.0f);
    o.clip(5, 5); // equal: near is above far - 1e-10
    EXPECT_EQ(reports().size(), 1u);
    EXPECT_EQ(o.nearClip, 1e-10f);
    EXPECT_EQ(o.farClip, 5.0f);

    o.clip(kNan, kInf);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelClip: near clipping distance nan out of range, using minimum",
                     kRange + "qelClip: far clipping distance inf out of range, using maximum"}));
    EXPECT_EQ(o.nearClip, 1e-10f);
    EXPECT_EQ(o.farClip, 1e38f);
}

TEST_F(OptionTest, AShutterClosingBeforeItOpensAndALensOfNoSizeAreRefused) {
    Option& o = *gOption;
    request("qelShutter");
    o.shutter(0.25f, 0.75f);
    o.shutter(1, 0);
    o.shutter(0, kInf);
    EXPECT_EQ(reports(), (Lines{kRange + "qelShutter: shutter 1 0 out of range",
                                kRange + "qelShutter: shutter 0 inf out of range"}));
    EXPECT_EQ(o.shutterOpen, 0.25f);
    EXPECT_EQ(o.shutterClose, 0.75f);
    request("qelDepthOfField");
    o.depthOfField(2.8f, 0.05f, 4);
    o.depthOfField(0, 0.05f, 4);
    o.depthOfField(2.8f, 0.05f, kNan);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelDepthOfField: depth of field 0 0.05 4 out of range",
                     kRange + "qelDepthOfField: depth of field 2.8 0.05 nan out of range"}));
    EXPECT_EQ(o.fStop, 2.8f);
    o.depthOfField(1e38f, 0, 0); // a pinhole needs no lens
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(o.fStop, 1e38f);
}

TEST_F(OptionTest, CropSwapsReversedPairsAndClamps) {
    Option& o = *gOption;
    o.imageCrop(0.6f, 0.1f, 0.9f, 0.3f);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(o.cropXmin, 0.1f);
    EXPECT_EQ(o.cropXmax, 0.6f);
    EXPECT_EQ(o.cropYmin, 0.3f);
    EXPECT_EQ(o.cropYmax, 0.9f);

    request("qelImageCrop");
    o.imageCrop(0.8f, 0.2f, -0.5f, 1.5f);
    EXPECT_EQ(reports(),
              Lines{kRange + "qelImageCrop: values should be in range 0 to 1, clamping"});
    EXPECT_EQ(o.cropXmin, 0.2f);
    EXPECT_EQ(o.cropXmax, 0.8f);
    EXPECT_EQ(o.cropYmin, 0.0f);
    EXPECT_EQ(o.cropYmax, 1.0f);

    o.imageCrop(kNan, kNan, kNan, kInf);
    EXPECT_EQ(reports().size(), 1u);
    EXPECT_EQ(o.cropXmin, 0.0f);
    EXPECT_EQ(o.cropXmax, 1.0f);
    EXPECT_EQ(o.cropYmax, 1.0f);
}

TEST_F(OptionTest, PerspectiveOutOfRangeUsesNinetyDegrees) {
    gTransform->translate(1, 0, 0);
    request("qelViewPerspective");
    gOption->viewPerspective(180);
    EXPECT_EQ(reports(),
              Lines{kRange + "qelViewPerspective: fov 180 out of range, using 90 degrees"});
    EXPECT_EQ(gOption->perspective, 1);
    // tan 45 = 1: (x / z, y / z, 1 - 1/z), then the translation of the transform.
    EXPECT_TRUE(near(Point(1, 2, 4) * gCameraToScreen, Point(1.25f, 0.5f, 0.75f)));
    EXPECT_TRUE(gTransform->matrix() == gIdentity);

    gOption->viewPerspective(kNan);
    EXPECT_EQ(reports(),
              Lines{kRange + "qelViewPerspective: fov nan out of range, using 90 degrees"});
    EXPECT_TRUE(near(Point(1, 2, 4) * gCameraToScreen, Point(0.25f, 0.5f, 0.75f)));
}

TEST_F(OptionTest, GammaIsStoredAsItsReciprocal) {
    request("qelColorGamma");
    gOption->colorGamma(2);
    EXPECT_EQ(gOption->invGamma, 0.5f);
    gOption->colorGamma(0);
    gOption->colorGamma(kNan);
    const std::string message = kRange + "qelColorGamma: gamma must be greater than 0";
    EXPECT_EQ(reports(), (Lines{message, message}));
    EXPECT_EQ(gOption->invGamma, 0.5f);
}

TEST_F(OptionTest, OutputSamplesGiveTheChannelCount) {
    const struct {
        short code, channels, color, alpha, depth;
    } cases[] = {{0x301, 3, 1, 0, 0}, {0x302, 1, 0, 1, 0}, {0x303, 4, 1, 1, 0}, {0x304, 1, 0, 0, 1},
                 {0x305, 4, 1, 0, 1}, {0x306, 2, 0, 1, 1}, {0x307, 5, 1, 1, 1}};
    Option& o = *gOption;
    for (const auto& c : cases) {
        o.outputSamples(c.code);
        EXPECT_EQ(o.samplesCode, c.code);
        EXPECT_EQ(o.channels, c.channels) << c.code;
        EXPECT_EQ(o.colorOut, c.color) << c.code;
        EXPECT_EQ(o.alphaOut, c.alpha) << c.code;
        EXPECT_EQ(o.depthOut, c.depth) << c.code;
    }
    request("qelOutputSamples");
    o.outputSamples(0x308);
    o.outputSamples(0x300);
    o.outputSamples(0x201);
    EXPECT_EQ(reports(), (Lines{kRange + "qelOutputSamples: unknown samples 776",
                                kRange + "qelOutputSamples: unknown samples 768",
                                kRange + "qelOutputSamples: unknown samples 513"}));
    EXPECT_EQ(o.samplesCode, 0x307);
    EXPECT_EQ(o.channels, 5);
}

// Image outputs: '+' adds one, any other name replaces them all; the plan
// lays out each output's channels and what the hider must find for them.
TEST_F(OptionTest, ImageOutputsArePlannedChannelByChannel) {
    Option& o = *gOption;
    const float eightBits[5] = {0, 255, 0, 255, 0.5f};
    o.outputImage(QEL_FORMAT_TIFF, "a.tif", "rgbz", 0, nullptr);
    o.outputImage(QEL_FORMAT_OPENEXR, "+n.exr", "varying normal N", 0, nullptr);
    o.outputImage(QEL_FORMAT_PNG, "+s.png", "s", 5, eightBits);
    o.outputImage(QEL_FORMAT_DEPTHFILE, "+d.z", "rgba", 0, nullptr);
    ASSERT_EQ(o.plan.outputs.size(), 4u);
    EXPECT_EQ(o.plan.outputs[1].name, "n.exr");
    EXPECT_EQ(o.plan.slotsPerPixel(), 4 + 3 + 1 + 1);
    EXPECT_EQ(o.plan.variableFloats, 4); // N then s
    EXPECT_TRUE(o.plan.wantsNearestDepth);
    EXPECT_FALSE(o.plan.wantsOpacity);
    // the first output also as the fields of old
    EXPECT_EQ(o.outputKind, QEL_FORMAT_TIFF);
    EXPECT_EQ(o.samplesCode, QEL_SAMPLES_RGBZ);
    EXPECT_EQ(o.channels, 4);
    const OutputChannel& depth = o.plan.outputs[0].channels[3];
    EXPECT_EQ(depth.source, ChannelSource::kNearestDepth);
    EXPECT_TRUE(depth.quantization.keepsFloats());
    const OutputChannel& s = o.plan.outputs[2].channels[0];
    EXPECT_EQ(s.source, ChannelSource::kVariable);
    EXPECT_EQ(s.index, 3);
    EXPECT_FLOAT_EQ(s.quantization.one, 255);
    EXPECT_EQ(o.plan.outputs[3].mode, "z") << "a depth file holds depth alone";
    // a name without '+' starts again; lumivar's --display-type changes them all
    o.outputImage(QEL_FORMAT_WINDOW, "shown", "Oi", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, "+x.exr", "a", 0, nullptr);
    ASSERT_EQ(o.plan.outputs.size(), 2u);
    EXPECT_TRUE(o.plan.wantsOpacity);
    o.outputsByName();
    EXPECT_EQ(o.plan.outputs[0].format, QEL_FORMAT_TIFF);
    EXPECT_EQ(o.plan.outputs[1].format, QEL_FORMAT_OPENEXR);

    request("qelOutputImage");
    o.outputImage(QEL_FORMAT_TIFF, "b.tif", "nonsense", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, "b.tif", "rgb", 3, eightBits);
    o.outputImage(0x2FE, "b.tif", "rgb", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, nullptr, "rgb", 0, nullptr);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelOutputImage: unknown output mode \"nonsense\"",
                     kRange + "qelOutputImage: 3 quantization values, not 0 or 5",
                     kRange + "qelOutputImage: unknown file format 766",
                     "error: Required parameters not provided. qelOutputImage: name, mode and "
                     "quantization "
                     "must not be null"}));
    EXPECT_EQ(o.plan.outputs.size(), 2u) << "nothing changed";
}

// The shaders' output variables: typed in the mode or declared before; the
// same name asked for twice with one type shares its floats, with another
// type has floats of its own.
TEST_F(OptionTest, ShaderOutputVariablesArePlannedByNameAndType) {
    Option& o = *gOption;
    declare("mask", QEL_CLASS_VARY, QEL_TYPE_FLOAT);
    o.outputImage(QEL_FORMAT_TIFF, "a.tif", "rgba", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, "+glow.tif", "varying color glow", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, "+mask.tif", "mask", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, "+again.tif", "color glow", 0, nullptr);
    o.outputImage(QEL_FORMAT_TIFF, "+grey.tif", "float glow", 0, nullptr);
    ASSERT_EQ(o.plan.outputs.size(), 5u);
    EXPECT_EQ(o.plan.variableFloats, 3 + 1 + 1);
    ASSERT_EQ(o.plan.variables.size(), 3u);
    EXPECT_EQ(o.plan.variables[0].name, "glow");
    EXPECT_EQ(o.plan.variables[0].components, 3);
    EXPECT_EQ(o.plan.variables[1].name, "mask");
    EXPECT_EQ(o.plan.variables[1].offset, 3);
    EXPECT_EQ(o.plan.variables[2].components, 1);
    EXPECT_EQ(o.plan.outputs[3].channels[2].index, 2) << "the colour glow's floats again";
    EXPECT_EQ(o.plan.outputs[4].channels[0].index, 4) << "the float glow's own float";
    EXPECT_FALSE(isOutputMode("undeclared")) << "a name without a type";
    EXPECT_FALSE(isOutputMode("string label"));
}

TEST_F(OptionTest, UnknownHiderFallsBackToHidden) {
    Option& o = *gOption;
    o.hider(0x401);
    EXPECT_EQ(o.hiderType, 0x401);
    request("qelHider");
    o.hider(0x402);
    EXPECT_EQ(reports(), Lines{kRange + "qelHider: unknown hider type 1026, using hidden"});
    EXPECT_EQ(o.hiderType, 0x400);
    o.hider(0);
    EXPECT_EQ(o.hiderType, 0);
}

float quarter(float, float, float, float) {
    return 0.25f;
}

// Each code's filter, told apart by its weight half a pixel off the centre
// of a 2 by 2 filter, worked out from its formula.
TEST_F(OptionTest, FilterCodesChooseTheBuiltInFilters) {
    const float expected[] = {
        0.7788008f / 1.7724539f,    // gaussian: e^(-1/4) / (sigma sqrt(2 pi)), sigma = 1/sqrt 2
        0.5625f,                    // Catmull-Rom at r = 1/2: 3/2 r^3 - 5/2 r^2 + 1
        1.0f,                       // box
        0.5f,                       // triangle: 1 - 2 |x| / width
        0.6366198f,                 // sinc: sin(pi/2) / (pi/2)
        (1.0f / 18) * (16.0f / 18), // Mitchell's cubic at 1 and at 0
        0.6065307f};                // RIB's gaussian: e^(-2 (1/2)^2)
    for (short code = 0x100; code <= 0x106; ++code) {
        gOption->filter(code);
        EXPECT_NEAR(gOption->filterFunction(0.5f, 0, 2, 2), expected[code - 0x100], 1e-5f) << code;
    }
    request("qelFilter");
    gOption->filter(0x107);
    EXPECT_EQ(reports(), Lines{kRange + "qelFilter: unknown filter function 263"});
    EXPECT_NEAR(gOption->filterFunction(0.5f, 0, 2, 2), 0.6065307f, 1e-5f);
    gOption->customFilter(quarter);
    EXPECT_EQ(gOption->filterFunction(0.5f, 0, 2, 2), 0.25f);
}

TEST_F(OptionTest, TuneValuesAreCorrectedIntoRange) {
    Option& o = *gOption;
    o.tune(16, 8, 4);
    EXPECT_EQ(o.tuneA, 16);
    EXPECT_EQ(o.tuneB, 8);
    EXPECT_EQ(o.tuneC, 4);
    o.tune(256, 128, 128);
    EXPECT_TRUE(reports().empty());
    request("qelTune");
    o.tune(0, -3, 5000);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelTune: grid edge 0 out of range 1 to 256, using 1",
                     kRange + "qelTune: bucket width -3 out of range 1 to 128, using 1",
                     kRange + "qelTune: bucket height 5000 out of range 1 to 128, using 128"}));
    EXPECT_EQ(o.tuneA, 1);
    EXPECT_EQ(o.tuneB, 1);
    EXPECT_EQ(o.tuneC, 128);
    o.tune(257, 129, std::numeric_limits<long>::max());
    EXPECT_EQ(reports().size(), 3u);
    EXPECT_EQ(o.tuneA, 256);
    EXPECT_EQ(o.tuneB, 128);
    EXPECT_EQ(o.tuneC, 128);
}

TEST_F(OptionTest, PixelSamplesAreClampedToOneToThirtyTwo) {
    Option& o = *gOption;
    o.sampleUniform(32, 1);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(o.xSamples, 32.0f);
    EXPECT_EQ(o.ySamples, 1.0f);
    request("qelSampleUniform");
    o.sampleUniform(1e5f, 0.5f);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelSampleUniform: x samples 100000 out of range 1 to 32, using 32",
                     kRange + "qelSampleUniform: y samples 0.5 out of range 1 to 32, using 1"}));
    EXPECT_EQ(o.xSamples, 32.0f);
    EXPECT_EQ(o.ySamples, 1.0f);
    o.sampleUniform(kNan, kInf);
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelSampleUniform: x samples nan out of range 1 to 32, using 1",
                     kRange + "qelSampleUniform: y samples inf out of range 1 to 32, using 32"}));
    EXPECT_EQ(o.xSamples, 1.0f);
    EXPECT_EQ(o.ySamples, 32.0f);
}

// The narrowest filter is one sample spacing at 32 samples a pixel.
TEST_F(OptionTest, FilterWidthsAreClampedToOneThirtySecondToSixteen) {
    Option& o = *gOption;
    o.filterWidth(16, 0.03125f);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(o.filterXWidth, 16.0f);
    EXPECT_EQ(o.filterYWidth, 0.03125f);
    request("qelFilterWidth");
    o.filterWidth(1e38f, 0);
    o.filterWidth(-kInf, kNan);
    const std::string range = " out of range 0.03125 to 16, using ";
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelFilterWidth: x filter width 1e+38" + range + "16",
                     kRange + "qelFilterWidth: y filter width 0" + range + "0.03125",
                     kRange + "qelFilterWidth: x filter width -inf" + range + "0.03125",
                     kRange + "qelFilterWidth: y filter width nan" + range + "0.03125"}));
    EXPECT_EQ(o.filterXWidth, 0.03125f);
    EXPECT_EQ(o.filterYWidth, 0.03125f);
}

// 32768 pixels a side and 2^26 = 67108864 in all: 32768 by 2048 is the
// widest image, 8192 by 8192 the largest square.
TEST_F(OptionTest, RasterViewportsBeyondTheImageLimitsAreRefused) {
    Option& o = *gOption;
    o.rasterViewport(0, 32767, 0, 2047);
    EXPECT_EQ(o.xResolution, 32768);
    EXPECT_EQ(o.yResolution, 2048);
    o.rasterViewport(-100, 8091, 0, 8191);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(o.xResolution, 8192);
    EXPECT_EQ(o.yResolution, 8192);
    EXPECT_EQ(o.rasterOriginX, -100);
    request("qelRasterViewport");
    o.rasterViewport(0, 99998, 0, 99998);
    o.rasterViewport(0, 32768, 0, 0);
    o.rasterViewport(0, 8192, 0, 8191);
    o.rasterViewport(0, std::numeric_limits<long>::max(), 0, 0);
    const std::string limits = " pixels out of range: at most 32768 a side, 67108864 in all";
    EXPECT_EQ(reports(),
              (Lines{kRange + "qelRasterViewport: raster 99999 by 99999" + limits,
                     kRange + "qelRasterViewport: raster 32769 by 1" + limits,
                     kRange + "qelRasterViewport: raster 8193 by 8192" + limits,
                     kRange + "qelRasterViewport: raster 9223372036854775808 by 1" + limits}));
    EXPECT_EQ(o.xResolution, 8192);
    EXPECT_EQ(o.yResolution, 8192);
    EXPECT_EQ(o.rasterOriginX, -100);
}

TEST_F(OptionTest, ColourSpaceFollowsTheCurrentBlock) {
    const float toRgb[6] = {1, 0, 0.5f, 0, 1, 0.5f};
    const float fromRgb[6] = {1, 0, 0, 1, 0, 0};
    fState->frameBegin();
    gOption->colorSpace(2, toRgb, fromRgb);
    EXPECT_FALSE(currentColorSpace().plainRgb);
    EXPECT_EQ(currentColorSpace().samples, 2);
    EXPECT_EQ(currentColorSpace().nToRgb[2], 0.5f);
    fState->frameEnd();
    EXPECT_TRUE(currentColorSpace().plainRgb);
    EXPECT_EQ(currentColorSpace().samples, 3);
}

} // namespace
