// Reports made on a worker thread of the renderer, kept in the order they
// were made until the caller's thread hands them to the handlers, so that
// no printer or handler of the caller ever runs on another thread.
#ifndef QEL_COMMON_REPORTQUEUE_H
#define QEL_COMMON_REPORTQUEUE_H

#include <string>
#include <vector>

namespace quelmark {

class ReportQueue {
public:
    // Keeps a report; message is the formatted text, null for none.
    void add(long code, long severity, const char* message, const char* objectName,
             const char* groupName);
    // Notes that the work ran out of memory, without taking any: replayed as
    // the severe "free store exhausted" report after the kept ones.
    void markOutOfMemory() noexcept { fOutOfMemory = true; }
    // Hands every kept report to its handler, oldest first, and forgets them.
    void replay();
    bool empty() const { return fReports.empty() && !fOutOfMemory; }

private:
    struct Report {
        long code, severity;
        bool hasMessage, hasObject, hasGroup;
        std::string message, objectName, groupName;
    };

    std::vector<Report> fReports;
    bool fOutOfMemory = false;
};

} // namespace quelmark

#endif
