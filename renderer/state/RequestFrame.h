// The frame every request of the renderer library runs in: it names itself
// for error reports while it runs, and the plain forms collect their
// variable argument list of (token, value) pairs into arrays.
#ifndef QEL_STATE_REQUESTFRAME_H
#define QEL_STATE_REQUESTFRAME_H

#include <cstdarg>
#include <memory>

// Sets the request name for its lifetime; the name is cleared, not restored.
class RequestName {
public:
    explicit RequestName(const char* name);
    ~RequestName();
    RequestName(const RequestName&) = delete;
    RequestName& operator=(const RequestName&) = delete;
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

#endif
