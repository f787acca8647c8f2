// The attribute block: how the primitives made under it look. The current
// block is gAttrib; primitives share counted snapshots of it.
#ifndef QEL_STATE_ATTRIB_H
#define QEL_STATE_ATTRIB_H

#include "api/qel.h"
#include "common/Bound.h"
#include "common/Color.h"
#include "common/List.h"
#include "common/Matrix.h"
#include "common/String.h"
#include "renderer/state/DetailLevel.h"
#include "renderer/state/SnapshotWord.h"

namespace quelmark {

class Light;
class Shader;

class Attrib {
public:
    Attrib();
    Attrib(const Attrib& other);
    Attrib& operator=(const Attrib& other);
    ~Attrib();

    void init();

    // The requests; each checks that attributes may change now.
    void color(const float* samples);
    void opacity(const float* samples);
    void textureCoordinates(const float st[8]);
    Light* lightSource(unsigned short shader, long n, const unsigned short* tokens,
                       void* const* values);
    // A light source that shines from the surface of the primitives made
    // under these attributes from now on.
    Light* areaLightSource(unsigned short shader, long n, const unsigned short* tokens,
                           void* const* values);
    void lightSwitch(const void* light, short on);
    void surface(unsigned short shader, long n, const unsigned short* tokens,
                 void* const* values);
    void atmosphere(unsigned short shader, long n, const unsigned short* tokens,
                    void* const* values);
    // A compiled displacement shader, or none for the quark 0.
    void displacement(unsigned short shader, long n, const unsigned short* tokens,
                      void* const* values);
    void shadingRate(float rate);
    void shadingModel(short model);
    void matteObject(short on);
    void bound(const float* bound);
    void flatness(float value);
    void orientation(short code);
    void backface(short on);
    void boundDisplacement(float distance);
    void objectName(const char* name);
    void groupName(const char* name);
    void basis(short application, short basis);
    void customBasis(short application, const float m[4][4], long step);
    // Levels of detail: the bound, in the current object space, and the
    // range of the representations made from now on.
    void detail(const float bound[6]);
    void detailRange(float leastVisible, float lowerTransition, float upperTransition,
                     float mostVisible);

    SnapshotWord snapshot;

    Color colorValue{1, 1, 1};
    Color opacityValue{1, 1, 1};
    float textureST[8];
    Shader* surfaceShader = nullptr;
    unsigned short surfaceName = 0;
    Shader* atmosphereShader = nullptr; // none by default
    unsigned short atmosphereName = 0;
    Shader* displacementShader = nullptr; // none by default
    unsigned short displacementName = 0;
    List<Light*> activeLights;
    // The area light whose surface the primitives made now belong to; owned
    // by the graphics state, as every light is.
    Light* areaLight = nullptr;
    float shadingRateRoot = 1.0f; // the square root of the shading rate
    short shadingModelCode = QEL_SHADING_FLAT;
    short matte = 0;
    Bound boundValue;
    float flatnessValue = 0.5f;
    short orientationCode = QEL_ORIENT_LH; // or QEL_ORIENT_RH
    short sides = 2;
    float displacementBound = 0.0f;
    String objectNameValue;
    String groupNameValue;
    Matrix uBasis, vBasis;
    long uStep = 3, vStep = 3;
    // The detail bound's corners in camera space, and the range given; the
    // window of the primitives made now, for the frame's camera.
    bool detailBoundSet = false, detailRangeSet = false;
    Point detailCorners[8];
    float detailRangeValue[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    DetailWindow detailSeen;

private:
    void chooseDetail();
    bool allowed() const;
    void changed() { snapshot.setChanged(); }
    void copyFrom(const Attrib& other);
    void releaseShaders();
    bool knownLight(const void* light) const;
    void setBasis(short application, const float m[4][4], long step);
};

extern Attrib* gAttrib;

} // namespace quelmark

#endif
