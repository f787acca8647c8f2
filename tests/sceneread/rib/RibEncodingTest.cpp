// The binary encoding reads as the ASCII one: scenes encoded by the test
// encoder, the binary files other tools wrote from the ASCII files beside
// them, and the byte-by-byte example of the format's reference.
#include "RibEncoder.h"
#include "RibFixture.h"

using namespace quelmark;

namespace {

using RibEncodingTest = RibFixture;

std::string scene(const char* name) {
    return std::string(RIB_SCENES) + "/" + name;
}

// The reports without their place, which differs between the encodings.
std::vector<std::string> withoutPlace(const std::vector<std::string>& lines) {
    std::vector<std::string> result;
    for (const std::string& line : lines) {
        size_t at = line.find(" at line ");
        size_t colon = line.find("': ", at);
        result.push_back(at == std::string::npos || colon == std::string::npos
                             ? line
                             : line.substr(0, at) + line.substr(colon + 1));
    }
    return result;
}

const char* const kMixedScene = R"(version 3.03
Declare "Kr" "uniform float"
Declare "weight" "varying float"
Display "mixed.tif" "file" "rgba"
Format 320 240 1
PixelSamples 2 2
PixelFilter "gaussian" 2 2
Exposure 1 2.2
Projection "perspective" "fov" 40
FrameBegin 1
Clipping 0.1 100
Translate 0 0 5
WorldBegin
LightSource "ambientlight" 1 "intensity" 0.2
LightSource "spotlight" 7 "from" [0 4 -4] "to" [0 0 0] "coneangle" 0.5236 "intensity" 40
AttributeBegin
Color [1 0 0]
Surface "plastic" "Ka" 1 "Kd" 0.6 "Ks" 0.4 "roughness" 0.05 "specularcolor" [1 1 0.5]
Translate -1 0 0
Sphere 0.8 -0.8 0.8 360
AttributeEnd
Illuminate 7 0
Basis "catmull-rom" 1 "b-spline" 1
PointsPolygons [4 3] [0 1 2 3 0 2 4] "P" [0 0 0 1 0 0 1 1 0 0 1 0 -1 -0.5 0.25]
  "weight" [0.5 1 1.5 2 2.5] "constant color Cs" [0.25 0.5 0.75]
PatchMesh "bicubic" 4 "nonperiodic" 4 "nonperiodic" "Pz" [0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15]
NuPatch 3 3 [0 0 0 1 1 1] 0 1 3 3 [0 0 0 1 1 1] 0 1
  "Pw" [-1 -1 0 1 0 -1 1 1 1 -1 0 1 -1 0 1 1 0 0 2 1 1 0 1 1 -1 1 0 1 0 1 1 1 1 1 0 1]
ObjectBegin 3
Cylinder 0.2 0 1 360
Disk 1 0.2 360
ObjectEnd
ObjectInstance 3
Torus 0.7 0.2 0 360 360 "uniform float Kr" 0.5
Atmosphere "fog" "distance" 20 "background" [0.2 0.2 0.3]
Option "limits" "bucketsize" [16 16]
WorldEnd
FrameEnd
)";

TEST_F(RibEncodingTest, EncodedScenesMakeTheSameRequests) {
    const std::string texts[] = {kMixedScene,
                                 fileText(scene("quads_test.rib")),
                                 fileText(scene("poly_test.rib")),
                                 fileText(scene("genpoly_test.rib")),
                                 fileText(scene("colpervertex_test.rib")),
                                 fileText(scene("periodic_test.rib")),
                                 fileText(scene("csg_test.rib")),
                                 fileText(scene("NuPatch.rib")),
                                 fileText(scene("BugThreeLights.rib")),
                                 fileText(scene("complexnurbs1.rib"))};
    for (const std::string& ascii : texts) {
        ASSERT_FALSE(ascii.empty());
        Lines expected = read(ascii);
        Lines expectedMessages = withoutPlace(messages());
        EXPECT_GT(expected.size(), 10u);
        for (RibEncoding encoding :
             {RibEncoding{}, RibEncoding{true, false}, RibEncoding{false, true}}) {
            std::string binary = encodeRib(ascii, encoding);
            EXPECT_NE(binary, ascii);
            messages().clear();
            EXPECT_EQ(read(binary), expected);
            EXPECT_EQ(withoutPlace(messages()), expectedMessages);
            messages().clear();
        }
    }
}

TEST_F(RibEncodingTest, BinaryFilesOfOtherToolsReadAsTheirAsciiSources) {
    const std::pair<const char*, const char*> pairs[] = {
        {"quads_test.binary.rib", "quads_test.rib"},
        {"genpoly_test.binary.rib", "genpoly_test.rib"},
        {"Bug1013736.binary.rib", "Bug1013736.rib"},
        {"periodic_test.miqser.binary.rib", "periodic_test.rib"}};
    for (const auto& [binary, ascii] : pairs) {
        Lines expected = read(fileText(scene(ascii)));
        Lines expectedMessages = withoutPlace(messages());
        messages().clear();
        EXPECT_EQ(read(fileText(scene(binary))), expected) << binary;
        EXPECT_EQ(withoutPlace(messages()), expectedMessages) << binary;
        messages().clear();
    }
}

// The 190 bytes of the reference's mixed example and the ASCII they stand for.
TEST_F(RibEncodingTest, ReferenceExampleDecodes) {
    const unsigned char bytes[] = {
        0x76, 0x65, 0x72, 0x73, 0x69, 0x6F, 0x6E, 0x20, 0x33, 0x2E, 0x30, 0x33, 0x0A, 0xCC, 0x00,
        0x9A, 0x57, 0x6F, 0x72, 0x6C, 0x64, 0x42, 0x65, 0x67, 0x69, 0x6E, 0xA6, 0x00, 0x41, 0x74,
        0x74, 0x72, 0x69, 0x62, 0x75, 0x74, 0x65, 0x42, 0x65, 0x67, 0x69, 0x6E, 0x0A, 0xCC, 0x01,
        0x97, 0x53, 0x75, 0x72, 0x66, 0x61, 0x63, 0x65, 0xCD, 0x00, 0x97, 0x70, 0x6C, 0x61, 0x73,
        0x74, 0x69, 0x63, 0xA6, 0x01, 0xCF, 0x00, 0x92, 0x4B, 0x73, 0xC8, 0x01, 0x3F, 0x4C, 0xCC,
        0xCD, 0xCC, 0x02, 0x95, 0x43, 0x6F, 0x6C, 0x6F, 0x72, 0xA6, 0x02, 0xC8, 0x03, 0x3F, 0x80,
        0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xCC, 0x03, 0x96, 0x53, 0x70,
        0x68, 0x65, 0x72, 0x65, 0xA6, 0x03, 0x80, 0x01, 0x83, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x01,
        0x81, 0x01, 0x68, 0x41, 0x74, 0x74, 0x72, 0x69, 0x62, 0x75, 0x74, 0x65, 0x45, 0x6E, 0x64,
        0x0A, 0xA6, 0x01, 0xCF, 0x00, 0xCC, 0x04, 0x99, 0x54, 0x72, 0x61, 0x6E, 0x73, 0x6C, 0x61,
        0x74, 0x65, 0xA6, 0x04, 0x80, 0x00, 0x80, 0x00, 0x85, 0x02, 0x80, 0xA6, 0x03, 0x85, 0x00,
        0x80, 0xA4, 0xBF, 0x00, 0x00, 0x00, 0x85, 0x00, 0x80, 0x81, 0x01, 0x68, 0xCC, 0x05, 0x98,
        0x57, 0x6F, 0x72, 0x6C, 0x64, 0x45, 0x6E, 0x64, 0xA6, 0x05};
    ASSERT_EQ(sizeof bytes, 190u);
    const char* ascii =
        "version 3.03\nWorldBegin\nAttributeBegin\nSurface \"plastic\" \"Ks\" [0.8]\n"
        "Color [1 0.5 0]\nSphere 1 -1 1 360\nAttributeEnd\nSurface \"plastic\"\n"
        "Translate 0 0 2.5\nSphere 0.5 -0.5 0.5 360\nWorldEnd\n";
    Lines expected = read(ascii);
    EXPECT_EQ(expected,
              (Lines{"qelFilter 262", "qelTune [32 16 16]", "qelSceneBegin",
                     "qelSurfaceV defaultsurface",
                     "qelAttributePush", "qelSurfaceV plastic ks=[0.8] roughness=[0.0125]",
                     "qelColor [1 0.5 0]", "qelSphereV [1 -1 1 360]", "qelAttributePop",
                     "qelSurfaceV plastic roughness=[0.0125]", "qelTranslate [0 0 2.5]",
                     "qelSphereV [0.5 -0.5 0.5 360]", "qelRenderInit", "qelRenderBucket",
                     "qelRenderBucket", "qelRenderBucket", "qelSceneEnd"}));
    EXPECT_EQ(read(std::string(reinterpret_cast<const char*>(bytes), sizeof bytes)), expected);
    EXPECT_TRUE(messages().empty());
}

} // namespace
