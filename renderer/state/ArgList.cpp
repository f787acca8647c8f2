#include "renderer/state/ArgList.h"

#include "api/qel.h"
#include "common/Color.h"
#include "common/ColorSpace.h"
#include "common/Error.h"
#include "common/Matrix.h"
#include "common/Quark.h"

#include <algorithm>
#include <cmath>

namespace quelmark {

namespace {

// More values than this in one parameter can only be a wrong count.
constexpr double kMaxValues = double(1 << 26);

enum : short {
    kClassNo = QEL_CLASS_NO,
    kClassConst = QEL_CLASS_CONST,
    kClassVary = QEL_CLASS_VARY,
    kClassVertex = QEL_CLASS_VERTEX,
};
enum : short {
    kTypeNo = QEL_TYPE_NO,
    kTypeFloat = QEL_TYPE_FLOAT,
    kTypeInteger = QEL_TYPE_INTEGER,
    kTypeString = QEL_TYPE_STRING,
    kTypePair = QEL_TYPE_PAIR,
    kTypePoint = QEL_TYPE_POINT,
    kTypePointw = QEL_TYPE_POINTW,
    kTypeColor = QEL_TYPE_COLOR,
};

long itemsOfClass(short parameterClass, const ParameterCounts& counts) {
    switch (parameterClass) {
    case kClassConst: return counts.uniform;
    case kClassVary: return counts.varying;
    case kClassVertex: return counts.vertex;
    default: return 1;
    }
}

// Floats per value as the caller passes them.
int callerWidth(short parameterType) {
    switch (parameterType) {
    case kTypePair: return 2;
    case kTypePoint: return 3;
    case kTypePointw: return 4;
    case kTypeColor: return int(currentColorSpace().samples);
    default: return 1;
    }
}

void copyColors(ArgAssoc& entry, const float* values) {
    int samples = callerWidth(kTypeColor);
    entry.width = 3;
    entry.floats.resize(size_t(entry.items) * 3);
    for (long i = 0; i < entry.items; ++i) {
        Color c;
        c.fromNsamples(values + i * samples);
        float* out = entry.item(i);
        out[0] = c.r, out[1] = c.g, out[2] = c.b;
    }
}

void copyValues(ArgAssoc& entry, const void* values) {
    switch (entry.parameterType) {
    case kTypeInteger: {
        const long* in = static_cast<const long*>(values);
        entry.width = 1;
        entry.integers.assign(in, in + entry.items);
        break;
    }
    case kTypeString: {
        const char* const* in = static_cast<const char* const*>(values);
        entry.width = 1;
        entry.strings.reserve(size_t(entry.items));
        for (long i = 0; i < entry.items; ++i) entry.strings.emplace_back(in[i]);
        break;
    }
    case kTypeColor: copyColors(entry, static_cast<const float*>(values)); break;
    default: {
        const float* in = static_cast<const float*>(values);
        entry.width = callerWidth(entry.parameterType);
        entry.floats.assign(in, in + entry.items * entry.width);
        break;
    }
    }
}

// Checks one parameter against its quark; false (reported) when it cannot be taken.
bool acceptable(unsigned short quark, const void* values, long items, short parameterClass,
                short parameterType) {
    const char* name = getString(quark);
    if (!name) {
        error(kErrSyntax, kError, "unknown parameter token %u", unsigned(quark));
        return false;
    }
    if (parameterType == kTypeNo) {
        error(kErrSyntax, kError, "parameter \"%s\" takes no value", name);
        return false;
    }
    if (!values) {
        error(kErrMissingData, kError, "parameter \"%s\" has no values", name);
        return false;
    }
    bool interpolated = parameterClass == kClassVary || parameterClass == kClassVertex;
    if (interpolated && (parameterType == kTypeInteger || parameterType == kTypeString)) {
        error(kErrConsistency, kError, "cannot interpolate integers nor strings");
        return false;
    }
    if (items < 0 || double(items) * callerWidth(parameterType) > kMaxValues) {
        error(kErrRange, kError, "parameter \"%s\" has %ld values, too many", name, items);
        return false;
    }
    return true;
}

} // namespace

bool ArgAssoc::finiteItems(long count) const {
    size_t n = std::min(floats.size(), size_t(std::max(count, 0L)) * size_t(width));
    return std::all_of(floats.begin(), floats.begin() + long(n),
                       [](float f) { return std::isfinite(f); });
}

ArgList::ArgList(long n, const unsigned short* tokens, void* const* values,
                 const ParameterCounts& counts) {
    if (n <= 0 || !tokens || !values) return;
    fEntries.reserve(size_t(n));
    for (long i = 0; i < n; ++i) {
        unsigned short quark = tokens[i];
        short parameterClass = getClass(quark);
        short parameterType = getType(quark);
        long items = itemsOfClass(parameterClass, counts);
        if (!acceptable(quark, values[i], items, parameterClass, parameterType)) continue;
        ArgAssoc entry;
        entry.quark = quark;
        entry.parameterClass = parameterClass;
        entry.parameterType = parameterType;
        entry.items = items;
        copyValues(entry, values[i]);
        fEntries.push_back(std::move(entry));
    }
}

const ArgAssoc* ArgList::find(unsigned short quark) const {
    for (const ArgAssoc& entry : fEntries)
        if (entry.quark == quark) return &entry;
    return nullptr;
}

bool ArgList::require(std::initializer_list<unsigned short> quarks) const {
    unsigned found = 0;
    for (const ArgAssoc& entry : fEntries)
        for (unsigned short quark : quarks)
            if (entry.quark == quark) ++found;
    if (found == 1) return true;
    if (found == 0)
        error(kErrMissingData, kError, "required argument missing");
    else
        error(kErrConsistency, kError, "required argument specified %u times", found);
    return false;
}

void ArgList::project(const Matrix& m) {
    // The inverse transpose only when a normal is there to move.
    Matrix normals;
    bool haveNormals = false;
    for (ArgAssoc& entry : fEntries) {
        const bool isNormal = entry.quark == kQuarkNormal || entry.quark == kQuarkPlane;
        if (isNormal && entry.parameterType == kTypePoint && !haveNormals && entry.items > 0) {
            normals = invtranspose(m);
            haveNormals = true;
        }
        for (long i = 0; i < entry.items; ++i) {
            float* v = entry.floats.empty() ? nullptr : entry.item(i);
            if (!v) break;
            if (entry.parameterType == kTypePoint) {
                Point p(v[0], v[1], v[2]);
                p = isNormal ? vtransform(p, normals) : p * m;
                v[0] = p.x, v[1] = p.y, v[2] = p.z;
            } else if (entry.parameterType == kTypePointw) {
                Pointw p = Pointw(v[0], v[1], v[2], v[3]) * m;
                v[0] = p.x, v[1] = p.y, v[2] = p.z, v[3] = p.w;
            }
        }
    }
}

bool validParameterList(long n, const unsigned short* tokens, void* const* values) {
    if (n < 0) {
        error(kErrRange, kError, "count %ld out of range", n);
        return false;
    }
    if (n > 0 && (!tokens || !values)) {
        error(kErrMissingData, kError, "parameter list must not be null");
        return false;
    }
    return true;
}

} // namespace quelmark
