// A parameter list read from a RIB file: each token with the declaration it
// was read under and its values, numbers or strings, as the file gave them.
// Storage is kept from request to request.
#ifndef QEL_SCENEREAD_RIB_RIBPARAMETERLIST_H
#define QEL_SCENEREAD_RIB_RIBPARAMETERLIST_H

#include "sceneread/rib/RiDeclarations.h"
#include "sceneread/rib/ri.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelmark {

struct RibParameter {
    std::string token; // as written, an inline declaration included
    std::string name;  // the bare name
    // False for a name kept without declaration by a request that takes any.
    bool declared = true;
    RiDeclaration declaration;
    std::vector<float> floats;
    std::vector<RtInt> ints;
    std::vector<std::string> strings;
    std::vector<const char*> stringPointers;

    // Numbers or strings read.
    long count() const;
    // The value pointer of the RenderMan Interface's vector form.
    RtPointer values();
};

class RibParameterList {
public:
    void clear() { fUsed = 0; }
    RibParameter& add();
    void removeLast() { --fUsed; }
    // Drops entry k; the order of the others is kept.
    void remove(size_t k);

    size_t size() const { return fUsed; }
    RibParameter& operator[](size_t k) { return *fEntries[k]; }
    // The entry of that bare name, or null.
    RibParameter* find(std::string_view name);

    // The tokens and value pointers of the vector form, valid until the list changes.
    RtInt n() const { return RtInt(fUsed); }
    const RtToken* tokens();
    const RtPointer* values();

private:
    std::vector<std::unique_ptr<RibParameter>> fEntries;
    size_t fUsed = 0;
    std::vector<RtToken> fTokens;
    std::vector<RtPointer> fValues;
};

} // namespace quelmark

#endif
