// The requests that the writer also applies to its copy of the graphics
// state: misuse is reported with the renderer's own lines, after the faulty
// request has been written. The requests that write nothing, and the
// library as a fresh process sees it.
#include "WriterFixture.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

using ValidationTest = WriterFixture;

TEST_F(ValidationTest, NestingErrorsAreReportedAndWritten) {
    EXPECT_EQ(write([] {
                  qelFrameEnd();
                  qelFrameBegin();
                  qelFrameBegin();
                  qelSceneBegin();
                  qelSceneBegin();
                  qelAttributePush();
                  qelMatrixPush();
                  qelAttributePop();
                  qelMatrixPop();
                  qelMatrixPop();
                  qelAttributePop();
                  qelSceneEnd();
                  qelSceneEnd();
                  qelFrameEnd();
              }),
              (Lines{"qelFrameEnd", "qelFrameBegin", "qelFrameBegin", "qelSceneBegin",
                     "qelSceneBegin", "qelAttributePush", "qelMatrixPush", "qelAttributePop",
                     "qelMatrixPop", "qelMatrixPop", "qelAttributePop", "qelSceneEnd",
                     "qelSceneEnd", "qelFrameEnd"}));
    EXPECT_EQ(reports(), (Lines{"error: Bad begin-end nesting. qelFrameEnd",
                                "error: Invalid state. qelFrameBegin",
                                "error: Invalid state. qelSceneBegin",
                                "error: Bad begin-end nesting. qelAttributePop",
                                "error: Bad begin-end nesting. qelMatrixPop",
                                "error: Bad begin-end nesting. qelSceneEnd"}));
    EXPECT_EQ(qelLastError(), 4);
}

TEST_F(ValidationTest, OptionsAreCheckedAndCorrectedAsTheRendererDoes) {
    EXPECT_EQ(write([] {
                  qelFrameBegin();
                  qelViewPerspective(180);
                  qelClip(0, 10);
                  qelImageCrop(-1, 0.5f, 0, 2);
                  qelRasterViewport(10, 0, 0, 10);
                  qelSceneBegin();
                  qelRasterViewport(0, 99, 0, 99);
                  qelDepthOfField(8, 0.1f, 2);
                  qelSceneEnd();
                  qelFrameEnd();
              }),
              (Lines{"qelFrameBegin", "qelViewPerspective 180", "qelClip 0 10",
                     "qelImageCrop -1 0.5 0 2", "qelRasterViewport 10 0 0 10", "qelSceneBegin",
                     "qelRasterViewport 0 99 0 99", "qelDepthOfField 8 0.1 2", "qelSceneEnd",
                     "qelFrameEnd"}));
    EXPECT_EQ(reports(),
              (Lines{"error: Parameter out of range. qelViewPerspective: fov 180 out of range, "
                     "using 90 degrees",
                     "error: Parameter out of range. qelClip: near clipping distance 0 out of "
                     "range, using minimum",
                     "error: Parameter out of range. qelImageCrop: values should be in range 0 "
                     "to 1, clamping",
                     "error: Parameter out of range. qelRasterViewport: raster viewport 10 0 0 10 "
                     "out of range",
                     "error: Invalid state for parameters. qelRasterViewport",
                     "error: Invalid state for parameters. qelDepthOfField"}));
}

TEST_F(ValidationTest, TransformsAreChecked) {
    EXPECT_EQ(write([] {
                  qelRotate(30, 0, 0, 0);
                  qelPerspective(0);
                  qelLoadMatrix(nullptr);
                  qelMarkSpace(qelQuark("world"));
              }),
              (Lines{"qelRotate 30 0 0 0", "qelPerspective 0", "qelLoadMatrix null",
                     "qelQuark \"world\"", "qelMarkSpace \"world\""}));
    EXPECT_EQ(reports(),
              (Lines{"error: Undefined mathematical operation. qelRotate: rotation basis vector "
                     "must be non-zero",
                     "error: Parameter out of range. qelPerspective: fov 0 out of range, using 90 "
                     "degrees",
                     "error: Required parameters not provided. qelLoadMatrix: matrix must not be "
                     "null",
                     "error: Parameter out of range. qelMarkSpace: cannot redefine standard "
                     "coordinate system 35"}));
}

TEST_F(ValidationTest, MultMatrixIsCheckedAsConcatMatrix) {
    EXPECT_EQ(line([] { qelMultMatrix(nullptr); }), "qelMultMatrix null");
    EXPECT_EQ(reports(), (Lines{"error: Required parameters not provided. qelConcatMatrix: matrix "
                                "must not be null"}));
}

TEST_F(ValidationTest, ColorSpaceIsChecked) {
    float matrix[3] = {1, 1, 1};
    EXPECT_EQ(write([&] {
                  qelColorSpace(0, matrix, matrix);
                  qelColorSpace(1, nullptr, matrix);
                  qelColor(matrix);
              }),
              (Lines{"qelColorSpace 0 [] []", "qelColorSpace 1 null [1 1 1]",
                     "qelColor [1 1 1]"}));
    EXPECT_EQ(reports(),
              (Lines{"error: Parameter out of range. qelColorSpace: colour samples 0 out of range",
                     "error: Required parameters not provided. qelColorSpace: colour space "
                     "matrices must not be null"}));
}

TEST_F(ValidationTest, TheOtherRequestsAreWrittenUnchecked) {
    EXPECT_EQ(write([] {
                  qelSphere(1, -1, 1, 360, 0);
                  qelShadingRate(0);
                  qelFilter(0x1FF);
                  qelHider(0x4FF);
              }),
              (Lines{"qelSphere 1 -1 1 360", "qelShadingRate 0", "qelFilter \"null\"",
                     "qelHider \"null\""}));
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(ValidationTest, TheErrorHandlerIsInstalledBeforeItIsWritten) {
    EXPECT_EQ(write([] {
                  qelErrorHandler(QEL_SEVERITY_IWES, 0xC07);
                  qelErrorHandler(QEL_SEVERITY_ERROR, QEL_HANDLER_IGNORE);
                  qelFrameEnd();
                  qelErrorHandler(QEL_SEVERITY_ERROR, QEL_HANDLER_PRINT);
                  qelFrameEnd();
              }),
              (Lines{"qelErrorHandler \"iwes\" \"null\"", "qelErrorHandler \"error\" \"ignore\"",
                     "qelFrameEnd", "qelErrorHandler \"error\" \"print\"", "qelFrameEnd"}));
    EXPECT_EQ(reports(), (Lines{"error: Parameter out of range. qelErrorHandler: unknown error "
                                "handler 3079",
                                "error: Bad begin-end nesting. qelFrameEnd"}));
}

TEST_F(ValidationTest, CustomHandlersAreCheckedUnderTheirName) {
    qelCustomErrorHandler(0xB10, qelErrorPrint);
    EXPECT_EQ(reports(), (Lines{"error: Parameter out of range. qelCustomErrorHandler: unknown "
                                "severity mask 2832"}));
}

TEST_F(ValidationTest, QuarksAreDeclaredInTheCopy) {
    unsigned short first = 0, again = 0, typed = 0, point = 0;
    EXPECT_EQ(write([&] {
                  first = qelQuark("glow");
                  again = qelVariable("glow", QEL_CLASS_VARY, QEL_TYPE_COLOR);
                  typed = qelVariable("shine", QEL_CLASS_VARY, QEL_TYPE_COLOR);
                  point = qelQuark("point");
              }),
              (Lines{"qelQuark \"glow\"", "qelVariable \"glow\" \"vary\" \"color\"",
                     "qelVariable \"shine\" \"vary\" \"color\"", "qelQuark \"point\""}));
    EXPECT_GT(first, 36);
    EXPECT_EQ(again, first);
    EXPECT_NE(typed, first);
    EXPECT_EQ(point, 1);
    EXPECT_EQ(qelQuark(nullptr), 0);
    // The name keeps its first class and type: no value, so it is left out.
    float colors[12] = {};
    EXPECT_EQ(line([&] { qelDisk(0, 1, 360, first, colors, typed, colors, 0); }),
              "qelDisk 0 1 360 \"shine\" [0 0 0 0 0 0 0 0 0 0 0 0]");
}

TEST_F(ValidationTest, SomeRequestsWriteNothing) {
    float points[1][3] = {{0, 0, 0}};
    EXPECT_EQ(write([&] {
                  qelReset();
                  qelRenderInit();
                  EXPECT_EQ(qelRenderBucket(), 0);
                  EXPECT_EQ(qelProgress(), 0);
                  qelRenderCancel();
                  qelCustomFilter(qelBoxFilter);
                  qelProcedural(nullptr, nullptr, nullptr, nullptr);
                  qelProjectPoints(qelQuark("world"), qelQuark("world"), 1, points);
                  qelCustomErrorHandler(QEL_SEVERITY_WARNING, qelErrorPrint);
                  qelErrorPrinter(qelErrorPrinterFunc(nullptr));
                  qelLastError();
              }),
              (Lines{"qelQuark \"world\"", "qelQuark \"world\""}));
}

TEST_F(ValidationTest, PointsAreProjectedOnTheStateCopy) {
    float points[2][3] = {{0, 0, 0}, {1, 1, 1}};
    unsigned short model = qelQuark("model"), world = qelQuark("world");
    qelTranslate(1, 2, 3);
    EXPECT_EQ(qelProjectPoints(model, world, 2, points), points);
    EXPECT_FLOAT_EQ(points[0][0], 1);
    EXPECT_FLOAT_EQ(points[0][1], 2);
    EXPECT_FLOAT_EQ(points[0][2], 3);
    EXPECT_FLOAT_EQ(points[1][2], 4);
    EXPECT_EQ(qelProjectPoints(9999, world, 2, points), nullptr);
    EXPECT_EQ(reports(), (Lines{"error: Parameter out of range. qelProjectPoints: unknown "
                                "coordinate space 9999"}));
}

// ---- a fresh process, as a client program starts

bool sameLines(const Lines& got, const Lines& expected) {
    if (got == expected) return true;
    for (const std::string& text : got) std::fprintf(stderr, "got: %s\n", text.c_str());
    return false;
}

// Handles count from 0 in a fresh library, lights of both kinds on one
// counter and objects on another; a reset does not restart them.
bool handlesCountFromZero() {
    char file[] = "/tmp/writer-handles-XXXXXX";
    int fd = mkstemp(file);
    if (fd < 0) return false;
    close(fd);
    qelOutputFile(QEL_FORMAT_QEL, file);
    unsigned short ambient = qelQuark("ambient");
    const void* first = qelLightSource(ambient, 0);
    const void* second = qelLightSourceV(ambient, 0, nullptr, nullptr);
    const void* area = qelAreaLightSource(ambient, 0);
    qelReset();
    const void* object = qelObjectBegin();
    const void* afterReset = qelLightSource(ambient, 0);
    qelOutputFile(QEL_FORMAT_QEL, nullptr);
    Lines lines = WriterFixture::readLines(file);
    std::remove(file);
    auto handle = [](long number) { return reinterpret_cast<const void*>(number); };
    bool handles = first == handle(0) && second == handle(1) && area == handle(2) &&
                   object == handle(0) && afterReset == handle(3);
    bool written = sameLines(lines, {"qelQuark \"ambient\"", "qelLightSource \"ambient\" 0",
                                     "qelLightSource \"ambient\" 1",
                                     "qelAreaLightSource \"ambient\" 2", "qelObjectBegin 0",
                                     "qelLightSource \"ambient\" 3"});
    return handles && written;
}

TEST(FreshWriterTest, TwoLightsGetHandlesZeroAndOneAndAnAreaLightThenTwo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(handlesCountFromZero() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}

void misuseWithTheDefaultPrinter() {
    qelFrameEnd();
    qelMultMatrix(nullptr);
    std::exit(0);
}

TEST(FreshWriterTest, TheDefaultPrinterWritesEachLineToStandardError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(misuseWithTheDefaultPrinter(), ::testing::ExitedWithCode(0),
                "error: Bad begin-end nesting\\. qelFrameEnd\nerror: Required parameters not "
                "provided\\. qelConcatMatrix: matrix must not be null\n");
}

} // namespace
