#include "CompiledShaderScene.h"

#include "api/qel.h"
#include "shadinglang/Compiler.h"

std::vector<std::string> gReports;

namespace {

void record(const char* text) {
    gReports.emplace_back(text);
}

} // namespace

void constantSurface() {
    qelSurface(qelQuark("constant"), 0);
}

void CompiledShaderScene::SetUp() {
    gReports.clear();
    qelErrorPrinter(record);
    qelReset();
    const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(test.test_suite_name()) + "-" + test.name();
    fFolder = std::filesystem::path(::testing::TempDir()) / ("compiled-" + name);
    std::filesystem::remove_all(fFolder);
    std::filesystem::create_directories(fFolder / "shaders");
    fImage = (fFolder / "image.tif").string();
}

void CompiledShaderScene::TearDown() {
    std::filesystem::remove_all(fFolder);
}

void CompiledShaderScene::compile(const std::string& source) {
    quelmark::sl::CompileResult result = quelmark::sl::compileText(source, "test.sl", {});
    ASSERT_TRUE(result.succeeded());
    std::string error;
    ASSERT_TRUE(quelmark::sl::writeShaders(
        result.shaders, quelmark::sl::ShaderOutput::named((fFolder / "shaders/").string()), error))
        << error;
}

TiffImage CompiledShaderScene::renderSphere(const std::function<void()>& surface,
                                            const std::function<void()>& lights,
                                            const std::function<void()>& options) {
    qelFrameBegin();
    qelRasterViewport(0, 159, 0, 119);
    qelOutputFile(QEL_FORMAT_TIFF, fImage.c_str());
    qelOutputSamples(QEL_SAMPLES_RGBA);
    qelColorJitter(0);
    qelViewPerspective(90);
    const std::string places = "nowhere:" + (fFolder / "shaders").string();
    qelShaderPath(places.c_str());
    if (options) options();
    qelSceneBegin();
    if (lights) lights();
    const float color[3] = {float(kRed), float(kGreen), float(kBlue)};
    qelColor(color);
    qelTranslate(0, 0, 5);
    surface();
    qelSphere(1, -1, 1, 360, 0);
    qelSceneEnd();
    qelFrameEnd();
    return readTiff(fImage);
}
