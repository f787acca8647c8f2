// Reads a RIB text with reports going nowhere; a file that selects the abort
// handler ends the reading where the program would end, instead of ending
// the process. For the fuzz target and its regression corpus.
#ifndef QEL_TESTS_RIBGUARDEDREAD_H
#define QEL_TESTS_RIBGUARDEDREAD_H

#include "sceneread/rib/rendrib.h"

#include <sstream>
#include <string>

namespace ribguard {

struct Aborted {};

inline rendrib*& reader() {
    static rendrib* current = nullptr;
    return current;
}

// Printed just before the abort handler would end the program.
inline void printer(const char*) {
    if (reader() && reader()->lexer().handler() == lexanrib::RIBErrorAbort) throw Aborted{};
}

} // namespace ribguard

// True when the file read to its end, false when it asked to abort.
inline bool readRibGuarded(const std::string& text) {
    std::istringstream in(text);
    String frame;
    rendrib reader(in, "fuzz.rib", frame);
    reader.errorPrinter(ribguard::printer);
    ribguard::reader() = &reader;
    bool finished = true;
    try {
        reader.parse();
    } catch (const ribguard::Aborted&) {
        finished = false;
    }
    ribguard::reader() = nullptr;
    return finished;
}

#endif
