// lumitex run as a program on small pictures written into a fresh
// directory: the maps it writes, its messages and exit statuses.
#include "ProgramProcess.h"
#include "ScratchDir.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>
#include <vector>

namespace {

class LumitexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(fDir.path().empty()); }

    ProgramResult run(const std::vector<std::string>& args) {
        return runProgram(LUMITEX_PATH, fDir.path(), args);
    }

    // A grey picture of side × side pixels, as a binary PGM file.
    std::string writePicture(const std::string& name, int side) {
        std::string text = "P5 " + std::to_string(side) + " " + std::to_string(side) + " 255\n";
        for (int k = 0; k < side * side; ++k)
            text += char(k % 256);
        return fDir.write(name, text);
    }

    // The number of images (levels) in the TIFF file, 0 when it is none;
    // tiled tells whether the first is tiled.
    int levelsOf(const std::string& name, bool& tiled) {
        TIFF* tiff = TIFFOpen((fDir.path() + name).c_str(), "r");
        if (!tiff) return 0;
        tiled = TIFFIsTiled(tiff) != 0;
        const int levels = TIFFNumberOfDirectories(tiff);
        TIFFClose(tiff);
        return levels;
    }

    ScratchDir fDir{"lumitex"};
};

// A texture of a 16 × 16 picture is tiled, with its levels down to 1 × 1,
// whatever the map's name ends in; the program says nothing.
TEST_F(LumitexTest, MakesATiledMipMappedTexture) {
    writePicture("grey.pgm", 16);
    const ProgramResult made =
        run({"--wrap", "clamp", "--filter", "gaussian", "grey.pgm", "grey.tex"});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "");
    bool tiled = false;
    EXPECT_EQ(levelsOf("grey.tex", tiled), 5); // 16, 8, 4, 2, 1
    EXPECT_TRUE(tiled);
}

// A shadow map keeps the one level of its depth picture.
TEST_F(LumitexTest, MakesAShadowMapOfOneLevel) {
    writePicture("depth.pgm", 16);
    const ProgramResult made = run({"--shadow", "depth.pgm", "depth.shd"});
    EXPECT_EQ(made.status, 0) << made.err;
    bool tiled = false;
    EXPECT_EQ(levelsOf("depth.shd", tiled), 1);
}

// A picture that cannot be read: status 1, one message naming the map,
// and no map left behind.
TEST_F(LumitexTest, AnUnreadablePictureMakesNoMap) {
    const ProgramResult made = run({"missing.pgm", "missing.tex"});
    EXPECT_EQ(made.status, 1);
    EXPECT_EQ(made.err.rfind("lumitex: ", 0), 0u) << made.err;
    EXPECT_NE(made.err.find("\"missing.tex\" is not made"), std::string::npos) << made.err;
    EXPECT_FALSE(fDir.exists("missing.tex"));
}

// Usage errors are one line pointing to --help, with status 2, and make
// nothing.
TEST_F(LumitexTest, UsageErrorsAreOneLine) {
    writePicture("grey.pgm", 4);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"grey.pgm"},
                                                 {"--wrap", "sideways", "grey.pgm", "a.tex"},
                                                 {"--envcube", "grey.pgm", "a.tex"},
                                                 {"--bump", "--shadow", "grey.pgm", "a.tex"},
                                                 {"--fov", "200", "grey.pgm", "a.tex"},
                                                 {"--frobnicate", "grey.pgm", "a.tex"}}) {
        const ProgramResult made = run(args);
        EXPECT_EQ(made.status, 2) << args.front();
        EXPECT_EQ(made.err.find('\n'), made.err.size() - 1) << made.err;
        EXPECT_NE(made.err.find("; see lumitex --help"), std::string::npos) << made.err;
        EXPECT_FALSE(fDir.exists("a.tex"));
    }
}

} // namespace
