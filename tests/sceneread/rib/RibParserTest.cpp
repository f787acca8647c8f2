// The RIB parser and its handlers through the binding: what each request
// becomes, the fixed reports with their line and token, declarations, and
// recovery at the next request.
#include "RibFixture.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace quelmark;

namespace {

using RibParserTest = RibFixture;

// The closing requests of every world.
const std::vector<std::string> kRender = {"qelRenderInit", "qelRenderBucket", "qelRenderBucket",
                                          "qelRenderBucket", "qelSceneEnd"};

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(RibParserTest, EmptyFilesAndCommentsReadQuietly) {
    EXPECT_TRUE(read("").empty());
    EXPECT_TRUE(read("##RenderMan RIB-Structure 1.1\n# nothing here\n# at all").empty());
    EXPECT_TRUE(messages().empty());
}

// Example 1 of the format reference, with the requests it lists.
TEST_F(RibParserTest, FramesWorldLightsAndQuadrics) {
    const char* text = R"(##RenderMan RIB-Structure 1.1
##Scene twoshapes
version 3.03
Display "twoshapes.tif" "file" "rgba"
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
    LightSource "distantlight" 2 "intensity" 0.9 "from" [0 0 -1] "to" [0 0 0]
    AttributeBegin
      Color [1 0 0]
      Surface "plastic" "Ka" 1 "Kd" 0.6 "Ks" 0.4 "roughness" 0.05
      Translate -1 0 0
      Sphere 0.8 -0.8 0.8 360
    AttributeEnd
    AttributeBegin
      Color [0 0 1]
      Surface "matte"
      Translate 1 0 0
      Rotate -90 1 0 0
      Cone 1.2 0.6 360
    AttributeEnd
  WorldEnd
FrameEnd
)";
    EXPECT_EQ(read(text),
              plus({"qelOutputFile 513 twoshapes.tif",
                    "qelOutputSamples 771",
                    "qelRasterViewport [0 319 0 239]",
                    "qelRasterAspect 1",
                    "qelSampleUniform [2 2]",
                    "qelFilter 262",
                    "qelFilterWidth [2 2]",
                    "qelColorGain 1",
                    "qelColorGamma 2.2",
                    "qelViewPerspective 40",
                    "qelFrameBegin",
                    "qelClip [0.1 100]",
                    "qelTranslate [0 0 5]",
                    "qelTune [32 16 16]",
                    "qelSceneBegin",
                    "qelSurfaceV defaultsurface",
                    "qelLightSourceV ambient intensity=[0.2] -> 1",
                    "qelLightSourceV distant intensity=[0.9] from=[0 0 -1] to=[0 0 0] -> 2",
                    "qelAttributePush",
                    "qelColor [1 0 0]",
                    "qelSurfaceV plastic ka=[1] kd=[0.6] ks=[0.4] roughness=[0.00625]",
                    "qelTranslate [-1 0 0]",
                    "qelSphereV [0.8 -0.8 0.8 360]",
                    "qelAttributePop",
                    "qelAttributePush",
                    "qelColor [0 0 1]",
                    "qelSurfaceV diffuse",
                    "qelTranslate [1 0 0]",
                    "qelRotate [-90 1 0 0]",
                    "qelConeV [0.6 1.2 1.2 360]",
                    "qelAttributePop"},
                   plus(kRender, {"qelFrameEnd"})));
    EXPECT_TRUE(messages().empty());
}

// Example 3 of the format reference: spot light, fog, objects, declarations.
TEST_F(RibParserTest, SpotFogObjectsAndDeclarations) {
    const char* text = R"(version 3.03
Declare "Kr" "uniform float"
WorldBegin
  Atmosphere "fog" "distance" 20 "background" [0.2 0.2 0.3]
  LightSource "spotlight" 7 "from" [0 4 -4] "to" [0 0 0]
      "coneangle" 0.5235988 "conedeltaangle" 0.08726646 "intensity" 40
  ObjectBegin 3
    Cylinder 0.2 0 1 360
    Disk 1 0.2 360
  ObjectEnd
  AttributeBegin
    ObjectInstance 3
    Surface "shinymetal" "uniform float Kr" 0.5 "texturename" ""
    Illuminate 7 0
    Basis "catmull-rom" 1 "catmull-rom" 1
    Patch "bilinear" "P" [0 0 0 1 0 0 0 1 0 1 1 0]
  AttributeEnd
WorldEnd
)";
    EXPECT_EQ(read(text), plus({"qelVariable Kr 3329 3585",
                                "qelFilter 262",
                                "qelTune [32 16 16]",
                                "qelSceneBegin",
                                "qelSurfaceV defaultsurface",
                                "qelAtmosphereV fog distance=[20] color=[0.2 0.2 0.3]",
                                "qelLightSourceV spot from=[0 4 -4] to=[0 0 0] coneangle=[30] "
                                "conedeltaangle=[5] intensity=[40] -> 1",
                                "qelAttributePush",
                                "qelAttributePush",
                                "qelCylinderV [0.2 0 1 360]",
                                "qelDiskV [1 0.2 360]",
                                "qelAttributePop",
                                "qelTexturePath .:&",
                                "qelShaderPath .:&",
                                "qelQuark shinymetal",
                                "qelVariable texturename 3329 3587",
                                "qelSurfaceV shinymetal Kr=[0.5] texturename=\"\"",
                                "qelLightSwitch 1 0",
                                "qelBasis 2050 2306",
                                "qelPatchV 1792 point=[0 0 0 1 0 0 0 1 0 1 1 0]",
                                "qelAttributePop"},
                               kRender));
    EXPECT_EQ(messages(), Lines{});
}

// Inside the world, Identity and Transform are relative to world space, and
// CoordSysTransform loads a space: the camera transform of the world stays.
TEST_F(RibParserTest, TransformsInsideTheWorldAreRelativeToIt) {
    Lines made = read("Translate 0 0 5\nWorldBegin\nIdentity\n"
                      "Transform [2 0 0 0 0 2 0 0 0 0 2 0 1 0 0 1]\nCoordinateSystem \"lamp\"\n"
                      "Identity\nCoordSysTransform \"lamp\"\nCoordSysTransform \"world\"\n"
                      "CoordSysTransform \"camera\"\nCoordSysTransform \"nowhere\"\n"
                      "WorldEnd\nIdentity\n");
    const std::string world = "qelLoadMatrix [1 0 0 0 0 1 0 0 0 0 1 0 0 0 5 1]";
    const std::string lamp = "qelLoadMatrix [2 0 0 0 0 2 0 0 0 0 2 0 1 0 5 1]";
    EXPECT_EQ(made,
              plus({"qelTranslate [0 0 5]", "qelFilter 262", "qelTune [32 16 16]", "qelSceneBegin",
                    "qelSurfaceV defaultsurface", world, lamp, "qelQuark lamp", "qelMarkSpace lamp",
                    world, lamp, world, "qelLoadMatrix [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]"},
                   plus(kRender, {"qelLoadIdentity"})));
    EXPECT_EQ(messages(), (Lines{"RIB warning: no counterpart in the scene API at line 10 "
                                 "'CoordSysTransform': CoordSysTransform \"nowhere\": no such "
                                 "coordinate system; the transform is kept"}));
}

TEST_F(RibParserTest, HighlightsHaveTheSizeRenderManGivesThem) {
    // the exponent is 1/(roughness/8): roughness 0.1, RenderMan's default,
    // becomes 0.0125, whether given or not; a compiled shader takes the
    // roughness as it is, its specular() following the same convention
    EXPECT_EQ(
        read("Surface \"plastic\" \"roughness\" 0.2\nSurface \"metal\"\n"
             "Surface \"shinymetal\" \"roughness\" [0.4]\nSurface \"matte\"\n"),
        (Lines{"qelSurfaceV plastic roughness=[0.025]", "qelSurfaceV metal roughness=[0.0125]",
               "qelTexturePath .:&", "qelShaderPath .:&", "qelQuark shinymetal",
               "qelSurfaceV shinymetal roughness=[0.4]", "qelSurfaceV diffuse"}));
}

TEST_F(RibParserTest, ObjectsAreReadAgainWhereTheyAreInstanced) {
    // attributes and transforms inside an object, an object in an object,
    // and instances in a frame that go on after the instance
    const char* text = "ObjectBegin 1\n  Color [1 0 0]\n  Translate 0 0 1\n  Sphere 1 -1 1 360\n"
                       "ObjectEnd\n"
                       "ObjectBegin \"two\"\n  ObjectInstance 1\n  Scale 2 2 2\n"
                       "  ObjectInstance 1\nObjectEnd\n"
                       "ObjectInstance \"two\"\nDisk 0 1 360\n";
    EXPECT_EQ(
        read(text),
        (Lines{"qelAttributePush", "qelAttributePush", "qelColor [1 0 0]", "qelTranslate [0 0 1]",
               "qelSphereV [1 -1 1 360]", "qelAttributePop", "qelScale [2 2 2]", "qelAttributePush",
               "qelColor [1 0 0]", "qelTranslate [0 0 1]", "qelSphereV [1 -1 1 360]",
               "qelAttributePop", "qelAttributePop", "qelDiskV [0 1 360]"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, ObjectsInstancingEachOtherStopAtTheFilesBudget) {
    // each level instances the one below ten times: without a budget, 10^6 spheres
    std::string text = "ObjectBegin 0\nSphere 1 -1 1 360\nObjectEnd\n";
    for (int k = 1; k <= 6; ++k) {
        text += "ObjectBegin " + std::to_string(k) + "\n";
        for (int i = 0; i < 10; ++i)
            text += "ObjectInstance " + std::to_string(k - 1) + "\n";
        text += "ObjectEnd\n";
    }
    text += "ObjectInstance 6\n";
    Lines made = read(text);
    // 2^16 requests, and 64 for each of the file's 76 requests
    size_t allowed = 65536 + 64 * 76;
    auto spheres = size_t(std::count(made.begin(), made.end(), "qelSphereV [1 -1 1 360]"));
    // about half the requests replayed are spheres, the rest instances
    EXPECT_GT(spheres, allowed / 3);
    EXPECT_LT(spheres, allowed / 2);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("objects and archives would make more than " +
                                 std::to_string(allowed) +
                                 " requests; the rest of their requests are left out"),
              std::string::npos)
        << messages()[0];
}

TEST_F(RibParserTest, ObjectsInstancedInThemselvesEnd) {
    read("ObjectBegin 50\nObjectInstance 50\nObjectEnd\nObjectInstance 50\n");
    EXPECT_EQ(messages(), (Lines{"RIB error: overflowing an internal limit at line 2 "
                                 "'ObjectInstance': Archives and objects nested deeper than 16"}));
}

TEST_F(RibParserTest, AnObjectDefinedAnewWhileInstancedFinishesAsItWas) {
    // instancing object 1 defines object 1 again, half way through its body
    EXPECT_EQ(
        read("ObjectBegin 1\nDisk 0 1 360\nObjectBegin 1\nSphere 1 -1 1 360\nObjectEnd\n"
             "Disk 0 2 360\nObjectEnd\nObjectInstance 1\nObjectInstance 1\n"),
        (Lines{"qelAttributePush", "qelDiskV [0 1 360]", "qelDiskV [0 2 360]", "qelAttributePop",
               "qelAttributePush", "qelSphereV [1 -1 1 360]", "qelAttributePop"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, ObjectsEndOnlyWhereTheyBegan) {
    read("ObjectEnd\nObjectBegin 60\nSphere 1 -1 1 360\n");
    EXPECT_EQ(messages(), (Lines{"RIB error: general syntactic error at line 1 'ObjectEnd': "
                                 "ObjectEnd without ObjectBegin",
                                 "RIB error: general syntactic error at line 4: the file ends "
                                 "inside the object begun at line 2"}));
}

TEST_F(RibParserTest, ArchivesAreReadInPlace) {
    // beside the reading file; an archive reading itself ends at the limit
    std::string dir = ::testing::TempDir() + "rib-archive-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/part.rib") << "Color [0 1 0]\nSphere 1 -1 1 360\n";
    std::ofstream(dir + "/self.rib") << "ReadArchive \"self.rib\"\n";
    EXPECT_EQ(read("ReadArchive \"part.rib\"\nDisk 0 1 360\nReadArchive \"none.rib\"\n"
                   "ReadArchive \"self.rib\"\n",
                   dir + "/scene.rib"),
              (Lines{"qelColor [0 1 0]", "qelSphereV [1 -1 1 360]", "qelDiskV [0 1 360]"}));
    Lines found = messages();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], "RIB error: incorrect parameter value at line 3 'ReadArchive': ReadArchive "
                        "\"none.rib\": cannot open \"" +
                            dir + "/none.rib\": No such file or directory");
    EXPECT_EQ(found[1], "RIB error: overflowing an internal limit at line 1 'ReadArchive': "
                        "Archives and objects nested deeper than 16");
}

// An inline archive is kept by its name and read wherever it is named; a
// file is looked for along the archive search path, then beside the file.
TEST_F(RibParserTest, InlineArchivesAndTheArchiveSearchPath) {
    std::string dir = ::testing::TempDir() + "rib-searchpath-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0755);
    ::mkdir((dir + "/lib").c_str(), 0755);
    ::mkdir((dir + "/more").c_str(), 0755);
    std::ofstream(dir + "/lib/a.rib") << "Disk 0 1 360\n";
    std::ofstream(dir + "/more/a.rib") << "Disk 0 2 360\n";
    std::ofstream(dir + "/more/b.rib") << "Disk 0 3 360\n";
    std::ofstream(dir + "/c.rib") << "Disk 0 4 360\n";
    EXPECT_EQ(read("ArchiveBegin \"ball\"\nColor [1 0 0]\nArchiveBegin \"inner\"\n"
                   "Sphere 2 -2 2 360\nArchiveEnd\nSphere 1 -1 1 360\nArchiveEnd\n"
                   "ReadArchive \"ball\"\nReadArchive \"inner\"\nReadArchive \"ball\"\n"
                   "Option \"searchpath\" \"archive\" \"more\"\n"
                   "Option \"searchpath\" \"archive\" \"lib:&:@\"\n"
                   "ReadArchive \"a.rib\"\nReadArchive \"b.rib\"\nReadArchive \"c.rib\"\n"
                   "ReadArchive \"d.rib\"\nArchiveEnd\n",
                   dir + "/scene.rib"),
              (Lines{"qelColor [1 0 0]", "qelSphereV [1 -1 1 360]", "qelSphereV [2 -2 2 360]",
                     "qelColor [1 0 0]", "qelSphereV [1 -1 1 360]", "qelDiskV [0 1 360]",
                     "qelDiskV [0 3 360]", "qelDiskV [0 4 360]"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: incorrect parameter value at line 16 'ReadArchive': ReadArchive "
                     "\"d.rib\": cannot open \"" +
                         dir + "/lib/d.rib, " + dir + "/more/d.rib or " + dir +
                         "/d.rib\": No such file or directory",
                     "RIB error: general syntactic error at line 17 'ArchiveEnd': ArchiveEnd "
                     "without ArchiveBegin"}));
}

// A compiled shader in the shader search path declares its parameters: the
// request need not, and its tokens reach the scene API declared.
TEST_F(RibParserTest, CompiledShadersDeclareTheirParameters) {
    std::string dir = ::testing::TempDir() + "rib-shaderpath-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/stripes.qso")
        << "quelmark shader 1\nsurface stripes\nsource \"stripes.sl\"\n"
           "register parameter uniform float 0 frequency 4\n"
           "register parameter varying color 0 stripe 1 0 0\n"
           "register parameter uniform float 2 widths 1 1\n"
           "code\nend\n";
    EXPECT_EQ(read("Option \"searchpath\" \"shader\" \"" + dir +
                   "\"\nSurface \"stripes\" \"frequency\" 8 \"stripe\" [0 1 0] "
                   "\"widths\" [2 3] \"bands\" 2\n"
                   "Surface \"elsewhere\" \"frequency\" 8\n"),
              (Lines{"qelTexturePath .:&", "qelShaderPath " + dir, "qelQuark stripes",
                     "qelVariable frequency 3329 3585", "qelVariable stripe 3330 3591",
                     "qelVariable widths 3329 3588",
                     "qelSurfaceV stripes frequency=[8] stripe=[0 1 0] widths=[2 3]",
                     "qelQuark elsewhere", "qelSurfaceV elsewhere"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: parameter list type mismatch at line 2 'bands': undeclared "
                     "token \"bands\"",
                     "RIB error: parameter list type mismatch at line 3 'frequency': undeclared "
                     "token \"frequency\""}));
}

TEST_F(RibParserTest, EmptyMeshesDrawNothingQuietly) {
    EXPECT_EQ(read("PointsPolygons [ ] [ ] \"P\" [ ]\n"
                   "PointsGeneralPolygons [ ] [ ] [ ] \"P\" [ ]\nSphere 1 -1 1 360\n"),
              (Lines{"qelSphereV [1 -1 1 360]"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, BareAndBracketedGroupsAndBinaryArrays) {
    EXPECT_EQ(read("Color 0.5 0.5 0.5\nColor [1 0 0]\nTranslate [1 2 3]\nSides 2.0\n"
                   "PixelSamples 3.000000 3.000000\n"),
              (Lines{"qelColor [0.5 0.5 0.5]", "qelColor [1 0 0]", "qelTranslate [1 2 3]",
                     "qelBackface 1", "qelSampleUniform [3 3]"}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(read("Sides 1.5\nSides 1\n"), (Lines{"qelBackface 0"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: general syntactic error at line 1 '1.5': Expected integer"}));
}

TEST_F(RibParserTest, VersionTooNew) {
    EXPECT_EQ(messagesOf("version 3.03\nversion 3.031\nversion 3.5\n"),
              (Lines{"RIB warning: protocol version number mismatch at line 3 '3.5': Version "
                     "3.50 too new"}));
}

TEST_F(RibParserTest, HandlesOutOfRangeAndUnknown) {
    EXPECT_EQ(messagesOf("LightSource \"pointlight\" 70000\nObjectBegin -1\nObjectEnd\n"
                         "Illuminate 5 1\nObjectInstance 9\n"),
              (Lines{"RIB error: invalid light or object handle at line 1 '70000': Light handle "
                     "70000 is not in range 0 - 65535",
                     "RIB error: invalid light or object handle at line 2 '-1': Object handle -1 "
                     "is not in range 0 - 65535",
                     "RIB error: invalid light or object handle at line 4 'Illuminate': Unknown "
                     "light handle 5",
                     "RIB error: invalid light or object handle at line 5 'ObjectInstance': "
                     "Unknown object handle 9"}));
    // later writers name lights by strings
    EXPECT_EQ(read("LightSource \"ambientlight\" \"key\"\nIlluminate \"key\" 0\n"),
              (Lines{"qelLightSourceV ambient -> 1", "qelLightSwitch 1 0"}));
}

TEST_F(RibParserTest, UnknownProjectionFallsBackToOrthographic) {
    EXPECT_EQ(read("Projection \"fisheye\"\nProjection \"orthographic\"\nProjection \"null\"\n"
                   "Projection \"perspective\"\n"),
              (Lines{"qelViewOrthographic", "qelViewOrthographic", "qelViewIdentity",
                     "qelViewPerspective 90"}));
    EXPECT_EQ(messages(), (Lines{"RIB warning: incorrect parameter value at line 1 'Projection': "
                                 "Unknown projection \"fisheye\": orthographic projection used "
                                 "instead"}));
}

TEST_F(RibParserTest, BasisNamesMatricesAndSteps) {
    EXPECT_EQ(read("Basis \"bezier\" 3 \"b-spline\" 1\nBasis \"hermite\" 2 \"hermite\" 2\n"
                   "Basis \"power\" 4 \"catmull-rom\" 2\n"
                   "Basis [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1] 4 \"bezier\" 3\n"
                   "Basis \"bspline\" 1 \"bezier\" 3\n"),
              (Lines{"qelBasis 2048 2304", "qelBasis 2049 2305", "qelBasis 2050 2307",
                     "qelBasis 2048 2308",
                     "qelCustomBasis 2049 [-0.5 1.5 -1.5 0.5 1 -2.5 2 -0.5 -0.5 0 0.5 0 0 1 0 0] 2",
                     "qelBasis 2048 2308", "qelBasis 2049 2304"}));
    EXPECT_EQ(messages(), (Lines{"RIB error: undefined basis matrix name at line 5 'bspline': "
                                 "Unknown basis \"bspline\""}));
}

TEST_F(RibParserTest, ErrorHandlerNames) {
    EXPECT_EQ(read("ErrorHandler \"print\"\nErrorHandler \"ignore\"\nFrobnicate\n"
                   "ErrorHandler \"print\"\nErrorHandler \"shout\"\n"),
              (Lines{"qelErrorHandler 2831 3073", "qelErrorHandler 2831 3072",
                     "qelErrorHandler 2831 3073"}));
    // the undefined request fell under "ignore"
    EXPECT_EQ(messages(), (Lines{"RIB error: incorrect parameter value at line 5 'ErrorHandler': "
                                 "Unknown error handler \"shout\""}));
}

TEST_F(RibParserTest, AbortHandlerEndsTheProgramAfterPrinting) {
    EXPECT_DEATH(
        {
            std::istringstream in("ErrorHandler \"abort\"\nFrobnicate\n");
            String frame;
            rendrib reader(in, "test.rib", frame);
            reader.errorPrinter(nullptr);
            reader.parse();
        },
        "RIB error: undefined RIB request at line 2 'Frobnicate'");
}

TEST_F(RibParserTest, DeclarationsAndTheirMistakes) {
    EXPECT_EQ(read("Declare \"weight\" \"vertex float\"\nDeclare \"st2\" \"float[2]\"\n"
                   "Declare \"bad\" \"uniform flot\"\nDeclare \"m\" \"matrix\"\n"
                   "Polygon \"P\" [0 0 0 1 0 0 1 1 0] \"weight\" [1 2 3] \"varying float[2] uv\" "
                   "[0 0 1 0 1 1] \"vertex flot w\" [1 2 3] \"nothing\" [1] \"m\" [1 0 0 0 0 1 0 0 "
                   "0 0 1 0 0 0 0 1]\n"),
              (Lines{"qelVariable weight 3331 3585", "qelVariable st2 3329 3588",
                     "qelVariable uv 3330 3588",
                     "qelPolygonV 3 point=[0 0 0 1 0 0 1 1 0] weight=[1 2 3] uv=[0 0 1 0 1 1]"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: general syntactic error at line 3 'Declare': bad declaration "
                     "\"bad\"",
                     "RIB error: parameter list type mismatch at line 5 'vertex flot w': bad "
                     "declaration \"vertex flot w\"",
                     "RIB error: parameter list type mismatch at line 5 'nothing': undeclared "
                     "token \"nothing\"",
                     "RIB warning: no counterpart in the scene API at line 5 'Polygon': Polygon: "
                     "parameter \"m\" of type matrix[1] is dropped"}));
}

// The scene API keeps a name's first class and type for the whole process:
// a later file that declares the name otherwise has its values dropped
// with a report, instead of handing over values the scene API would read
// by the first declaration (found by fuzzing: fewer values than it reads).
TEST_F(RibParserTest, ANameDeclaredOtherwiseByALaterFileIsDropped) {
    EXPECT_EQ(read("Declare \"tint\" \"vertex color\"\n"
                   "Polygon \"P\" [0 0 0 1 0 0 1 1 0] \"tint\" [1 0 0 0 1 0 0 0 1]\n"),
              (Lines{"qelVariable tint 3331 3591",
                     "qelPolygonV 3 point=[0 0 0 1 0 0 1 1 0] tint=[1 0 0 0 1 0 0 0 1]"}));
    messages().clear();
    EXPECT_EQ(read("Declare \"tint\" \"uniform float\"\n"
                   "Polygon \"P\" [0 0 0 1 0 0 1 1 0] \"tint\" [0.5]\n"),
              (Lines{"qelPolygonV 3 point=[0 0 0 1 0 0 1 1 0]"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB warning: parameter list type mismatch at line 1 'Declare': parameter "
                     "\"tint\" was given to the scene API with another type or class; dropped"}));
    // declared as it first was, the name is given again
    EXPECT_EQ(read("Declare \"tint\" \"vertex color\"\n"), (Lines{"qelVariable tint 3331 3591"}));
}

// The scene API refuses a basis step beyond 65535 and keeps its step, so
// the values are counted by the step it keeps: Cs needs 3 by 3 colours for
// the bezier step 3, not the 2 by 2 a step of 70000 would give.
TEST_F(RibParserTest, ABasisStepTheSceneApiRefusesLeavesTheCounts) {
    std::string points = " \"P\" [";
    for (int k = 0; k < 7 * 7; ++k)
        points += "0 0 0 ";
    points += "]";
    read("Basis \"bezier\" 70000 \"bezier\" 70000\n"
         "PatchMesh \"bicubic\" 7 \"nonperiodic\" 7 \"nonperiodic\"" +
         points + " \"Cs\" [1 1 1 1 1 1 1 1 1 1 1 1]\n");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("\"Cs\" needs 27 values, not 12"), std::string::npos)
        << messages()[0];
}

TEST_F(RibParserTest, ParameterNamesBecomeTheSceneApisOwn) {
    EXPECT_EQ(
        read("PatchMesh \"bilinear\" 2 \"nonperiodic\" 2 \"nonperiodic\" \"Pz\" [0 1 2 3] "
             "\"Os\" [1 1 1 0 0 0 1 1 1 0 0 0] \"N\" [0 0 1 0 0 1 0 0 1 0 0 1] "
             "\"Np\" [0 0 1]\n"
             "NuPatch 2 2 [0 0 1 1] 0 1 2 2 [0 0 1 1] 0 1 \"Pw\" [0 0 0 1 1 0 0 1 0 1 0 1 1 1 "
             "0 1] \"Cs\" [1 0 0 0 1 0 0 0 1 1 1 1]\n"
             "Atmosphere \"depthcue\" \"mindistance\" 1 \"maxdistance\" 9 \"background\" "
             "[0 0 0]\n"
             "LightSource \"pointlight\" 1 \"lightcolor\" [1 0.9 0.8]\n"),
        (Lines{"qelPatchMeshV 1792 2 2561 2 2561 height=[0 1 2 3] opacity=[1 1 1 0 0 0 1 1 1 "
               "0 0 0] normal=[0 0 1 0 0 1 0 0 1 0 0 1] plane=[0 0 1]",
               "qelNurbMeshV 2 2 [0 0 1 1] 0 1 2 2 [0 0 1 1] 0 1 pointw=[0 0 0 1 1 0 0 1 0 1 "
               "0 1 1 1 0 1] color=[1 0 0 0 1 0 0 0 1 1 1 1]",
               "qelAtmosphereV depthcue hither=[1] yon=[9] color=[0 0 0]",
               "qelLightSourceV omni color=[1 0.9 0.8] -> 1"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, ValuesAreFittedToTheSceneApisCounts) {
    // a constant colour on a mesh is repeated; the four corner values of a
    // one-span bicubic NuPatch are spread over its sixteen control points
    EXPECT_EQ(
        read("PointsPolygons [3] [0 1 2] \"P\" [0 0 0 1 0 0 0 1 0] \"constant color Cs\" "
             "[0.5 0.25 1]\n"
             "NuPatch 4 4 [0 0 0 0 1 1 1 1] 0 1 4 4 [0 0 0 0 1 1 1 1] 0 1 \"P\" [0 0 0 1 0 0 2 0 0 "
             "3 0 0 0 1 0 1 1 0 2 1 0 3 1 0 0 2 0 1 2 0 2 2 0 3 2 0 0 3 0 1 3 0 2 3 0 3 3 0] "
             "\"s\" [0 3 0 3]\n"),
        (Lines{"qelPolygonMeshV 1 [3] [0 1 2] point=[0 0 0 1 0 0 0 1 0] color=[0.5 0.25 1 "
               "0.5 0.25 1 0.5 0.25 1]",
               "qelVariable s 3330 3585",
               "qelNurbMeshV 4 4 [0 0 0 0 1 1 1 1] 0 1 4 4 [0 0 0 0 1 1 1 1] 0 1 point=[0 0 0 "
               "1 0 0 2 0 0 3 0 0 0 1 0 1 1 0 2 1 0 3 1 0 0 2 0 1 2 0 2 2 0 3 2 0 0 3 0 1 3 0 "
               "2 3 0 3 3 0] s=[0 1 2 3 0 1 2 3 0 1 2 3 0 1 2 3]"}));
    EXPECT_TRUE(messages().empty());
    // a count that does not fit the class drops the parameter, not the primitive
    EXPECT_EQ(read("Sphere 1 -1 1 360 \"Cs\" [1 0 0]\n"), (Lines{"qelSphereV [1 -1 1 360]"}));
    EXPECT_EQ(messages(), (Lines{"RIB error: invalid color specification at line 1 'Sphere': "
                                 "parameter \"Cs\" needs 12 values, not 3; dropped"}));
}

// Two triangles sharing an edge, coloured per face corner: each corner
// becomes a point of its own, with the position of the point it stood at.
TEST_F(RibParserTest, ValuesPerFaceCornerGiveEachCornerAPoint) {
    EXPECT_EQ(read("PointsPolygons [3 3] [0 1 2 2 1 3] \"P\" [0 0 0 1 0 0 0 1 0 1 1 0] "
                   "\"facevarying float s\" [1 2 3 4 5 6] \"uniform float t\" [7 8]\n"
                   "Declare \"k\" \"facevertex int\"\n"
                   "PointsGeneralPolygons [1] [3] [2 0 1] \"P\" [0 0 0 1 0 0 0 1 0] "
                   "\"k\" [1 2 3] \"vertex float q\" [10 20 30]\n"),
              (Lines{"qelVariable s 3330 3585", "qelVariable t 3329 3585",
                     "qelPolygonMeshV 2 [3 3] [0 1 2 3 4 5] point=[0 0 0 1 0 0 0 1 0 0 1 0 1 0 0 "
                     "1 1 0] s=[1 2 3 4 5 6] t=[7]",
                     "qelVariable k 3330 3586", "qelVariable q 3331 3585",
                     "qelGeneralPolygonMeshV 1 [1] [3] [0 1 2] point=[0 1 0 0 0 0 1 0 0] k=[1 2 3] "
                     "q=[30 10 20]"}));
    EXPECT_TRUE(messages().empty()) << messages().front();
}

// The standard teapot: 32 Bezier patches in a block of their own, from the
// rim (its first point on the x axis at the top of the body) to the bottom.
TEST_F(RibParserTest, TheTeapotIsThirtyTwoBezierPatches) {
    Lines calls = read("Geometry \"teapot\"\n");
    ASSERT_EQ(calls.size(), 1u + 1u + 32u + 1u);
    EXPECT_EQ(calls[0], "qelAttributePush");
    EXPECT_EQ(calls[1], "qelBasis 2050 2304");
    EXPECT_TRUE(calls[2].rfind("qelPatchV 1793 point=[1.4 0 2.4 1.4 -0.784 2.4 ", 0) == 0)
        << calls[2];
    EXPECT_EQ(
        std::count_if(calls.begin(), calls.end(),
                      [](const std::string& call) { return call.rfind("qelPatchV", 0) == 0; }),
        32);
    // the lid closes at its top, the bottom at the origin
    EXPECT_NE(calls[22].find("point=[0 0 3.15 0 0 3.15 0 0 3.15 0 0 3.15 "), std::string::npos);
    EXPECT_NE(calls[33].find("point=[0 0 0 0 0 0 0 0 0 0 0 0 "), std::string::npos);
    EXPECT_EQ(calls.back(), "qelAttributePop");
    EXPECT_TRUE(messages().empty());
}

// Polygons of zero area are left out with one warning for the file; a mesh
// keeps its other faces with their own values per face and per corner.
TEST_F(RibParserTest, PolygonsOfZeroAreaAreLeftOutWithOneWarning) {
    EXPECT_EQ(read("Polygon \"P\" [0 0 0 1 0 0 2 0 0]\n"
                   "GeneralPolygon [3 3] \"P\" [0 0 0 1 1 1 2 2 2 0 0 0 0 1 0 1 0 0]\n"
                   "PointsPolygons [3 3 3] [0 1 2 0 2 3 1 3 2] \"P\" [0 0 0 1 0 0 2 0 0 0 1 0] "
                   "\"uniform float t\" [1 2 3] \"facevarying float s\" [1 2 3 4 5 6 7 8 9]\n"
                   "Polygon \"P\" [0 0 0 1 0 0 0 1 0]\n"
                   "PointsGeneralPolygons [1 1] [3 3] [0 0 0 0 1 2] \"P\" [0 0 0 1 0 0 0 1 0]\n"),
              (Lines{"qelVariable t 3329 3585", "qelVariable s 3330 3585",
                     "qelPolygonMeshV 2 [3 3] [0 1 2 3 4 5] point=[0 0 0 2 0 0 0 1 0 1 0 0 0 1 0 "
                     "2 0 0] t=[2] s=[4 5 6 7 8 9]",
                     "qelPolygonV 3 point=[0 0 0 1 0 0 0 1 0]",
                     "qelGeneralPolygonMeshV 1 [1] [3] [0 1 2] point=[0 0 0 1 0 0 0 1 0]"}));
    EXPECT_EQ(messages(), (Lines{"RIB warning: incorrect parameter value at line 1 'Polygon': "
                                 "Polygon: polygons of zero area are left out (told once)"}));
}

// A face without loops has no area to measure: the mesh keeps it, and the
// faces after it are measured by their own loops.
TEST_F(RibParserTest, AFaceWithoutLoopsIsNotMeasured) {
    EXPECT_EQ(read("PointsGeneralPolygons [1 0] [3] [0 1 2] \"P\" [0 0 0 1 0 0 0 1 0]\n"
                   "PointsGeneralPolygons [0 1] [3] [0 1 2] \"P\" [0 0 0 1 0 0 0 1 0]\n"),
              (Lines{"qelGeneralPolygonMeshV 2 [1 0] [3] [0 1 2] point=[0 0 0 1 0 0 0 1 0]",
                     "qelGeneralPolygonMeshV 2 [0 1] [3] [0 1 2] point=[0 0 0 1 0 0 0 1 0]"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, BicubicPatchesVaryAtTheirFourCorners) {
    EXPECT_EQ(read("Patch \"bicubic\" \"Pz\" [0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15] "
                   "\"Cs\" [1 0 0 0 1 0 0 0 1 1 1 1]\n"),
              (Lines{"qelPatchV 1793 height=[0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15] color=[1 0 0 "
                     "0 1 0 0 0 1 1 1 1]"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, OlderNuPatchVaryingValuesAreSpread) {
    // two spans in u: the older rule gives 4 varying values, the newer 6
    EXPECT_EQ(read("NuPatch 3 2 [0 0 1 2 2] 0 2 2 2 [0 0 1 1] 0 1 \"P\" [0 0 0 1 0 0 2 0 0 0 1 0 "
                   "1 1 0 2 1 0] \"s\" [0 4 0 4]\n"),
              (Lines{"qelVariable s 3330 3585",
                     "qelNurbMeshV 3 2 [0 0 1 2 2] 0 2 2 2 [0 0 1 1] 0 1 point=[0 0 0 1 0 0 2 0 0 "
                     "0 1 0 1 1 0 2 1 0] s=[0 2 4 0 2 4]"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, RequiredPositionsAndIndexChecks) {
    EXPECT_EQ(read("Polygon \"Cs\" [1 1 1]\nPatch \"bilinear\"\n"
                   "PointsPolygons [3 3] [0 1 2] \"P\" [0 0 0 1 0 0 0 1 0]\n"
                   "PointsPolygons [3] [0 1 -2] \"P\" [0 0 0 1 0 0 0 1 0]\nWorldBegin\n"),
              (Lines{"qelFilter 262", "qelTune [32 16 16]", "qelSceneBegin",
                     "qelSurfaceV defaultsurface"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: invalid color specification at line 1 'Polygon': parameter \"Cs\" "
                     "needs 0 values, not 3; dropped",
                     "RIB error: incorrect parameter value at line 1 'Polygon': 'P' argument is "
                     "required",
                     "RIB error: incorrect parameter value at line 2 'Patch': 'P', 'Pz' or 'Pw' "
                     "argument is required",
                     "RIB error: invalid array specification at line 3 'PointsPolygons': vertex "
                     "counts and indices of the polygons do not agree",
                     "RIB error: invalid array specification at line 4 'PointsPolygons': vertex "
                     "counts and indices of the polygons do not agree",
                     "RIB error: general syntactic error at line 6: the file ends inside the "
                     "world begun at line 5"}));
}

// Option "limits": the bucket size as it is, the grid size as the edge of a
// square grid of at most that many micropolygons, the texture memory from
// kilobytes to megabytes.
TEST_F(RibParserTest, RequestsWithoutCounterpartWarnOncePerName) {
    EXPECT_EQ(read("Curves \"linear\" [2] \"nonperiodic\" \"P\" [0 0 0 1 1 1]\n"
                   "Curves \"cubic\" [4] \"nonperiodic\"\nPoints \"P\" [0 0 0]\n"
                   "ClippingPlane 0 0 1 0 0 0\nOption \"limits\" \"bucketsize\" [16 16]\n"
                   "Option \"limits\" \"gridsize\" [4]\nGeometry \"bunny\"\nTranslate 1 2 3\n"
                   "Option \"limits\" \"texturememory\" [65536]\n"),
              (Lines{"qelTune [32 16 16]", "qelTune [2 16 16]", "qelTranslate [1 2 3]",
                     "qelTextureMemory 64"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB warning: no counterpart in the scene API at line 1 'Curves': Curves is "
                     "skipped",
                     "RIB warning: no counterpart in the scene API at line 3 'Points': Points is "
                     "skipped",
                     "RIB warning: no counterpart in the scene API at line 4 'ClippingPlane': "
                     "ClippingPlane is skipped",
                     "RIB warning: no counterpart in the scene API at line 7 'Geometry': Geometry "
                     "\"bunny\" is skipped"}));
}

// An option's values must be as many as its declaration says: fewer are
// dropped with a report, never read past.
TEST_F(RibParserTest, OptionValuesShortOfTheirDeclarationAreDropped) {
    EXPECT_EQ(read("Option \"limits\" \"bucketsize\" [16]\n"
                   "Declare \"bucketsize\" \"uniform integer[4]\"\n"
                   "Option \"limits\" \"bucketsize\" [16 16]\n"),
              Lines{});
    EXPECT_EQ(messages(),
              (Lines{"RIB error: invalid array specification at line 1 'Option': parameter "
                     "\"bucketsize\" needs 2 values, not 1; dropped",
                     "RIB error: invalid array specification at line 3 'Option': parameter "
                     "\"bucketsize\" needs 4 values, not 2; dropped"}));
}

TEST_F(RibParserTest, ErrorsAbandonTheRequestAndReadingGoesOn) {
    // the arguments of an unknown request are skipped with it
    EXPECT_EQ(read("FrameBegin 1\nFrobnicate [1 2] \"x\"\n12 34 \"x\" [5]\nTranslate 1 2\n"
                   "Scale 2 2 2\nSphere 1 -1 1 \"P\"\nRotate 1 2x 3 4\nSurface \"matte\" \"Kd\"\n"
                   "FrameEnd\n"),
              (Lines{"qelFrameBegin", "qelScale [2 2 2]", "qelFrameEnd"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: undefined RIB request at line 2 'Frobnicate'",
                     "RIB error: general syntactic error at line 5 'Scale': Expected float",
                     "RIB error: general syntactic error at line 6 'P': Expected float",
                     "RIB error: general syntactic error at line 7 '2x': Invalid number",
                     "RIB error: general syntactic error at line 9 'FrameEnd': Parameter \"Kd\" "
                     "has no value"}));
    EXPECT_EQ(read("12 34 \"x\" [5]\nIdentity\n"), (Lines{"qelLoadIdentity"}));
    EXPECT_EQ(messages().back(),
              "RIB error: general syntactic error at line 1 '12': Expected a request");
}

TEST_F(RibParserTest, TypeMismatchesDropTheParameter) {
    EXPECT_EQ(read("Surface \"plastic\" \"Kd\" \"high\" \"Ks\" [0.5]\n"
                   "Surface \"plastic\" \"Ka\" [1 2 \"x\"] \"texturename\" 5\n"
                   "Display \"a\" \"file\" \"rgb\" \"origin\" [1.5 2]\n"),
              (Lines{"qelSurfaceV plastic ks=[0.5] roughness=[0.0125]",
                     "qelSurfaceV plastic roughness=[0.0125]", "qelOutputFile 513 a",
                     "qelOutputSamples 769"}));
    EXPECT_EQ(
        messages(),
        (Lines{"RIB error: parameter list type mismatch at line 1 'high': Values of \"Kd\" do "
               "not agree with its declaration",
               "RIB error: invalid array specification at line 2 'x': Array has both numbers "
               "and strings",
               "RIB error: parameter list type mismatch at line 2 '5': Values of "
               "\"texturename\" do not agree with its declaration",
               "RIB error: parameter list type mismatch at line 4: Values of \"origin\" do "
               "not agree with its declaration"}));
}

// The type names the format; "file" leaves it to the name. A display with
// '+' adds one, each with its mode and quantisation.
TEST_F(RibParserTest, DisplaysAsRibUsersWriteThem) {
    EXPECT_EQ(
        read("Display \"a.png\" \"file\" \"rgba\"\n"
             "Display \"+b.exr\" \"openexr\" \"varying normal N\"\n"
             "Display \"+c.z\" \"zfile\" \"z\"\n"
             "Display \"+d.tif\" \"tiff\" \"s\" \"quantize\" [0 255 0 255] \"dither\" [0]\n"
             "Quantize \"rgba\" 65535 0 65535 0.25\n"
             "Display \"+e.tif\" \"file\" \"rgb\" \"float dither\" [1]\n"
             "Display \"f\" \"it\" \"rgb\"\n"
             "Display \"g.exr\" \"dsm\" \"rgb\"\n"
             "Display \"+h.tif\" \"file\" \"color diffuse\"\n"
             "Display \"+i.tif\" \"file\" \"mystery\"\n"
             "Display \"+j.tif\" \"file\" \"string label\"\n"),
        (Lines{"qelOutputImage 514 a.png rgba []", "qelOutputImage 515 +b.exr varying normal N []",
               "qelOutputImage 516 +c.z z []", "qelOutputImage 513 +d.tif s [0 255 0 255 0]",
               "qelColorQuantize [65535 0 65535]", "qelColorJitter 0.25",
               "qelOutputImage 513 +e.tif rgb [0 65535 0 65535 1]", "qelOutputDisplay f",
               "qelOutputSamples 769", "qelOutputImage 515 g.exr rgb []",
               "qelOutputImage 513 +h.tif color diffuse []"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB warning: no counterpart in the scene API at line 8 'Display': Display "
                     "type \"dsm\" is unknown: the image is written as its name asks",
                     "RIB warning: no counterpart in the scene API at line 10 'Display': Display "
                     "mode \"mystery\" is no variable the renderer has: Display "
                     "\"+i.tif\" is skipped",
                     "RIB warning: no counterpart in the scene API at line 11 'Display': Display "
                     "mode \"string label\" is no variable the renderer has: Display "
                     "\"+j.tif\" is skipped"}));
}

TEST_F(RibParserTest, DisplayHiderQuantizeAndSampling) {
    EXPECT_EQ(
        read("Format 640 480 1\nDisplay \"shot\" \"framebuffer\" \"rgbaz\" \"origin\" [10 20]\n"
             "Display \"+extra\" \"file\" \"z\"\nHider \"null\"\nHider \"paint\"\n"
             "Quantize \"rgba\" 255 0 255 0.5\nQuantize \"z\" 1 0 65535 0\n"
             "PixelVariance 0.01\nPixelSamples 4 4\nPixelFilter \"catmull-rom\" 3 3\n"
             "PixelFilter \"mitchell\" 2 2\nDepthOfField\nDepthOfField 8 0.1 5\n"
             "Shutter 0 1\nColorSamples [1 1 1] [0.3 0.3 0.3]\nColor [0.5]\n"),
        (Lines{"qelRasterViewport [0 639 0 479]",
               "qelRasterAspect 1",
               "qelOutputImage 517 shot rgbaz []",
               "qelRasterViewport [10 649 20 499]",
               "qelOutputImage 513 +extra z []",
               "qelHider 0",
               "qelHider 1025",
               "qelColorQuantize [255 0 255]",
               "qelColorJitter 0.5",
               "qelDepthQuantize [1 0 65535]",
               "qelDepthJitter 0",
               "qelSampleAdaptive 0.01",
               "qelSampleUniform [4 4]",
               "qelSampleAdaptive 0.01",
               "qelFilter 257",
               "qelFilterWidth [3 3]",
               "qelFilter 261",
               "qelFilterWidth [2 2]",
               "qelDepthOfField [1e+38 0 0]",
               "qelDepthOfField [8 0.1 5]",
               "qelShutter [0 1]",
               "qelColorSpace 1 [1 1 1] [0.3 0.3 0.3]",
               "qelColor [0.5]"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, AttributesAndTextures) {
    EXPECT_EQ(
        read("Attribute \"identifier\" \"name\" \"post\" \"shadinggroup\" \"wood\"\n"
             "Attribute \"displacementbound\" \"sphere\" 0.5\n"
             "Orientation \"lh\"\nReverseOrientation\nShadingInterpolation \"smooth\"\n"
             "Matte 1\nGeometricApproximation \"flatness\" 0.5\n"
             "TextureCoordinates 0 0 1 0 0 1 1 1\nCoordinateSystem \"lamp\"\n"
             "MakeTexture \"a.tif\" \"a.tx\" \"periodic\" \"clamp\" \"box\" 1 1\n"
             "MakeShadow \"z.tif\" \"z.sm\"\n"),
        (Lines{"qelObjectName post", "qelGroupName wood", "qelBoundDisplacement 0.5",
               "qelOrientation 1536", "qelOrientation 1540", "qelShadingModel 1281",
               "qelMatteObject 1", "qelFlatness 0.5", "qelTextureCoordinates [0 0 1 0 0 1 1 1]",
               "qelQuark lamp", "qelMarkSpace lamp", "qelTexturePath .:&",
               "qelMakeTextureV a.tif a.tx 2560 2562 box [1 1]", "qelMakeShadowV z.tif z.sm"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(RibParserTest, BrokenBinaryTokensEndOnlyTheirRequest) {
    std::string text = "Translate 1 2 3\n";
    text += "Scale 1 \xCF\x09 1\n";      // an undefined string where a number belongs
    text += "Rotate 90 0 0 1\n\xA6\x05"; // an undefined request code
    text += " 1 2\nSphere 1 -1 1 360 \xA3\xFF\xFF\xFF"; // a length past the end of the file
    // the broken name ends the sphere's parameter list
    EXPECT_EQ(read(text),
              (Lines{"qelTranslate [1 2 3]", "qelRotate [90 0 0 1]", "qelSphereV [1 -1 1 360]"}));
    EXPECT_EQ(messages(),
              (Lines{"RIB error: undefined encoded string token at line 2 '': String token 9 at "
                     "byte 24 is not defined",
                     "RIB error: invalid encoded RIB request code at line 4 '': Request code 5 at "
                     "byte 45 is not defined",
                     "RIB error: malformed binary encoding at line 5 '': Truncated binary token "
                     "at byte 70"}));
}

TEST_F(RibParserTest, StepsAreOneRequestEach) {
    std::istringstream in("WorldBegin\nSphere 1 -1 1 360\nWorldEnd\nTranslate 1 2 3\n");
    String frame;
    rendrib reader(in, "test.rib", frame);
    reader.errorPrinter(capture);
    recorder::reset(2);
    int steps = 0;
    while (reader.parse1()) {
        ++steps;
        if (steps == 4) {
            EXPECT_EQ(frame, "Untitled"); // rendering the world
        }
    }
    EXPECT_EQ(frame, "");
    // the first token, three requests, two buckets, the end of rendering;
    // the last request ends the work
    EXPECT_EQ(steps, 7);
    EXPECT_EQ(recorder::calls().back(), "qelTranslate [1 2 3]");
}

} // namespace
