// Every request of the scene-file format as the writer writes it: keyword,
// arguments in their value forms, parameter list. The forms with a variable
// parameter list and with a counted one write the same line.
#include "WriterFixture.h"

#include <cmath>

namespace {

class RequestLineTest : public WriterFixture {
protected:
    void expectBothForms(const std::string& expected, const std::function<void()>& listForm,
                         const std::function<void()>& vectorForm) {
        EXPECT_EQ(line(listForm), expected);
        EXPECT_EQ(line(vectorForm), expected);
    }

    const float fRgb[3] = {0.9f, 0.2f, 0.15f};
    const float fSquare[12] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    const float fIdentity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

TEST_F(RequestLineTest, QuarksAndBlocks) {
    EXPECT_EQ(write([] {
                  qelQuark("Ks2");
                  qelVariable("sheen", QEL_CLASS_CONST, QEL_TYPE_FLOAT);
                  qelFrameBegin();
                  qelSceneBegin();
                  qelAttributePush();
                  qelMatrixPush();
                  qelMatrixPop();
                  qelAttributePop();
                  qelSceneEnd();
                  qelFrameEnd();
              }),
              (Lines{"qelQuark \"Ks2\"", "qelVariable \"sheen\" \"const\" \"float\"",
                     "qelFrameBegin", "qelSceneBegin", "qelAttributePush", "qelMatrixPush",
                     "qelMatrixPop", "qelAttributePop", "qelSceneEnd", "qelFrameEnd"}));
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(RequestLineTest, ImageAndCameraOptions) {
    EXPECT_EQ(write([] {
                  qelRasterViewport(0, 639, -10, 479);
                  qelRasterAspect(1.5f);
                  qelImageWindow(-1.33333f, 1.33333f, -1, 1);
                  qelImageAspect(0.75f);
                  qelImageCrop(0, 0.5f, 0.25f, 1);
                  qelViewOrthographic();
                  qelViewPerspective(40);
                  qelViewIdentity();
                  qelClip(0.1f, 1000);
                  qelDepthOfField(2.8f, 0.05f, 3);
                  qelShutter(0, 0.5f);
              }),
              (Lines{"qelRasterViewport 0 639 -10 479", "qelRasterAspect 1.5",
                     "qelImageWindow -1.33333 1.33333 -1 1", "qelImageAspect 0.75",
                     "qelImageCrop 0 0.5 0.25 1", "qelViewOrthographic", "qelViewPerspective 40",
                     "qelViewIdentity", "qelClip 0.1 1000", "qelDepthOfField 2.8 0.05 3",
                     "qelShutter 0 0.5"}));
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(RequestLineTest, AnInfiniteFStopIsTheKeywordAlone) {
    EXPECT_EQ(write([] {
                  qelDepthOfField(1e38f, 0.05f, 3);
                  qelDepthOfField(INFINITY, 1, 1);
                  qelDepthOfField(9.99999e37f, 1, 1);
              }),
              (Lines{"qelDepthOfField", "qelDepthOfField", "qelDepthOfField 9.99999e+37 1 1"}));
}

TEST_F(RequestLineTest, SamplingFilteringAndExposure) {
    EXPECT_EQ(
        write([] {
            qelSampleAdaptive(0.002f);
            qelSampleUniform(3, 3);
            qelSampleJitter(0.5f);
            qelFilter(QEL_FILTER_CATMULLROM);
            qelFilter(QEL_FILTER_SINC);
            qelFilterWidth(2, 2.5f);
            qelColorGain(1.2f);
            qelColorGamma(2.2f);
            qelColorQuantize(255, 0, 255);
            qelColorJitter(0.5f);
            qelDepthQuantize(65535, 0, 65535);
            qelDepthJitter(0);
            qelRelativeDetail(0.5f);
            qelTune(32, 16, 16);
            qelShaderPath("shaders:/opt/sl");
            qelTexturePath("maps:&");
            qelTextureMemory(64);
        }),
        (Lines{"qelSampleAdaptive 0.002", "qelSampleUniform 3 3", "qelSampleJitter 0.5",
               "qelFilter \"catmullrom\"", "qelFilter \"sinc\"", "qelFilterWidth 2 2.5",
               "qelColorGain 1.2", "qelColorGamma 2.2", "qelColorQuantize 255 0 255",
               "qelColorJitter 0.5", "qelDepthQuantize 65535 0 65535", "qelDepthJitter 0",
               "qelRelativeDetail 0.5", "qelTune 32 16 16", "qelShaderPath \"shaders:/opt/sl\"",
               "qelTexturePath \"maps:&\"", "qelTextureMemory 64"}));
}

TEST_F(RequestLineTest, Output) {
    EXPECT_EQ(write([] {
                  qelOutputDisplay("adaptive");
                  qelOutputFile(QEL_FORMAT_TIFF, "out.tif");
                  qelOutputSamples(QEL_SAMPLES_RGBA);
                  qelOutputSamples(QEL_SAMPLES_RGBAZ);
                  qelHider(QEL_HIDER_PAINT);
                  qelHider(QEL_HIDER_NULL);
              }),
              (Lines{"qelOutputDisplay \"adaptive\"", "qelOutputFile \"tiff\" \"out.tif\"",
                     "qelOutputSamples \"rgba\"", "qelOutputSamples \"rgbaz\"",
                     "qelHider \"paint\"", "qelHider \"null\""}));
}

TEST_F(RequestLineTest, ImagerIsWrittenWithoutThePrefix) {
    unsigned short color = qelQuark("color");
    const float* rgb = fRgb;
    expectBothForms("Imager \"background\" \"color\" [0.9 0.2 0.15]",
                    [&] { qelImager("background", color, rgb, 0); },
                    [&] {
                        unsigned short tokens[] = {color};
                        void* values[] = {const_cast<float*>(rgb)};
                        qelImagerV("background", 1, tokens, values);
                    });
}

TEST_F(RequestLineTest, ColorSpaceSetsTheSamplesOfColours) {
    float toRgb[6] = {1, 0.5f, 0, 0, 0.5f, 1}, fromRgb[6] = {1, 0, 0.5f, 0.5f, 0, 1};
    float grey[2] = {0.25f, 0.75f};
    EXPECT_EQ(write([&] {
                  qelFrameBegin();
                  qelColorSpace(2, toRgb, fromRgb);
                  qelColor(grey);
                  qelOpacity(grey);
                  qelFrameEnd();
                  qelColor(fRgb);
              }),
              (Lines{"qelFrameBegin", "qelColorSpace 2 [1 0.5 0 0 0.5 1] [1 0 0.5 0.5 0 1]",
                     "qelColor [0.25 0.75]", "qelOpacity [0.25 0.75]", "qelFrameEnd",
                     "qelColor [0.9 0.2 0.15]"}));
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(RequestLineTest, Attributes) {
    float bound[6] = {-1, 1, -2, 2, 0, 3.5f};
    EXPECT_EQ(write([&] {
                  qelColor(fRgb);
                  qelOpacity(fRgb);
                  qelTextureCoordinates(0, 0, 1, 0, 0, 1, 1, 1);
                  qelShadingRate(0.5f);
                  qelShadingModel(QEL_SHADING_GOURAUD);
                  qelMatteObject(1);
                  qelBound(bound);
                  qelDetail(bound);
                  qelDetailRange(0, 1, 10, 20);
                  qelFlatness(0.25f);
                  qelOrientation(QEL_ORIENT_INSIDE);
                  qelBackface(0);
                  qelBoundDisplacement(0.1f);
                  qelObjectName("cube");
                  qelGroupName("boxes");
              }),
              (Lines{"qelColor [0.9 0.2 0.15]", "qelOpacity [0.9 0.2 0.15]",
                     "qelTextureCoordinates 0 0 1 0 0 1 1 1", "qelShadingRate 0.5",
                     "qelShadingModel \"gouraud\"", "qelMatteObject 1",
                     "qelBound [-1 1 -2 2 0 3.5]", "qelDetail [-1 1 -2 2 0 3.5]",
                     "qelDetailRange 0 1 10 20", "qelFlatness 0.25", "qelOrientation \"inside\"",
                     "qelBackface 0", "qelBoundDisplacement 0.1", "qelObjectName \"cube\"",
                     "qelGroupName \"boxes\""}));
}

TEST_F(RequestLineTest, Bases) {
    float step2[4][4] = {{2, 1, -2, 1}, {-3, -2, 3, -1}, {0, 1, 0, 0}, {1, 0, 0, 0}};
    EXPECT_EQ(write([&] {
                  qelBasis(QEL_UVBASIS, QEL_BASIS_BSPLINE);
                  qelBasis(QEL_UBASIS, QEL_BASIS_CATMULLROM);
                  qelCustomBasis(QEL_VBASIS, step2, 2);
              }),
              (Lines{"qelBasis \"uvbasis\" \"bspline\"", "qelBasis \"ubasis\" \"catmullrom\"",
                     "qelCustomBasis \"vbasis\" [2 1 -2 1 -3 -2 3 -1 0 1 0 0 1 0 0 0] 2"}));
}

TEST_F(RequestLineTest, ShadersWithParameters) {
    unsigned short roughness = qelQuark("roughness"), distance = qelQuark("distance");
    float rough = 0.05f, far = 10;
    struct Shader {
        const char* keyword;
        void (*list)(unsigned short, ...);
        void (*vector)(unsigned short, long, const unsigned short*, void* const*);
    };
    const Shader shaders[] = {{"qelSurface", qelSurface, qelSurfaceV},
                              {"qelAtmosphere", qelAtmosphere, qelAtmosphereV},
                              {"qelInterior", qelInterior, qelInteriorV},
                              {"qelExterior", qelExterior, qelExteriorV},
                              {"qelDeformation", qelDeformation, qelDeformationV},
                              {"qelDisplacement", qelDisplacement, qelDisplacementV}};
    unsigned short metal = qelQuark("metal");
    for (const Shader& shader : shaders) {
        SCOPED_TRACE(shader.keyword);
        expectBothForms(std::string(shader.keyword) +
                            " \"metal\" \"roughness\" [0.05] \"distance\" [10]",
                        [&] { shader.list(metal, roughness, &rough, distance, &far, 0); },
                        [&] {
                            unsigned short tokens[] = {roughness, distance};
                            void* values[] = {&rough, &far};
                            shader.vector(metal, 2, tokens, values);
                        });
        expectBothForms(std::string(shader.keyword) + " \"metal\"", [&] { shader.list(metal, 0); },
                        [&] { shader.vector(metal, 0, nullptr, nullptr); });
    }
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(RequestLineTest, LightsWriteTheirHandleAfterTheShader) {
    unsigned short ambient = qelQuark("ambient"), intensity = qelQuark("intensity");
    float amount = 0.15f;
    unsigned short tokens[] = {intensity};
    void* values[] = {&amount};
    const void* first = nullptr;
    const void* second = nullptr;
    Lines lines = write([&] {
        first = qelLightSource(ambient, intensity, &amount, 0);
        second = qelLightSourceV(ambient, 1, tokens, values);
        qelLightSwitch(second, 0);
        qelLightSwitch(first, 1);
    });
    long a = reinterpret_cast<long>(first), b = reinterpret_cast<long>(second);
    ASSERT_EQ(b, a + 1);
    EXPECT_EQ(lines, (Lines{"qelLightSource \"ambient\" " + std::to_string(a) +
                                " \"intensity\" [0.15]",
                            "qelLightSource \"ambient\" " + std::to_string(b) +
                                " \"intensity\" [0.15]",
                            "qelLightSwitch " + std::to_string(b) + " 0",
                            "qelLightSwitch " + std::to_string(a) + " 1"}));
    lines = write([&] {
        first = qelAreaLightSource(ambient, intensity, &amount, 0);
        second = qelAreaLightSourceV(ambient, 1, tokens, values);
    });
    a = reinterpret_cast<long>(first), b = reinterpret_cast<long>(second);
    ASSERT_EQ(b, a + 1);
    EXPECT_EQ(lines, (Lines{"qelAreaLightSource \"ambient\" " + std::to_string(a) +
                                " \"intensity\" [0.15]",
                            "qelAreaLightSource \"ambient\" " + std::to_string(b) +
                                " \"intensity\" [0.15]"}));
}

TEST_F(RequestLineTest, Transforms) {
    float shear[4][4] = {{1, 0, 0, 0}, {0.5f, 1, 0, 0}, {0, 0, 1, 0}, {0, -2, 0, 1}};
    unsigned short space = qelQuark("shadowcamera");
    EXPECT_EQ(write([&] {
                  qelLoadIdentity();
                  qelLoadMatrix(fIdentity);
                  qelMultMatrix(shear);
                  qelPerspective(30);
                  qelTranslate(0, -0.5f, 9);
                  qelRotate(-20, 1, 0, 0);
                  qelScale(2, 2, 0.5f);
                  qelSkew(45, 0, 1, 0, 1, 0, 0);
                  qelMarkSpace(space);
              }),
              (Lines{"qelLoadIdentity", "qelLoadMatrix [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]",
                     "qelMultMatrix [1 0 0 0 0.5 1 0 0 0 0 1 0 0 -2 0 1]", "qelPerspective 30",
                     "qelTranslate 0 -0.5 9", "qelRotate -20 1 0 0", "qelScale 2 2 0.5",
                     "qelSkew 45 0 1 0 1 0 0", "qelMarkSpace \"shadowcamera\""}));
    EXPECT_EQ(reports(), Lines{});
}

TEST_F(RequestLineTest, Polygons) {
    unsigned short point = qelQuark("point");
    const float* square = fSquare;
    const std::string squarePoints = "\"point\" [-1 -1 0 1 -1 0 1 1 0 -1 1 0]";
    expectBothForms("qelPolygon 4 " + squarePoints, [&] { qelPolygon(4, point, square, 0); },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {const_cast<float*>(square)};
                        qelPolygonV(4, 1, tokens, values);
                    });

    float ring[21] = {0, 0, 0, 4, 0, 0, 4, 4, 0, 0, 4, 0, 1, 1, 0, 2, 2, 0, 1, 2, 0};
    long loops[2] = {4, 3};
    const std::string ringPoints = "\"point\" [0 0 0 4 0 0 4 4 0 0 4 0 1 1 0 2 2 0 1 2 0]";
    expectBothForms("qelGeneralPolygon 2 [4 3] " + ringPoints,
                    [&] { qelGeneralPolygon(2, loops, point, ring, 0); },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {ring};
                        qelGeneralPolygonV(2, loops, 1, tokens, values);
                    });

    long counts[2] = {3, 3}, indices[6] = {0, 1, 2, 2, 1, 3};
    expectBothForms("qelPolygonMesh 2 [3 3] [0 1 2 2 1 3] " + squarePoints,
                    [&] { qelPolygonMesh(2, counts, indices, point, square, 0); },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {const_cast<float*>(square)};
                        qelPolygonMeshV(2, counts, indices, 1, tokens, values);
                    });

    long meshLoops[1] = {2}, ringIndices[7] = {0, 1, 2, 3, 4, 5, 6};
    expectBothForms("qelGeneralPolygonMesh 1 [2] [4 3] [0 1 2 3 4 5 6] " + ringPoints,
                    [&] {
                        qelGeneralPolygonMesh(1, meshLoops, loops, ringIndices, point, ring, 0);
                    },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {ring};
                        qelGeneralPolygonMeshV(1, meshLoops, loops, ringIndices, 1, tokens, values);
                    });
}

TEST_F(RequestLineTest, Patches) {
    unsigned short point = qelQuark("point"), height = qelQuark("height");
    const float* square = fSquare;
    expectBothForms("qelPatch \"bilinear\" \"point\" [-1 -1 0 1 -1 0 1 1 0 -1 1 0]",
                    [&] { qelPatch(QEL_PATCH_BILINEAR, point, square, 0); },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {const_cast<float*>(square)};
                        qelPatchV(QEL_PATCH_BILINEAR, 1, tokens, values);
                    });
    float heights[16];
    for (int k = 0; k < 16; ++k) heights[k] = float(k) / 4;
    expectBothForms("qelPatch \"bicubic\" \"height\" [0 0.25 0.5 0.75 1 1.25 1.5 1.75 2 2.25 2.5 "
                    "2.75 3 3.25 3.5 3.75]",
                    [&] { qelPatch(QEL_PATCH_BICUBIC, height, heights, 0); },
                    [&] {
                        unsigned short tokens[] = {height};
                        void* values[] = {heights};
                        qelPatchV(QEL_PATCH_BICUBIC, 1, tokens, values);
                    });
    float grid[18] = {0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, 1, 1, 1, 2, 1, 0};
    expectBothForms("qelPatchMesh \"bilinear\" 3 \"nowrap\" 2 \"nowrap\" \"point\" [0 0 0 1 0 0 2 "
                    "0 0 0 1 0 1 1 1 2 1 0]",
                    [&] {
                        qelPatchMesh(QEL_PATCH_BILINEAR, 3, QEL_NOWRAP, 2, QEL_NOWRAP, point, grid,
                                     0);
                    },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {grid};
                        qelPatchMeshV(QEL_PATCH_BILINEAR, 3, QEL_NOWRAP, 2, QEL_NOWRAP, 1, tokens,
                                      values);
                    });
}

TEST_F(RequestLineTest, Nurbs) {
    unsigned short point = qelQuark("point"), pointw = qelQuark("pointw");
    float knots[4] = {0, 0, 1, 1};
    const float* square = fSquare;
    expectBothForms("qelNurb 2 [0 0 1 1] 0 1 2 [0 0 1 1] 0 1 \"point\" [-1 -1 0 1 -1 0 1 1 0 -1 "
                    "1 0]",
                    [&] { qelNurb(2, knots, 0, 1, 2, knots, 0, 1, point, square, 0); },
                    [&] {
                        unsigned short tokens[] = {point};
                        void* values[] = {const_cast<float*>(square)};
                        qelNurbV(2, knots, 0, 1, 2, knots, 0, 1, 1, tokens, values);
                    });
    float uknots[6] = {0, 0, 0, 1, 1, 1};
    float weighted[24] = {1, 0, 0, 1, 0.707107f, 0.707107f, 0, 0.707107f, 0, 1, 0, 1,
                          1, 0, 1, 1, 0.707107f, 0.707107f, 0.707107f, 0.707107f, 0, 1, 1, 1};
    expectBothForms("qelNurbMesh 3 3 [0 0 0 1 1 1] 0 1 2 2 [0 0 1 1] 0 1 \"pointw\" [1 0 0 1 "
                    "0.707107 0.707107 0 0.707107 0 1 0 1 1 0 1 1 0.707107 0.707107 0.707107 "
                    "0.707107 0 1 1 1]",
                    [&] {
                        qelNurbMesh(3, 3, uknots, 0, 1, 2, 2, knots, 0, 1, pointw, weighted, 0);
                    },
                    [&] {
                        unsigned short tokens[] = {pointw};
                        void* values[] = {weighted};
                        qelNurbMeshV(3, 3, uknots, 0, 1, 2, 2, knots, 0, 1, 1, tokens, values);
                    });
}

TEST_F(RequestLineTest, TrimCurves) {
    long curves[2] = {1, 2}, order[3] = {3, 2, 2}, count[3] = {3, 2, 2};
    float knots[16] = {0, 0, 0, 1, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
    float min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
    float u[7] = {0, 0.5f, 1, 0.2f, 0.8f, 0.8f, 0.2f};
    float v[7] = {0, 1, 0, 0.2f, 0.2f, 0.8f, 0.8f};
    float w[7] = {1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(line([&] { qelTrimCurve(2, curves, order, knots, min, max, count, u, v, w); }),
              "qelTrimCurve [1 2] [3 2 2] [0 0 0 1 1 1 0 0 1 1 0 0 1 1] [0 0 0] [1 1 1] [3 2 2] "
              "[0 0.5 1 0.2 0.8 0.8 0.2] [0 1 0 0.2 0.2 0.8 0.8] [1 1 1 1 1 1 1]");
}

TEST_F(RequestLineTest, Quadrics) {
    unsigned short color = qelQuark("color");
    float corners[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 1};
    const std::string colors = " \"color\" [1 0 0 0 1 0 0 0 1 1 1 1]";
    unsigned short tokens[] = {color};
    void* values[] = {corners};
    float p1[3] = {1, 0, -1}, p2[3] = {0, 1, 1};
    expectBothForms("qelSphere 1 -1 1 360" + colors,
                    [&] { qelSphere(1, -1, 1, 360, color, corners, 0); },
                    [&] { qelSphereV(1, -1, 1, 360, 1, tokens, values); });
    expectBothForms("qelCone 1 2 1.5 270" + colors,
                    [&] { qelCone(1, 2, 1.5f, 270, color, corners, 0); },
                    [&] { qelConeV(1, 2, 1.5f, 270, 1, tokens, values); });
    expectBothForms("qelCylinder 0.5 0 1.6 300" + colors,
                    [&] { qelCylinder(0.5f, 0, 1.6f, 300, color, corners, 0); },
                    [&] { qelCylinderV(0.5f, 0, 1.6f, 300, 1, tokens, values); });
    expectBothForms("qelHyperboloid 1 0 -1 0 1 1 360" + colors,
                    [&] { qelHyperboloid(p1, p2, 360, color, corners, 0); },
                    [&] { qelHyperboloidV(p1, p2, 360, 1, tokens, values); });
    expectBothForms("qelParaboloid 1 0 2 360" + colors,
                    [&] { qelParaboloid(1, 0, 2, 360, color, corners, 0); },
                    [&] { qelParaboloidV(1, 0, 2, 360, 1, tokens, values); });
    expectBothForms("qelDisk 0 6 360" + colors, [&] { qelDisk(0, 6, 360, color, corners, 0); },
                    [&] { qelDiskV(0, 6, 360, 1, tokens, values); });
    expectBothForms("qelTorus 0.45 0.15 0 360 360" + colors,
                    [&] { qelTorus(0.45f, 0.15f, 0, 360, 360, color, corners, 0); },
                    [&] { qelTorusV(0.45f, 0.15f, 0, 360, 360, 1, tokens, values); });
    EXPECT_EQ(line([] { qelSphere(1, -1, 1, 360, 0); }), "qelSphere 1 -1 1 360");
}

TEST_F(RequestLineTest, SolidsAndObjects) {
    const void* object = nullptr;
    Lines lines = write([&] {
        qelSolidBegin(QEL_SOLID_DIFFERENCE);
        qelSolidBegin(QEL_SOLID_PRIMITIVE);
        qelSolidEnd();
        qelSolidEnd();
        object = qelObjectBegin();
        qelObjectEnd();
        qelObjectCall(object);
    });
    std::string handle = std::to_string(reinterpret_cast<long>(object));
    EXPECT_EQ(lines, (Lines{"qelSolidBegin \"difference\"", "qelSolidBegin \"primitive\"",
                            "qelSolidEnd", "qelSolidEnd", "qelObjectBegin " + handle,
                            "qelObjectEnd", "qelObjectCall " + handle}));
}

TEST_F(RequestLineTest, MotionBlocksWriteTheirTimesAndRefuseBadOnes) {
    const float times[2] = {0, 0.5f}, backwards[2] = {1, 0};
    Lines lines = write([&] {
        qelMotionBeginV(2, times);
        qelTranslate(0, 0, 0);
        qelTranslate(1, 0, 0);
        qelMotionEnd();
        qelMotionBegin(3, 0.0, 0.25, 1.0);
        qelMotionEnd();
        qelMotionBeginV(2, backwards);
        qelMotionBeginV(100000, nullptr);
    });
    EXPECT_EQ(lines, (Lines{"qelMotionBegin [0 0.5]", "qelTranslate 0 0 0", "qelTranslate 1 0 0",
                            "qelMotionEnd", "qelMotionBegin [0 0.25 1]", "qelMotionEnd"}));
}

TEST_F(RequestLineTest, TexturesNameTheirFilter) {
    unsigned short fov = qelVariable("blur", QEL_CLASS_CONST, QEL_TYPE_FLOAT);
    float blur = 0.5f;
    unsigned short tokens[] = {fov};
    void* values[] = {&blur};
    const std::string blurred = " \"blur\" [0.5]";
    expectBothForms("qelMakeTexture \"brick.tif\" \"brick.tx\" \"wrap\" \"nowrap\" \"box\" 1 1" +
                        blurred,
                    [&] {
                        qelMakeTexture("brick.tif", "brick.tx", QEL_WRAP, QEL_NOWRAP,
                                       qelBoxFilter, 1, 1, fov, &blur, 0);
                    },
                    [&] {
                        qelMakeTextureV("brick.tif", "brick.tx", QEL_WRAP, QEL_NOWRAP,
                                        qelBoxFilter, 1, 1, 1, tokens, values);
                    });
    expectBothForms("qelMakeBump \"dent.tif\" \"dent.tx\" \"nowrap\" \"wrap\" \"triangle\" 2 "
                    "1.5" + blurred,
                    [&] {
                        qelMakeBump("dent.tif", "dent.tx", QEL_NOWRAP, QEL_WRAP,
                                    qelTriangleFilter, 2, 1.5f, fov, &blur, 0);
                    },
                    [&] {
                        qelMakeBumpV("dent.tif", "dent.tx", QEL_NOWRAP, QEL_WRAP,
                                     qelTriangleFilter, 2, 1.5f, 1, tokens, values);
                    });
    expectBothForms("qelMakeLatLongEnvironment \"sky.tif\" \"sky.env\" \"catmull-rom\" 2 2" +
                        blurred,
                    [&] {
                        qelMakeLatLongEnvironment("sky.tif", "sky.env", qelCatmullRomFilter, 2,
                                                  2, fov, &blur, 0);
                    },
                    [&] {
                        qelMakeLatLongEnvironmentV("sky.tif", "sky.env", qelCatmullRomFilter, 2,
                                                   2, 1, tokens, values);
                    });
    expectBothForms("qelMakeCubeFaceEnvironment \"px\" \"nx\" \"py\" \"ny\" \"pz\" \"nz\" "
                    "\"room.env\" 95 \"sinc\" 4 4" + blurred,
                    [&] {
                        qelMakeCubeFaceEnvironment("px", "nx", "py", "ny", "pz", "nz", "room.env",
                                                   95, qelSincFilter, 4, 4, fov, &blur, 0);
                    },
                    [&] {
                        qelMakeCubeFaceEnvironmentV("px", "nx", "py", "ny", "pz", "nz",
                                                    "room.env", 95, qelSincFilter, 4, 4, 1,
                                                    tokens, values);
                    });
    expectBothForms("qelMakeShadow \"depth.z\" \"shadow.tx\"" + blurred,
                    [&] { qelMakeShadow("depth.z", "shadow.tx", fov, &blur, 0); },
                    [&] { qelMakeShadowV("depth.z", "shadow.tx", 1, tokens, values); });
}

float customFilter(float, float, float, float) { return 1; }

TEST_F(RequestLineTest, AnyOtherFilterIsWrittenAsGaussian) {
    EXPECT_EQ(write([] {
                  qelMakeLatLongEnvironment("a", "b", qelGaussianFilter, 1, 1, 0);
                  qelMakeLatLongEnvironment("a", "b", customFilter, 1, 1, 0);
                  qelMakeLatLongEnvironment("a", "b", nullptr, 1, 1, 0);
              }),
              (Lines{"qelMakeLatLongEnvironment \"a\" \"b\" \"gaussian\" 1 1",
                     "qelMakeLatLongEnvironment \"a\" \"b\" \"gaussian\" 1 1",
                     "qelMakeLatLongEnvironment \"a\" \"b\" \"gaussian\" 1 1"}));
}

TEST_F(RequestLineTest, ErrorHandler) {
    EXPECT_EQ(write([] {
                  qelErrorHandler(QEL_SEVERITY_IWES, QEL_HANDLER_PRINT);
                  qelErrorHandler(QEL_SEVERITY_INFO, QEL_HANDLER_IGNORE);
                  qelErrorHandler(QEL_SEVERITY_SEVERE, QEL_HANDLER_ABORT);
              }),
              (Lines{"qelErrorHandler \"iwes\" \"print\"", "qelErrorHandler \"info\" \"ignore\"",
                     "qelErrorHandler \"severe\" \"abort\""}));
}

} // namespace
