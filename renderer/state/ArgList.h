// Parameter lists as requests hand them over, checked and copied.
//
// Each entry (an ArgAssoc) holds its own copy of the values: one item for the
// classes "no" and "const" (the uniform count), one per corner for "vary"
// (the varying count) and one per control vertex for "vertex" (the vertex
// count). Colours are kept as RGB whatever the colour samples of the request.
#ifndef QEL_STATE_ARGLIST_H
#define QEL_STATE_ARGLIST_H

#include "api/qel.h"
#include "common/String.h"

#include <initializer_list>
#include <vector>

namespace quelmark {

class Matrix;

// How many items each class of parameter has on one primitive.
struct ParameterCounts {
    long uniform = 1;
    long varying = 4;
    long vertex = 4;
};

class ArgAssoc {
public:
    unsigned short quark = 0;
    short parameterClass = QEL_CLASS_NO;
    short parameterType = QEL_TYPE_NO;
    long items = 0;              // number of values
    int width = 0;               // floats per value for the numeric types
    std::vector<float> floats;   // float, pair, point, pointw, color
    std::vector<long> integers;  // integer
    std::vector<String> strings; // string

    bool isNumeric() const {
        return parameterType != QEL_TYPE_INTEGER && parameterType != QEL_TYPE_STRING;
    }
    const float* item(long index) const { return floats.data() + index * width; }
    float* item(long index) { return floats.data() + index * width; }
    // Whether the floats of the first count items are all finite numbers.
    bool finiteItems(long count) const;
};

class ArgList {
public:
    ArgList() = default;
    // Entries that do not fit their quark's class and type are reported and
    // left out.
    ArgList(long n, const unsigned short* tokens, void* const* values,
            const ParameterCounts& counts);

    int count() const { return int(fEntries.size()); }
    bool empty() const { return fEntries.empty(); }
    const ArgAssoc& operator[](int index) const { return fEntries[index]; }
    ArgAssoc& operator[](int index) { return fEntries[index]; }
    const ArgAssoc* find(unsigned short quark) const;
    void add(ArgAssoc entry) { fEntries.push_back(std::move(entry)); }
    void clear() { fEntries.clear(); }

    // Exactly one of the quarks must be present, once. Reports "required
    // argument missing" or "required argument specified %u times".
    bool require(std::initializer_list<unsigned short> quarks) const;

    // Moves point values (and, by the inverse transpose, normals) by m.
    void project(const Matrix& m);

    auto begin() const { return fEntries.begin(); }
    auto end() const { return fEntries.end(); }

private:
    std::vector<ArgAssoc> fEntries;
};

// Reports a negative count of a V form or a missing parameter array.
bool validParameterList(long n, const unsigned short* tokens, void* const* values);

} // namespace quelmark

#endif
