#include "sceneread/rib/QelParameterList.h"

namespace quelmark {

void QelParameterList::clear() {
    fQuarks.clear();
    fValues.clear();
    fFloatsUsed = fLongsUsed = 0;
}

void QelParameterList::add(unsigned short quark, const void* values) {
    fQuarks.push_back(quark);
    // The scene API reads parameter values and never writes them.
    fValues.push_back(const_cast<void*>(values));
}

float* QelParameterList::addFloats(unsigned short quark, size_t count) {
    if (fFloatsUsed == fFloats.size()) fFloats.push_back(std::make_unique<std::vector<float>>());
    std::vector<float>& store = *fFloats[fFloatsUsed++];
    store.assign(count, 0.0f);
    add(quark, store.data());
    return store.data();
}

long* QelParameterList::addLongs(unsigned short quark, size_t count) {
    if (fLongsUsed == fLongs.size()) fLongs.push_back(std::make_unique<std::vector<long>>());
    std::vector<long>& store = *fLongs[fLongsUsed++];
    store.assign(count, 0);
    add(quark, store.data());
    return store.data();
}

} // namespace quelmark
