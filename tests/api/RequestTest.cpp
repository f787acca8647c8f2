// The renderer library driven through nothing but its API, the way a client
// program sees it: every report arrives at the client's printer as one line.
#include "TiffImage.h"
#include "api/qel.h"
#include "api/qelrender.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gLines;

void record(const char* text) {
    gLines.emplace_back(text);
}

class RequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        qelErrorPrinter(record);
        qelErrorHandler(QEL_SEVERITY_IWE, QEL_HANDLER_PRINT);
        qelErrorHandler(QEL_SEVERITY_SEVERE, QEL_HANDLER_ABORT);
        qelReset();
        gLines.clear();
    }
    void TearDown() override { qelErrorHandler(QEL_SEVERITY_INFO, QEL_HANDLER_IGNORE); }

    static std::vector<std::string> take() {
        std::vector<std::string> lines;
        lines.swap(gLines);
        return lines;
    }
};

using Lines = std::vector<std::string>;

TEST_F(RequestTest, StateErrorsNameTheRequest) {
    qelFrameEnd();
    qelFrameBegin();
    qelSphere(1, -1, 1, 360, 0);
    qelSceneBegin();
    qelSceneBegin();
    qelObjectBegin();
    qelColor(nullptr);
    float red[3] = {1, 0, 0};
    qelColor(red);
    qelObjectEnd();
    qelSceneEnd();
    EXPECT_EQ(take(), (Lines{"error: Bad begin-end nesting. qelFrameEnd",
                             "error: Invalid state for primitives. qelSphere",
                             "error: Invalid state. qelSceneBegin",
                             "error: Invalid state for attribs. qelColor",
                             "error: Invalid state for attribs. qelColor"}));
    EXPECT_EQ(qelLastError(), 6);
}

TEST_F(RequestTest, PopsMustMatchTheOpenBlock) {
    qelAttributePush();
    qelMatrixPush();
    qelAttributePop();
    qelMatrixPop();
    qelAttributePop();
    qelAttributePop();
    EXPECT_EQ(take(), (Lines{"error: Bad begin-end nesting. qelAttributePop",
                             "error: Bad begin-end nesting. qelAttributePop"}));
}

TEST_F(RequestTest, SceneInsideAttributeBlockIsRefused) {
    qelAttributePush();
    qelSceneBegin();
    EXPECT_EQ(take(), (Lines{"error: Invalid state. qelSceneBegin"}));
}

TEST_F(RequestTest, OnlyTheFirstRequestOfAMotionBlockCounts) {
    qelSceneBegin();
    qelMotionBegin(2, 0.0, 1.0);
    qelTranslate(1, 0, 0);
    qelTranslate(5, 0, 0);
    qelMotionEnd();
    float points[1][3] = {{0, 0, 0}};
    ASSERT_EQ(qelProjectPoints(qelQuark("model"), qelQuark("eye"), 1, points), points);
    EXPECT_FLOAT_EQ(points[0][0], 1.0f);
    EXPECT_TRUE(take().empty());
}

TEST_F(RequestTest, ObjectBeginReturnsAHandleOrNull) {
    qelSceneBegin();
    qelMotionBegin(1, 0.0);
    EXPECT_EQ(qelObjectBegin(), nullptr);
    EXPECT_EQ(take(), (Lines{"error: Invalid state. qelObjectBegin"}));
    qelMotionEnd();
    const void* object = qelObjectBegin();
    EXPECT_NE(object, nullptr);
    qelObjectEnd();
    qelObjectCall(object);
    qelObjectCall(&gLines);
    EXPECT_EQ(take(), (Lines{"error: Bad object/light handle. qelObjectCall"}));
}

// A geometric request's reports name the object its attributes name; the
// next request outside it names none.
TEST_F(RequestTest, PrimitiveReportsNameTheirObject) {
    qelSceneBegin();
    qelAttributePush();
    qelObjectName("teacup");
    qelGroupName("china");
    qelPolygonV(2, 0, nullptr, nullptr);
    qelAttributePop();
    qelPolygonV(2, 0, nullptr, nullptr);
    EXPECT_EQ(take(),
              (Lines{"error: Parameter out of range. qelPolygonV: vertex count 2 out of range",
                     "While rendering object teacup; shading group china",
                     "error: Parameter out of range. qelPolygonV: vertex count 2 out of range"}));
}

// What the renderer does not render yet warns once for each kind, until the
// next reset; what it keeps (a declared variable, texture coordinates) is
// kept quietly.
TEST_F(RequestTest, RequestsTakenInPartWarnOncePerKind) {
    unsigned short foo = qelVariable("foo", QEL_CLASS_VARY, QEL_TYPE_FLOAT);
    EXPECT_NE(foo, 0);
    qelShutter(0, 1);
    qelDepthOfField(1e38f, 0, 0);
    qelSceneBegin();
    qelDeformation(qelQuark("bend"), 0);
    qelDeformation(qelQuark("twist"), 0);
    qelTextureCoordinates(0, 0, 2, 0, 0, 2, 2, 2);
    float corners[4] = {1, 2, 3, 4};
    qelSphere(1, -1, 1, 360, foo, corners, 0);
    qelSolidBegin(QEL_NULL);
    qelSolidEnd();
    qelSceneEnd();
    EXPECT_EQ(take(), (Lines{"warning: Optional QEL feature. qelDeformation: deformation shaders "
                             "are not run; told once",
                             "warning: Optional QEL feature. qelSolidBegin: solid operations are "
                             "not applied: every solid is drawn whole; told once"}));
    qelReset();
    qelDeformation(qelQuark("bend"), 0);
    EXPECT_EQ(take().size(), 1u);
}

TEST_F(RequestTest, OptionValidation) {
    qelClip(0, 10);
    qelClip(1, 1);
    qelViewPerspective(180);
    qelImageCrop(0.5f, -0.5f, 0, 2);
    qelColorGamma(0);
    qelOutputSamples(0x308);
    qelOutputSamples(0x307);
    qelHider(0x402);
    qelFilter(0x107);
    qelFilter(QEL_FILTER_SINC);
    EXPECT_EQ(take(),
              (Lines{"error: Parameter out of range. qelClip: near clipping distance 0 out of "
                     "range, using minimum",
                     "error: Parameter out of range. qelClip: near clipping distance 1 out of "
                     "range, using minimum",
                     "error: Parameter out of range. qelViewPerspective: fov 180 out of range, "
                     "using 90 degrees",
                     "error: Parameter out of range. qelImageCrop: values should be in range 0 "
                     "to 1, clamping",
                     "error: Parameter out of range. qelColorGamma: gamma must be greater than 0",
                     "error: Parameter out of range. qelOutputSamples: unknown samples 776",
                     "error: Parameter out of range. qelHider: unknown hider type 1026, using "
                     "hidden",
                     "error: Parameter out of range. qelFilter: unknown filter function 263"}));
}

TEST_F(RequestTest, OptionsAreFrozenInAScene) {
    qelSceneBegin();
    qelClip(1, 10);
    qelTune(8, 8, 8);
    EXPECT_EQ(take(), (Lines{"error: Invalid state for parameters. qelClip",
                             "error: Invalid state for parameters. qelTune"}));
}

TEST_F(RequestTest, AttributeValidation) {
    qelShaderPath("nowhere");
    qelShadingRate(0);
    qelFlatness(-1);
    qelOrientation(0x605);
    qelShadingModel(0x502);
    qelBasis(0x803, QEL_BASIS_BEZIER);
    qelBasis(QEL_UBASIS, 0x905);
    qelLightSource(qelQuark("plastic"), 0);
    qelAtmosphere(qelQuark("omni"), 0);
    EXPECT_EQ(
        take(),
        (Lines{"error: Parameter out of range. qelShadingRate: shading rate 0 out of range "
               "0.015625 to 67108864, using 0.015625",
               "error: Parameter out of range. qelFlatness: flatness must be greater than 0",
               "error: Parameter out of range. qelOrientation: unknown orientation 1541",
               "error: Parameter out of range. qelShadingModel: unknown shading interpolation 1282",
               "error: Parameter out of range. qelBasis: unknown basis application 2051",
               "error: Parameter out of range. qelBasis: unknown bicubic patch basis 2309",
               "error: Parameter out of range. qelLightSource: light source \"plastic\": no "
               "compiled shader plastic.qso in the shader search path \"nowhere\"",
               "error: Parameter out of range. qelAtmosphere: atmosphere \"omni\": no "
               "compiled shader omni.qso in the shader search path \"nowhere\""}));
}

TEST_F(RequestTest, MathErrorsOfTransforms) {
    qelRotate(45, 0, 0, 0);
    qelSkew(30, 0, 0, 0, 1, 0, 0);
    qelSkew(30, 1, 0, 0, 2, 0, 0);
    EXPECT_EQ(take(), (Lines{"error: Undefined mathematical operation. qelRotate: rotation basis "
                             "vector must be non-zero",
                             "error: Undefined mathematical operation. qelSkew: skew basis "
                             "vectors must be non-zero",
                             "error: Undefined mathematical operation. qelSkew: skew basis "
                             "vectors must non-colinear"}));
}

TEST_F(RequestTest, NamedSpaces) {
    unsigned short world = qelQuark("world"), model = qelQuark("model");
    unsigned short lamp = qelQuark("lamp");
    qelMarkSpace(world);
    qelSceneBegin();
    qelTranslate(0, 0, 3);
    qelMarkSpace(lamp);
    qelScale(2, 2, 2);
    float points[2][3] = {{1, 0, 0}, {0, 1, 0}};
    EXPECT_EQ(qelProjectPoints(model, lamp, 2, points), points);
    EXPECT_FLOAT_EQ(points[0][0], 2.0f);
    EXPECT_FLOAT_EQ(points[1][1], 2.0f);
    float origin[1][3] = {{0, 0, 0}};
    qelProjectPoints(lamp, world, 1, origin);
    EXPECT_FLOAT_EQ(origin[0][2], 3.0f);
    EXPECT_EQ(qelProjectPoints(qelQuark("nowhere"), world, 1, origin), nullptr);
    EXPECT_EQ(qelProjectPoints(model, world, -1, origin), nullptr);
    EXPECT_EQ(qelProjectPoints(model, world, 1, nullptr), nullptr);
    Lines lines = take();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "error: Parameter out of range. qelMarkSpace: cannot redefine standard "
                        "coordinate system 35");
    EXPECT_EQ(lines[1].rfind("error: Parameter out of range. qelProjectPoints: unknown coordinate "
                             "space ",
                             0),
              0u);
}

TEST_F(RequestTest, DefaultCameraMapsTheScreenWindowOnto640By480) {
    qelSceneBegin();
    float points[2][3] = {{0, 0, 1}, {-4.0f / 3.0f, 1, 1}};
    qelProjectPoints(qelQuark("eye"), qelQuark("raster"), 2, points);
    EXPECT_NEAR(points[0][0], 320, 1e-3);
    EXPECT_NEAR(points[0][1], 240, 1e-3);
    EXPECT_NEAR(points[1][0], 0, 1e-3);
    EXPECT_NEAR(points[1][1], 0, 1e-3);
    qelSceneEnd();
    EXPECT_TRUE(take().empty());
}

TEST_F(RequestTest, ErrorHandlersThroughTheApi) {
    qelErrorHandler(short(0xB10), QEL_HANDLER_PRINT);
    qelErrorHandler(QEL_SEVERITY_ERROR, short(0xC03));
    qelErrorHandler(QEL_SEVERITY_ERROR, QEL_HANDLER_IGNORE);
    qelFrameEnd();
    EXPECT_EQ(qelLastError(), 4);
    EXPECT_EQ(
        take(),
        (Lines{"error: Parameter out of range. qelErrorHandler: unknown severity mask 2832",
               "error: Parameter out of range. qelErrorHandler: unknown error handler 3075"}));
}

TEST_F(RequestTest, QuarksThroughTheApi) {
    EXPECT_EQ(qelQuark(nullptr), 0);
    EXPECT_EQ(qelQuark("model"), 36);
    EXPECT_EQ(qelQuark("color"), 6);
    unsigned short q = qelQuark("myname");
    EXPECT_EQ(qelQuark("myname"), q);
    qelReset();
    EXPECT_EQ(qelQuark("myname"), q); // quarks outlive a reset
}

TEST_F(RequestTest, CommentsProgressAndRenderingWithoutBuckets) {
    qelComment("anything %d at all");
    EXPECT_EQ(qelProgress(), 0);
    qelSceneBegin();
    qelRenderInit();
    while (qelRenderBucket()) {
    }
    EXPECT_EQ(qelProgress(), 0);
    qelSceneEnd();
    EXPECT_TRUE(take().empty());
}

TEST_F(RequestTest, ParameterListsAreChecked) {
    unsigned short point = qelQuark("point"), color = qelQuark("color");
    float p[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    float c[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
    qelSceneBegin();
    qelPolygon(4, point, p, color, c, 0);
    qelPolygon(4, color, c, 0);
    qelPolygon(4, point, p, point, p, 0);
    unsigned short tokens[1] = {point};
    void* values[1] = {p};
    qelPolygonV(4, 1, tokens, values);
    qelPolygonV(4, -1, tokens, values);
    qelPolygonV(4, 1, nullptr, values);
    qelSphere(1, -1, 1, 360, qelQuark("plastic"), p, 0);
    qelSphere(1, -1, 1, 360, 0);
    EXPECT_EQ(take(),
              (Lines{"error: Required parameters not provided. qelPolygon: required argument "
                     "missing",
                     "error: Parameters inconsistent. qelPolygon: required argument specified 2 "
                     "times",
                     "error: Parameter out of range. qelPolygonV: count -1 out of range",
                     "error: Required parameters not provided. qelPolygonV: parameter list must "
                     "not be null",
                     "error: Declare type syntax error. qelSphere: parameter \"plastic\" takes "
                     "no value"}));
}

TEST_F(RequestTest, GeometryChecksOfTheirOwn) {
    qelSceneBegin();
    qelPatch(0x702, 0);
    qelParaboloid(1, 0, 0, 360, 0);
    qelParaboloid(1, -1, 1, 360, 0);
    EXPECT_EQ(take(),
              (Lines{"error: Parameter out of range. qelPatch: type must be bilinear or bicubic",
                     "error: Parameter out of range. qelParaboloid: zmax may not equal 0",
                     "error: Parameter out of range. qelParaboloid: paraboloid may not cross z "
                     "plane, use two"}));
}

TEST_F(RequestTest, NullPointersAreReportedNotFollowed) {
    qelSceneBegin();
    qelBound(nullptr);
    qelObjectName(nullptr);
    qelLoadMatrix(nullptr);
    qelMultMatrix(nullptr);
    qelCustomBasis(QEL_UBASIS, nullptr, 3);
    qelHyperboloid(nullptr, nullptr, 360, 0);
    qelGeneralPolygon(1, nullptr, 0);
    qelPolygonMesh(1, nullptr, nullptr, 0);
    qelNurb(4, nullptr, 0, 1, 4, nullptr, 0, 1, 0);
    qelProcedural(nullptr, nullptr, nullptr, nullptr);
    qelLightSwitch(nullptr, 1);
    qelSceneEnd();
    Lines lines = take();
    EXPECT_EQ(lines.size(), 11u);
    for (const std::string& line : lines)
        EXPECT_EQ(line.rfind("error: ", 0), 0u) << line;
}

const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();
constexpr long kLongMax = std::numeric_limits<long>::max();
constexpr long kLongMin = std::numeric_limits<long>::min();
constexpr long kTinySide = 8;

std::string rangeReport(const std::string& request, const std::string& text) {
    return "error: Parameter out of range. " + request + ": " + text;
}

// An 8 by 8 image filtered by a 1 by 1 box, then the requests, then a white
// square over the left half of the image, rendered to a TIFF file and read
// back.
TiffImage renderTinySceneAfter(const std::function<void()>& requests) {
    std::string path = ::testing::TempDir() + "tiny-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".tif";
    qelRasterViewport(0, kTinySide - 1, 0, kTinySide - 1);
    qelFilter(QEL_FILTER_BOX);
    qelFilterWidth(1, 1);
    requests();
    qelOutputFile(QEL_FORMAT_TIFF, path.c_str());
    qelOutputSamples(QEL_SAMPLES_RGBA);
    qelImageWindow(-1, 1, -1, 1);
    qelViewOrthographic();
    qelTranslate(0, 0, 1);
    qelSceneBegin();
    qelSurface(qelQuark("constant"), 0);
    float square[12] = {-1, -1, 0, 0, -1, 0, 0, 1, 0, -1, 1, 0};
    qelPolygon(4, qelQuark("point"), square, 0);
    qelSceneEnd();
    TiffImage image = readTiff(path);
    std::remove(path.c_str());
    return image;
}

void expectTinyImage(const TiffImage& image) {
    EXPECT_EQ(image.width, uint32_t(kTinySide));
    EXPECT_EQ(image.height, uint32_t(kTinySide));
    EXPECT_EQ(image.samples, 4);
}

// Through the box filter the square covers columns 0 to 3 whole and leaves
// columns 4 to 7 empty.
void expectSharpHalves(const TiffImage& image) {
    expectTinyImage(image);
    if (image.data.empty()) return;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            EXPECT_EQ(image.pixel(x, y)[3], x < kTinySide / 2 ? 255 : 0) << x << "," << y;
}

TEST_F(RequestTest, FilterWidthsBeyondTheirLimitsAreClamped) {
    TiffImage image = renderTinySceneAfter([] {
        qelFilterWidth(1e38f, -1e38f);
        qelFilterWidth(kNan, kInf);
        qelFilterWidth(0, 16.5f);
    });
    const std::string range = " out of range 0.03125 to 16, using ";
    EXPECT_EQ(take(),
              (Lines{rangeReport("qelFilterWidth", "x filter width 1e+38" + range + "16"),
                     rangeReport("qelFilterWidth", "y filter width -1e+38" + range + "0.03125"),
                     rangeReport("qelFilterWidth", "x filter width nan" + range + "0.03125"),
                     rangeReport("qelFilterWidth", "y filter width inf" + range + "16"),
                     rangeReport("qelFilterWidth", "x filter width 0" + range + "0.03125"),
                     rangeReport("qelFilterWidth", "y filter width 16.5" + range + "16")}));
    expectTinyImage(image);
}

TEST_F(RequestTest, PixelSamplesBeyondTheirLimitsAreClamped) {
    TiffImage image = renderTinySceneAfter([] {
        qelSampleUniform(1e5f, -kInf);
        qelSampleUniform(kNan, 0.5f);
        qelSampleUniform(kInf, 33);
    });
    const std::string range = " out of range 1 to 32, using ";
    EXPECT_EQ(take(), (Lines{rangeReport("qelSampleUniform", "x samples 100000" + range + "32"),
                             rangeReport("qelSampleUniform", "y samples -inf" + range + "1"),
                             rangeReport("qelSampleUniform", "x samples nan" + range + "1"),
                             rangeReport("qelSampleUniform", "y samples 0.5" + range + "1"),
                             rangeReport("qelSampleUniform", "x samples inf" + range + "32"),
                             rangeReport("qelSampleUniform", "y samples 33" + range + "32")}));
    expectSharpHalves(image);
}

TEST_F(RequestTest, ShadingRatesBeyondTheirLimitsAreClamped) {
    TiffImage image = renderTinySceneAfter([] {
        for (float rate : {kNan, -kInf, 0.0f, 1e-10f, kInf, 1e38f})
            qelShadingRate(rate);
        qelShadingRate(1e-10f);
    });
    const std::string range = " out of range 0.015625 to 67108864, using ";
    const std::string finest = range + "0.015625", coarsest = range + "67108864";
    EXPECT_EQ(take(), (Lines{rangeReport("qelShadingRate", "shading rate nan" + finest),
                             rangeReport("qelShadingRate", "shading rate -inf" + finest),
                             rangeReport("qelShadingRate", "shading rate 0" + finest),
                             rangeReport("qelShadingRate", "shading rate 1e-10" + finest),
                             rangeReport("qelShadingRate", "shading rate inf" + coarsest),
                             rangeReport("qelShadingRate", "shading rate 1e+38" + coarsest),
                             rangeReport("qelShadingRate", "shading rate 1e-10" + finest)}));
    expectSharpHalves(image);
}

TEST_F(RequestTest, GridAndBucketSizesBeyondTheirLimitsAreClamped) {
    TiffImage image = renderTinySceneAfter([] {
        qelTune(kLongMax, kLongMin, 0);
        qelTune(257, 129, -1);
    });
    EXPECT_EQ(take(),
              (Lines{rangeReport("qelTune", "grid edge 9223372036854775807 out of range 1 to "
                                            "256, using 256"),
                     rangeReport("qelTune", "bucket width -9223372036854775808 out of range 1 "
                                            "to 128, using 1"),
                     rangeReport("qelTune", "bucket height 0 out of range 1 to 128, using 1"),
                     rangeReport("qelTune", "grid edge 257 out of range 1 to 256, using 256"),
                     rangeReport("qelTune", "bucket width 129 out of range 1 to 128, using 128"),
                     rangeReport("qelTune", "bucket height -1 out of range 1 to 128, using 1")}));
    expectSharpHalves(image);
}

// Refused whole: the image keeps the size it had.
TEST_F(RequestTest, RasterViewportsBeyondTheImageLimitsAreRefused) {
    TiffImage image = renderTinySceneAfter([] {
        qelRasterViewport(0, 99998, 0, 99998);
        qelRasterViewport(0, 32768, 0, 0);
        qelRasterViewport(0, 8191, 0, 8192);
        qelRasterViewport(0, kLongMax, kLongMin, 0);
    });
    const std::string limits = " pixels out of range: at most 32768 a side, 67108864 in all";
    EXPECT_EQ(take(),
              (Lines{rangeReport("qelRasterViewport", "raster 99999 by 99999" + limits),
                     rangeReport("qelRasterViewport", "raster 32769 by 1" + limits),
                     rangeReport("qelRasterViewport", "raster 8192 by 8193" + limits),
                     rangeReport("qelRasterViewport", "raster viewport 0 9223372036854775807 "
                                                      "-9223372036854775808 0 out of range")}));
    expectSharpHalves(image);
}

// Each of these once ended the process or ran for minutes; refused, they
// leave the tiny scene a fraction of a second's work, far within the bound
// allowed here for slow sanitizer builds.
TEST_F(RequestTest, ExtremeSizesAreRefusedBeforeAnythingIsAllocated) {
    auto start = std::chrono::steady_clock::now();
    TiffImage image = renderTinySceneAfter([] {
        qelFilterWidth(1e38f, 1e38f);
        qelSampleUniform(1e5f, 1e5f);
        qelShadingRate(1e-10f);
        qelRasterViewport(0, 99998, 0, 99998);
        qelTune(kLongMax, kLongMax, kLongMax);
    });
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(take().size(), 9u);
    expectTinyImage(image);
    EXPECT_LT(elapsed.count(), 30.0);
}

TEST_F(RequestTest, NestingHasALimit) {
    qelFrameBegin(); // the outermost and the frame block count too
    for (int k = 0; k < 49998; ++k)
        qelAttributePush();
    EXPECT_TRUE(take().empty());
    qelAttributePush();
    Lines lines = take();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "error: Bad begin-end nesting. qelAttributePush: blocks nested deeper than 50000");
    for (int k = 0; k < 49998; ++k)
        qelAttributePop();
    qelFrameEnd();
    EXPECT_TRUE(take().empty());
}

TEST_F(RequestTest, ResetRestoresTheOutermostBlock) {
    qelFrameBegin();
    qelSceneBegin();
    qelAttributePush();
    qelReset();
    qelFrameBegin();
    qelFrameEnd();
    EXPECT_TRUE(take().empty());
}

float filterOutOfMemory(float, float, float, float) {
    throw std::bad_alloc();
}

// Runs in a process of its own, with the handlers and printer the library
// starts with.
void renderABucketThatRunsOutOfMemory() {
    qelRasterViewport(0, kTinySide - 1, 0, kTinySide - 1);
    qelOutputFile(QEL_FORMAT_TIFF, (::testing::TempDir() + "out-of-memory.tif").c_str());
    qelCustomFilter(filterOutOfMemory);
    qelSceneBegin();
    qelSceneEnd();
    std::exit(0);
}

TEST(FreshRendererTest, SevereErrorsAbortByDefault) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(renderABucketThatRunsOutOfMemory(), ::testing::KilledBySignal(SIGABRT),
                "^severe error: Out of memory\\. qelSceneEnd: free store exhausted\n$");
}

} // namespace

namespace {

void beginScenesOfSpheres(const std::string& image) {
    qelRasterViewport(0, 127, 0, 127);
    qelTune(32, 16, 16);
    qelOutputImage(QEL_FORMAT_TIFF, image.c_str(), "rgbaz", 0, nullptr);
    qelOutputImage(QEL_FORMAT_TIFF, ("+" + image + ".N.tif").c_str(), "N", 0, nullptr);
    qelViewPerspective(40);
    qelSceneBegin();
    qelTranslate(0, 0, 6);
    for (int i = 0; i < 9; ++i) {
        qelMatrixPush();
        qelTranslate(float(i % 3) - 1, float(i / 3) - 1, 0);
        qelSphere(0.6f, -0.6f, 0.6f, 360, 0);
        qelMatrixPop();
    }
}

} // namespace

// The workers render the buckets ahead of the caller; a reset between two
// buckets stops them before the outputs, options and lights they read go.
TEST_F(RequestTest, ResetBetweenBucketsStopsTheWorkersFirst) {
    std::string image = ::testing::TempDir() + "reset-between-buckets.tif";
    qelRenderThreads(4);
    for (int round = 0; round < 3; ++round) {
        beginScenesOfSpheres(image);
        qelRenderInit();
        EXPECT_EQ(qelRenderBucket(), 1);
        qelReset();
    }
    beginScenesOfSpheres(image);
    qelSceneEnd();
    qelRenderThreads(0);
    EXPECT_EQ(take(), Lines{});
    EXPECT_EQ(std::remove(image.c_str()), 0);
    EXPECT_EQ(std::remove((image + ".N.tif").c_str()), 0);
}

// Buckets rendered, or rendering on the workers, take no more primitives: a
// request between two buckets is left out with a report, on any thread count.
TEST_F(RequestTest, PrimitivesMadeBetweenBucketsAreLeftOut) {
    std::string image = ::testing::TempDir() + "between-buckets.tif";
    for (int threads : {1, 4}) {
        qelRenderThreads(threads);
        beginScenesOfSpheres(image);
        qelRenderInit();
        EXPECT_EQ(qelRenderBucket(), 1);
        qelSphere(1, -1, 1, 360, 0);
        qelSphere(1, -1, 1, 360, 0);
        while (qelRenderBucket()) {
        }
        qelSceneEnd();
        const std::string leftOut =
            "error: Invalid state. qelSphere: primitives made while the scene renders are left out";
        EXPECT_EQ(take(), (Lines{leftOut, leftOut})) << threads << " threads";
    }
    qelRenderThreads(0);
    std::remove(image.c_str());
    std::remove((image + ".N.tif").c_str());
}
