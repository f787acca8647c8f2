// The scene the tests of compiled shaders render through the API: a sphere
// in the middle of a small frame, with shaders compiled into a folder of the
// test's own that the shader search path names.
#ifndef QEL_TESTS_COMPILEDSHADERSCENE_H
#define QEL_TESTS_COMPILEDSHADERSCENE_H

#include "TiffImage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The reports of the test running, one a line.
extern std::vector<std::string> gReports;

// The levels of an 8-bit image; the sphere's colour, which the constant
// surface shows; the pixel at the image's centre, where the sphere's
// nearest point lies 4 from the eye.
inline constexpr double kLevels = 255.0;
inline constexpr double kRed = 1.0, kGreen = 0.5, kBlue = 0.25;
inline constexpr unsigned kCentreX = 80, kCentreY = 60;
inline constexpr double kNearestDistance = 4.0;

void constantSurface();

class CompiledShaderScene : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Compiles the source into the shaders folder.
    void compile(const std::string& source);

    // A sphere of radius 1 at depth 5, 90 degrees wide at 160 by 120, its
    // surface chosen by the caller after the translation; the options are
    // set just before the scene begins, and the lights first in the scene.
    TiffImage renderSphere(const std::function<void()>& surface,
                           const std::function<void()>& lights = nullptr,
                           const std::function<void()>& options = nullptr);

    std::filesystem::path fFolder;
    std::string fImage;
};

#endif
