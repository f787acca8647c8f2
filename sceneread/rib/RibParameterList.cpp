#include "sceneread/rib/RibParameterList.h"

#include <utility>

namespace quelmark {

long RibParameter::count() const {
    if (!declared) return 0;
    if (declaration.isString()) return long(strings.size());
    if (declaration.isInteger()) return long(ints.size());
    return long(floats.size());
}

RtPointer RibParameter::values() {
    if (!declared) return nullptr;
    if (declaration.isString()) {
        stringPointers.clear();
        for (const std::string& text : strings)
            stringPointers.push_back(text.c_str());
        return stringPointers.data();
    }
    if (declaration.isInteger()) return ints.data();
    return floats.data();
}

RibParameter& RibParameterList::add() {
    if (fUsed == fEntries.size()) fEntries.push_back(std::make_unique<RibParameter>());
    RibParameter& entry = *fEntries[fUsed++];
    entry.declared = true;
    entry.floats.clear();
    entry.ints.clear();
    entry.strings.clear();
    return entry;
}

void RibParameterList::remove(size_t k) {
    for (size_t j = k; j + 1 < fUsed; ++j)
        std::swap(fEntries[j], fEntries[j + 1]);
    --fUsed;
}

RibParameter* RibParameterList::find(std::string_view name) {
    for (size_t k = 0; k < fUsed; ++k)
        if (fEntries[k]->declared && fEntries[k]->name == name) return fEntries[k].get();
    return nullptr;
}

const RtToken* RibParameterList::tokens() {
    fTokens.clear();
    for (size_t k = 0; k < fUsed; ++k)
        fTokens.push_back(fEntries[k]->token.c_str());
    return fTokens.data();
}

const RtPointer* RibParameterList::values() {
    fValues.clear();
    for (size_t k = 0; k < fUsed; ++k)
        fValues.push_back(fEntries[k]->values());
    return fValues.data();
}

} // namespace quelmark
