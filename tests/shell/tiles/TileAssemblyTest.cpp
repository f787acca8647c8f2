#include "shell/tiles/TileAssembly.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfOutputFile.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

using namespace quelmark;

namespace {

using Window = TileAssembly::Window;

const Window kPicture = {0, 0, 19, 13};

// Every pixel's values follow from its place, so a pixel in the wrong spot
// or from the wrong row shows: R = x / 4, G = y / 4, B = (x + y) / 2 and
// A = 1 as halves (exact), Z = 1000 x + y as a float.
struct Pixels {
    explicit Pixels(const Window& w) : window(w) {
        for (int y = w.ymin; y <= w.ymax; ++y)
            for (int x = w.xmin; x <= w.xmax; ++x) {
                r.emplace_back(float(x) / 4);
                g.emplace_back(float(y) / 4);
                b.emplace_back(float(x + y) / 2);
                a.emplace_back(1.0f);
                z.push_back(1000.0f * float(x) + float(y));
            }
    }

    Window window;
    std::vector<half> r, g, b, a;
    std::vector<float> z;
};

Imath::Box2i box(const Window& w) {
    return Imath::Box2i(Imath::V2i(w.xmin, w.ymin), Imath::V2i(w.xmax, w.ymax));
}

void writeImage(const std::string& path, const Window& data, bool withDepth = true,
                const Window& display = kPicture) {
    Imf::Header header(box(display), box(data));
    Pixels pixels(data);
    Imf::FrameBuffer buffer;
    const size_t width = size_t(data.xmax - data.xmin + 1);
    auto add = [&](const char* name, Imf::PixelType type, void* plane, size_t size) {
        header.channels().insert(name, Imf::Channel(type));
        buffer.insert(name, Imf::Slice::Make(type, plane, box(data), size, size * width));
    };
    add("R", Imf::HALF, pixels.r.data(), 2);
    add("G", Imf::HALF, pixels.g.data(), 2);
    add("B", Imf::HALF, pixels.b.data(), 2);
    add("A", Imf::HALF, pixels.a.data(), 2);
    if (withDepth) add("Z", Imf::FLOAT, pixels.z.data(), 4);
    Imf::OutputFile file(path.c_str(), header);
    file.setFrameBuffer(buffer);
    file.writePixels(data.ymax - data.ymin + 1);
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TileAssemblyTest : public ::testing::Test {
protected:
    void SetUp() override {
        fDir = ::testing::TempDir() + "tiles-" + std::to_string(::getpid()) + "/";
        std::filesystem::create_directories(fDir);
    }
    void TearDown() override { std::filesystem::remove_all(fDir); }

    std::string tile(const char* name, const Window& data, bool withDepth = true,
                     const Window& display = kPicture) {
        std::string path = fDir + name;
        writeImage(path, data, withDepth, display);
        return path;
    }

    // Four tiles of unequal size, split at column 7 and row 5.
    std::vector<std::string> quarters() {
        return {tile("t1.exr", {0, 0, 6, 4}), tile("t2.exr", {7, 0, 19, 4}),
                tile("t3.exr", {0, 5, 6, 13}), tile("t4.exr", {7, 5, 19, 13})};
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(fDir + name); }

    // These tiles are refused with a problem that names what, and nothing
    // is written from them even when asked.
    void expectRefused(const std::vector<std::string>& tiles, const std::string& what) {
        TileAssembly assembly;
        std::string problem;
        EXPECT_FALSE(assembly.open(tiles, problem));
        EXPECT_NE(problem.find(what), std::string::npos) << problem;
        std::string ignored;
        EXPECT_FALSE(assembly.write(fDir + "out.exr", ignored));
        EXPECT_FALSE(exists("out.exr"));
    }

    std::string fDir;
};

} // namespace

TEST_F(TileAssemblyTest, TilesJoinIntoTheFileOfTheWholePicture) {
    // Bands of 1, 3 and 64 rows cut across the tiles' rows differently; the
    // file is the one written in one piece each time, byte for byte.
    std::vector<std::string> tiles = quarters();
    std::string whole = tile("whole.exr", kPicture);
    for (int rows : {1, 3, 64}) {
        TileAssembly assembly;
        assembly.setBandRows(rows);
        std::string problem;
        ASSERT_TRUE(assembly.open(tiles, problem)) << problem;
        ASSERT_TRUE(assembly.write(fDir + "out.exr", problem)) << problem;
        EXPECT_EQ(contents(fDir + "out.exr"), contents(whole)) << rows << " rows a band";
    }
}

TEST_F(TileAssemblyTest, TheDataWindowIsTheRectangleTheTilesFill) {
    std::vector<std::string> tiles = {tile("a.exr", {5, 3, 9, 9}), tile("b.exr", {10, 3, 14, 6}),
                                      tile("c.exr", {10, 7, 14, 9})};
    TileAssembly assembly;
    std::string problem;
    ASSERT_TRUE(assembly.open(tiles, problem)) << problem;
    EXPECT_EQ(assembly.dataWindow().xmin, 5);
    EXPECT_EQ(assembly.dataWindow().ymax, 9);
    ASSERT_TRUE(assembly.write(fDir + "out.exr", problem)) << problem;
    EXPECT_EQ(contents(fDir + "out.exr"), contents(tile("part.exr", {5, 3, 14, 9})));
    Imf::InputFile out((fDir + "out.exr").c_str());
    EXPECT_EQ(out.header().displayWindow(), box(kPicture));
}

TEST_F(TileAssemblyTest, TilesThatAreNoPartsOfOnePictureAreRefused) {
    std::vector<std::string> four = quarters();
    expectRefused({four[0], four[1], four[2]}, "leave pixels of (0, 0) to (19, 13) out");
    expectRefused({four[0], four[1], four[2], four[3], tile("over.exr", {6, 4, 7, 5})},
                  "over.exr overlaps " + four[0]);
    expectRefused({four[0], four[1], four[2], tile("nodepth.exr", {7, 5, 19, 13}, false)},
                  "nodepth.exr: other channels");
    expectRefused(
        {four[0], four[1], four[2], tile("other.exr", {7, 5, 19, 13}, true, {0, 0, 20, 13})},
        "other.exr: another picture");
    expectRefused({four[0], fDir + "missing.exr"}, "missing.exr");
    std::ofstream(fDir + "broken.exr") << "not an image";
    expectRefused({four[0], fDir + "broken.exr"}, "broken.exr");
    expectRefused({}, "no tiles");
}

TEST_F(TileAssemblyTest, ACancelledWriteLeavesTheOldFileAlone) {
    std::ofstream(fDir + "out.exr") << "old picture";
    TileAssembly assembly;
    assembly.setBandRows(4);
    std::string problem;
    ASSERT_TRUE(assembly.open(quarters(), problem)) << problem;
    int bands = 0;
    EXPECT_FALSE(assembly.write(fDir + "out.exr", problem, [&] { return ++bands == 3; }));
    EXPECT_EQ(problem, "cancelled");
    EXPECT_EQ(contents(fDir + "out.exr"), "old picture");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fDir),
                            std::filesystem::directory_iterator()),
              5); // the four tiles and the old file
}
