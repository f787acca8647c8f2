// The frame every request of the renderer library runs in: it names itself
// for error reports while it runs, and the plain forms collect their
// variable argument list of (token, value) pairs into arrays.
#ifndef QEL_STATE_REQUESTFRAME_H
#define QEL_STATE_REQUESTFRAME_H

#include <cstdarg>
#include <memory>

namespace quelmark {

// Names the request running on this thread for its lifetime; a request
// made inside another (by a procedural's callback) gives the outer one its
// name back when it ends.
class RequestName {
public:
    explicit RequestName(const char* name);
    ~RequestName();
    RequestName(const RequestName&) = delete;
    RequestName& operator=(const RequestName&) = delete;

private:
    const char* fOuter;
};

// A parameter list collected from "..." up to the zero token.
class VaParms {
public:
    explicit VaParms(va_list args);

    long count() const { return fCount; }
    const unsigned short* tokens() const { return fTokens.get(); }
    void* const* values() const { return fValues.get(); }

private:
    long fCount = 0;
    std::unique_ptr<unsigned short[]> fTokens;
    std::unique_ptr<void*[]> fValues;
};

} // namespace quelmark

#endif
