// A parameter list on its way to the scene API: quarks and value pointers
// in parallel, with storage for the values the binding had to convert.
// Values passed on unchanged are not copied.
#ifndef QEL_SCENEREAD_RIB_QELPARAMETERLIST_H
#define QEL_SCENEREAD_RIB_QELPARAMETERLIST_H

#include <memory>
#include <vector>

namespace quelmark {

class QelParameterList {
public:
    // Forgets the entries; storage is kept for the next list.
    void clear();

    // An entry whose values stay where they are.
    void add(unsigned short quark, const void* values);
    // Storage for count floats (or longs) that the entry added with it points to.
    float* addFloats(unsigned short quark, size_t count);
    long* addLongs(unsigned short quark, size_t count);

    long n() const { return long(fQuarks.size()); }
    const unsigned short* tokens() const { return fQuarks.data(); }
    void* const* values() const { return fValues.data(); }
    unsigned short quark(long k) const { return fQuarks[size_t(k)]; }
    const void* value(long k) const { return fValues[size_t(k)]; }

private:
    std::vector<unsigned short> fQuarks;
    std::vector<void*> fValues;
    // Kept from list to list; only the first fUsed are in use.
    std::vector<std::unique_ptr<std::vector<float>>> fFloats;
    std::vector<std::unique_ptr<std::vector<long>>> fLongs;
    size_t fFloatsUsed = 0, fLongsUsed = 0;
};

} // namespace quelmark

#endif
