// Collects the lines that error reports print while an instance is alive.
#ifndef QEL_TESTS_GEOMETRY_ERRORCAPTURE_H
#define QEL_TESTS_GEOMETRY_ERRORCAPTURE_H

#include "common/Error.h"

#include <string>
#include <vector>

using namespace quelmark;

class ErrorCapture {
public:
    ErrorCapture() {
        captured().clear();
        setErrorHandler(short(kError), errorPrint);
        setErrorPrinter(record);
    }
    ~ErrorCapture() { setErrorPrinter(printToStandardError); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    const std::vector<std::string>& lines() const { return captured(); }

private:
    static std::vector<std::string>& captured() {
        static std::vector<std::string> lines;
        return lines;
    }
    static void record(const char* text) { captured().emplace_back(text); }
};

#endif
