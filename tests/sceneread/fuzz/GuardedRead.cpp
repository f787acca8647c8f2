#include "GuardedRead.h"

#include "sceneread/ReaderReports.h"
#include "sceneread/rendqel.h"
#include "sceneread/rib/rendrib.h"

#include <sstream>

using namespace quelmark;

namespace {

struct Aborted {};

[[noreturn]] void throwAborted() {
    throw Aborted{};
}

void quiet(const char*) {}

template <class Reader> bool readGuarded(std::istream& in, const char* name) {
    String frame;
    Reader reader(in, name, frame);
    reader.errorPrinter(quiet);
    setReaderAbort(throwAborted);
    bool finished = true;
    try {
        reader.parse();
    } catch (const Aborted&) {
        finished = false;
    }
    setReaderAbort(nullptr);
    return finished;
}

} // namespace

bool readQelGuarded(std::istream& in) {
    return readGuarded<rendqel>(in, "fuzz.qel");
}

bool readRibGuarded(std::istream& in) {
    return readGuarded<rendrib>(in, "fuzz.rib");
}

bool readRibGuarded(const std::string& text) {
    std::istringstream in(text);
    return readRibGuarded(in);
}
