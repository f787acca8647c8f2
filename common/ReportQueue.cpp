#include "common/ReportQueue.h"

#include "common/Error.h"

namespace quelmark {

namespace {

std::string textOf(const char* text) {
    return text ? text : "";
}

} // namespace

void ReportQueue::add(long code, long severity, const char* message, const char* objectName,
                      const char* groupName) {
    fReports.push_back(Report{code, severity, message != nullptr, objectName != nullptr,
                              groupName != nullptr, textOf(message), textOf(objectName),
                              textOf(groupName)});
}

void ReportQueue::replay() {
    // A handler may report again; the list is taken first.
    std::vector<Report> reports;
    reports.swap(fReports);
    const bool outOfMemory = fOutOfMemory;
    fOutOfMemory = false;
    for (const Report& r : reports)
        reportNow(r.code, r.severity, r.hasMessage ? r.message.c_str() : nullptr,
                  r.hasObject ? r.objectName.c_str() : nullptr,
                  r.hasGroup ? r.groupName.c_str() : nullptr);
    if (outOfMemory) reportNow(kErrNoMem, kSevere, "free store exhausted", nullptr, nullptr);
}

} // namespace quelmark
