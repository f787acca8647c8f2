// The frame of a geometric request: besides the request's name, the object
// and shading group the current attributes name stand in its reports.
#ifndef QEL_ENTRY_PRIMITIVEREQUEST_H
#define QEL_ENTRY_PRIMITIVEREQUEST_H

#include "common/Error.h"
#include "renderer/state/Attrib.h"
#include "renderer/state/RequestFrame.h"

namespace quelmark {

class PrimitiveRequest : public RequestName {
public:
    explicit PrimitiveRequest(const char* name) : RequestName(name) {
        if (!gAttrib) return;
        setAttribNames(nameOrNull(gAttrib->objectNameValue), nameOrNull(gAttrib->groupNameValue));
    }
    ~PrimitiveRequest() { setAttribNames(nullptr, nullptr); }
    PrimitiveRequest(const PrimitiveRequest&) = delete;
    PrimitiveRequest& operator=(const PrimitiveRequest&) = delete;

private:
    static const char* nameOrNull(const String& name) {
        return name.empty() ? nullptr : name.c_str();
    }
};

} // namespace quelmark

#endif
