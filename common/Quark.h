// The quark table: interned names, each with a 16-bit number, a class (how
// its values vary over a primitive) and a type (what one value is).
//
// One process-wide open-addressing hash table with a string store. The
// predefined names are declared first, so their numbers agree wherever the
// same code is compiled in.
#ifndef QEL_COMMON_QUARK_H
#define QEL_COMMON_QUARK_H

#include <cstdint>

namespace quelmark {

// Declares the predefined names on the first call; later calls do nothing.
void initQuark();

// The quark of name, created with the class and type when new; an existing
// name keeps its first class and type. 0 for a null name or a full table.
unsigned short declare(const char* name, short parameterClass, short parameterType);

// The quark of an existing name, or 0.
unsigned short find(const char* name);

// The name of a handed-out quark, or null.
const char* getString(unsigned short quark);

// Class (0xD00 + class bits) and type (0xE00 + type bits); 0xD00 and 0xE00
// for a number not handed out.
short getClass(unsigned short quark);
short getType(unsigned short quark);

uint32_t signature(const char* name);
void expandQuarkTable();

// The render program's copy makes no internal-consistency reports.
void setQuarkConsistencyReports(bool on);

// The predefined quarks, numbered in the order initQuark declares them.
enum PredefinedQuark : unsigned short {
    kQuarkPoint = 1,
    kQuarkHeight,
    kQuarkPointw,
    kQuarkNormal,
    kQuarkPlane,
    kQuarkColor,
    kQuarkOpacity,
    kQuarkConstant,
    kQuarkDiffuse,
    kQuarkMetal,
    kQuarkPlastic,
    kQuarkKa,
    kQuarkKd,
    kQuarkKs,
    kQuarkRoughness,
    kQuarkSpecularColor,
    kQuarkAmbient,
    kQuarkOmni,
    kQuarkDistant,
    kQuarkSpot,
    kQuarkIntensity,
    kQuarkFrom,
    kQuarkTo,
    kQuarkConeAngle,
    kQuarkConeDeltaAngle,
    kQuarkBeamDistribution,
    kQuarkDepthCue,
    kQuarkFog,
    kQuarkHither,
    kQuarkYon,
    kQuarkDistance,
    kQuarkRaster,
    kQuarkImage,
    kQuarkEye,
    kQuarkWorld,
    kQuarkModel,
    kQuarkDefaultSurface,
};

} // namespace quelmark

#endif
