#include "shell/MessageSeverity.h"

#include <cstring>
#include <iterator>

namespace quelmark {

namespace {

struct Label {
    const char* text;
    Severity severity;
};

// The renderer's (and scene writer's) labels, then the scene readers'.
const Label kLabels[] = {
    {"info:", Severity::Info},        {"warning:", Severity::Warning},
    {"error:", Severity::Error},      {"severe error:", Severity::Severe},
    {"QEL info: ", Severity::Info},   {"QEL warning: ", Severity::Warning},
    {"QEL error: ", Severity::Error}, {"severe QEL error: ", Severity::Severe},
    {"RIB info: ", Severity::Info},   {"RIB warning: ", Severity::Warning},
    {"RIB error: ", Severity::Error}, {"severe RIB error: ", Severity::Severe},
};

bool startsWith(const char* line, const char* prefix) {
    return std::strncmp(line, prefix, std::strlen(prefix)) == 0;
}

} // namespace

Severity severityOf(const char* line) {
    if (!line) return Severity::None;
    for (const Label& label : kLabels)
        if (startsWith(line, label.text)) return label.severity;
    return Severity::None;
}

} // namespace quelmark
