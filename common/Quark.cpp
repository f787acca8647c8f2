#include "common/Quark.h"

#include "api/qel.h"
#include "common/Error.h"

#include <cstdlib>
#include <cstring>

namespace quelmark {

namespace {

constexpr short kClassNo = QEL_CLASS_NO, kClassConst = QEL_CLASS_CONST, kClassVary = QEL_CLASS_VARY,
                kClassVertex = QEL_CLASS_VERTEX;
constexpr short kTypeNo = QEL_TYPE_NO, kTypeFloat = QEL_TYPE_FLOAT, kTypePoint = QEL_TYPE_POINT,
                kTypePointw = QEL_TYPE_POINTW, kTypeColor = QEL_TYPE_COLOR;

struct Predefined {
    const char* name;
    short parameterClass;
    short parameterType;
};

constexpr Predefined kPredefined[] = {
    {"point", kClassVertex, kTypePoint},      {"height", kClassVertex, kTypeFloat},
    {"pointw", kClassVertex, kTypePointw},    {"normal", kClassVary, kTypePoint},
    {"plane", kClassConst, kTypePoint},       {"color", kClassVary, kTypeColor},
    {"opacity", kClassVary, kTypeColor},      {"constant", kClassNo, kTypeNo},
    {"diffuse", kClassNo, kTypeNo},           {"metal", kClassNo, kTypeNo},
    {"plastic", kClassNo, kTypeNo},           {"ka", kClassConst, kTypeFloat},
    {"kd", kClassConst, kTypeFloat},          {"ks", kClassConst, kTypeFloat},
    {"roughness", kClassConst, kTypeFloat},   {"specularcolor", kClassConst, kTypeColor},
    {"ambient", kClassNo, kTypeNo},           {"omni", kClassNo, kTypeNo},
    {"distant", kClassNo, kTypeNo},           {"spot", kClassNo, kTypeNo},
    {"intensity", kClassConst, kTypeFloat},   {"from", kClassConst, kTypePoint},
    {"to", kClassConst, kTypePoint},          {"coneangle", kClassConst, kTypeFloat},
    {"conedeltaangle", kClassConst, kTypeFloat}, {"beamdistribution", kClassConst, kTypeFloat},
    {"depthcue", kClassNo, kTypeNo},          {"fog", kClassNo, kTypeNo},
    {"hither", kClassConst, kTypeFloat},      {"yon", kClassConst, kTypeFloat},
    {"distance", kClassConst, kTypeFloat},    {"raster", kClassNo, kTypeNo},
    {"image", kClassNo, kTypeNo},             {"eye", kClassNo, kTypeNo},
    {"world", kClassNo, kTypeNo},             {"model", kClassNo, kTypeNo},
    {"defaultsurface", kClassNo, kTypeNo},
};

constexpr unsigned kPageSize = 256;
constexpr unsigned kDirectoryGrowth = 8;

// Class-wide state of the table. The mask is kept in 32 bits so that the
// table can grow past 65536 entries while numbers run out at 65535.
struct Quark {
    static inline unsigned short fNext = 1;
    static inline uint32_t fMask = 0;
    static inline uint32_t fZero = 0;
    static inline uint32_t* fTable = &fZero;
    static inline char*** fStringTable = nullptr;
    static inline unsigned fPages = 0;
    static inline uint32_t fRehash = 0;
    static inline bool fInitialised = false;
    static inline bool fReports = true;
};

uint32_t entryNumber(uint32_t entry) { return entry & 0xFFFF; }
uint32_t entryHashBits(uint32_t entry) { return (entry >> 16) & 0x7FF; }

uint32_t makeEntry(unsigned short quark, uint32_t hash, short parameterClass, short parameterType) {
    return quark | (hash & 0x7FF) << 16 | (uint32_t(parameterType) & 7) << 27 |
           (uint32_t(parameterClass) & 3) << 30;
}

uint32_t probeStep(uint32_t hash) { return ((hash % Quark::fRehash) + 2) | 1; }

// The slot holding name, or the empty slot that ends its probe sequence.
uint32_t probeName(const char* name, uint32_t hash) {
    uint32_t slot = hash & Quark::fMask;
    uint32_t step = 0;
    while (uint32_t entry = Quark::fTable[slot]) {
        if (entryHashBits(entry) == (hash & 0x7FF) &&
            std::strcmp(getString(entryNumber(entry)), name) == 0)
            return slot;
        if (step == 0) step = probeStep(hash);
        slot = (slot + step) & Quark::fMask;
    }
    return slot;
}

// The slot holding quark, or the empty slot that ends the probe sequence.
uint32_t probeNumber(unsigned short quark, uint32_t hash) {
    uint32_t slot = hash & Quark::fMask;
    uint32_t step = 0;
    while (uint32_t entry = Quark::fTable[slot]) {
        if (entryNumber(entry) == quark) return slot;
        if (step == 0) step = probeStep(hash);
        slot = (slot + step) & Quark::fMask;
    }
    return slot;
}

char* copyName(const char* name) {
    size_t size = std::strlen(name) + 1;
    char* copy = new char[size];
    std::memcpy(copy, name, size);
    return copy;
}

void growDirectory(unsigned pages) {
    char*** directory = new char**[pages]();
    for (unsigned i = 0; i < Quark::fPages; ++i) directory[i] = Quark::fStringTable[i];
    delete[] Quark::fStringTable;
    Quark::fStringTable = directory;
    Quark::fPages = pages;
}

void storeName(unsigned short quark, const char* name) {
    unsigned page = quark >> 8;
    if ((quark & 255) == 0) {
        if ((quark & 0x7FF) == 0) growDirectory(page + kDirectoryGrowth);
        Quark::fStringTable[page] = new char*[kPageSize]();
    }
    Quark::fStringTable[page][quark & 255] = copyName(name);
}

// The entry of a handed-out quark, or 0 (with a report) when its own name
// does not lead to it.
uint32_t entryOf(unsigned short quark) {
    const char* name = getString(quark);
    if (!name) return 0;
    uint32_t entry = Quark::fTable[probeNumber(quark, signature(name))];
    if (entry == 0 && Quark::fReports) error(kErrBug, kError, "lost quark %s", name);
    return entry;
}

} // namespace

uint32_t signature(const char* name) {
    uint32_t h = 0;
    for (const char* c = name; *c; ++c) {
        h = (h << 4) + uint32_t(int32_t(static_cast<signed char>(*c)));
        uint32_t g = h & 0xF0000000u;
        if (g) h = h ^ g ^ (g >> 24);
    }
    return h;
}

void expandQuarkTable() {
    uint32_t oldMask = Quark::fMask;
    uint32_t* oldTable = Quark::fTable;
    uint32_t newMask;
    if (oldMask == 0) {
        growDirectory(kDirectoryGrowth);
        Quark::fStringTable[0] = new char*[kPageSize]();
        newMask = 511;
    } else {
        newMask = 2 * oldMask + 1;
    }
    Quark::fTable = new uint32_t[size_t(newMask) + 1]();
    Quark::fMask = newMask;
    Quark::fRehash = newMask - 2;
    if (oldTable == &Quark::fZero) return;
    for (uint32_t slot = 0; slot <= oldMask; ++slot) {
        uint32_t entry = oldTable[slot];
        if (!entry) continue;
        const char* name = getString(entryNumber(entry));
        Quark::fTable[probeNumber(entryNumber(entry), signature(name))] = entry;
    }
    delete[] oldTable;
}

void initQuark() {
    if (Quark::fInitialised) return;
    Quark::fInitialised = true;
    unsigned short last = 0;
    for (const Predefined& p : kPredefined) last = declare(p.name, p.parameterClass, p.parameterType);
    if (last != kQuarkDefaultSurface && Quark::fReports) error(kErrBug, kError, "predefined quark mismatch");
}

unsigned short declare(const char* name, short parameterClass, short parameterType) {
    if (!name) return 0;
    uint32_t hash = signature(name);
    uint32_t slot = probeName(name, hash);
    if (uint32_t entry = Quark::fTable[slot]) return entryNumber(entry);
    if (Quark::fNext == 0) return 0;
    if (uint32_t(Quark::fNext) + Quark::fNext / 4 > Quark::fMask) {
        expandQuarkTable();
        slot = probeName(name, hash);
    }
    unsigned short quark = Quark::fNext++;
    storeName(quark, name);
    Quark::fTable[slot] = makeEntry(quark, hash, parameterClass, parameterType);
    return quark;
}

unsigned short find(const char* name) {
    if (!name) return 0;
    return entryNumber(Quark::fTable[probeName(name, signature(name))]);
}

const char* getString(unsigned short quark) {
    if (quark == 0 || (Quark::fNext != 0 && quark >= Quark::fNext)) return nullptr;
    return Quark::fStringTable[quark >> 8][quark & 255];
}

short getClass(unsigned short quark) {
    uint32_t entry = entryOf(quark);
    return short(QEL_CLASS_NO + (entry >> 30));
}

short getType(unsigned short quark) {
    uint32_t entry = entryOf(quark);
    return short(QEL_TYPE_NO + ((entry >> 27) & 7));
}

void setQuarkConsistencyReports(bool on) { Quark::fReports = on; }

} // namespace quelmark
