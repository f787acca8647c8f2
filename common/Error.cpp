#include "common/Error.h"

#include "common/ReportQueue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <unistd.h>

namespace quelmark {

namespace {

struct ErrorState {
    qelErrorHandlerFunc infoHandler = errorIgnore;
    qelErrorHandlerFunc warningHandler = errorPrint;
    qelErrorHandlerFunc errorHandler = errorPrint;
    qelErrorHandlerFunc severeHandler = errorAbort;
    qelErrorPrinterFunc printHandler = printToStandardError;
    bool printerChosen = false; // a client's printer is never replaced by a default
    long lastError = 0;
    ErrorGate gate = nullptr;
};

ErrorState& state() {
    static ErrorState s;
    return s;
}

// What a thread is rendering, for its reports; and, on a worker of the
// renderer, where its reports wait for the caller's thread.
struct ThreadContext {
    const char* attribName = nullptr;
    const char* shadingGroup = nullptr;
    ReportQueue* deferred = nullptr;
    const char* funcName = nullptr; // the request running on the thread
};

thread_local ThreadContext tContext;

// While any thread runs a request, running out of memory is reported.
struct NamedThreads {
    std::mutex lock;
    int count = 0;
    std::new_handler stored = nullptr;
};

NamedThreads& namedThreads() {
    static NamedThreads named;
    return named;
}

constexpr const char* kCodeTexts[] = {
    "",
    " Out of memory.",
    " Optional QEL feature.",
    " Probably a bug in renderer.",
    " Bad begin-end nesting.",
    " Invalid state for parameters.",
    " Invalid state for attribs.",
    " Invalid state for primitives.",
    " Invalid state.",
    " Invalid enumerator for request.",
    " Parameter out of range.",
    " Parameters inconsistent.",
    " Bad object/light handle.",
    " Required parameters not provided.",
    " Declare type syntax error.",
    " Undefined mathematical operation.",
};

qelErrorHandlerFunc handlerFor(long severity) {
    ErrorState& s = state();
    switch (severity) {
    case kInfo:
        return s.infoHandler;
    case kWarning:
        return s.warningHandler;
    case kError:
        return s.errorHandler;
    default:
        return s.severeHandler;
    }
}

// A null printer silences printing instead of crashing on the next report.
void emit(const char* line) {
    if (state().printHandler) state().printHandler(line);
}

// Memory given back when the free store is exhausted, so that the report
// can still be formatted and printed by whatever printer the client chose.
constexpr size_t kReserveSize = size_t(1) << 20;
void* gReserve = nullptr;
std::atomic<bool> gExhausted{false};
std::atomic<std::thread::id> gExhaustedOn{};

void keepReserve() {
    if (!gReserve && !gExhausted.load()) gReserve = std::malloc(kReserveSize);
}

// Running out while the report is made, or on another thread meanwhile,
// must neither print again nor allocate: the first report ends the process.
[[noreturn]] void exhaustedAgain() {
    if (gExhaustedOn.load() != std::this_thread::get_id())
        for (;;)
            ::pause();
    static const char kLine[] = "severe error: Out of memory. free store exhausted\n";
    ssize_t written = ::write(STDERR_FILENO, kLine, sizeof kLine - 1);
    (void)written;
    std::abort();
}

// Reported at once on the thread of the request that ran out: the process
// ends here. A thread running no request (a worker of the renderer) gets
// std::bad_alloc instead, which its work hands to the caller's thread.
void errorNewHandler() {
    if (!tContext.funcName) throw std::bad_alloc();
    if (gExhausted.exchange(true)) exhaustedAgain();
    gExhaustedOn.store(std::this_thread::get_id());
    std::free(gReserve);
    gReserve = nullptr;
    char message[kErrorBufferSize];
    const char* name = tContext.funcName;
    std::snprintf(message, sizeof message, "%s%sfree store exhausted", name ? name : "",
                  name ? ": " : "");
    handlerFor(kSevere)(kErrNoMem, kSevere, message);
    std::abort();
}

// Appends text to a line buffer, cutting at its end.
void append(char* line, size_t size, const char* text) {
    size_t used = std::strlen(line);
    if (used + 1 >= size) return;
    std::snprintf(line + used, size - used, "%s", text);
}

void printWhileRenderingLine() {
    const ThreadContext& s = tContext;
    if (!s.attribName && !s.shadingGroup) return;
    char line[2 * kErrorBufferSize + 64] = "While rendering ";
    if (s.attribName) {
        append(line, sizeof line, "object ");
        append(line, sizeof line, s.attribName);
    }
    if (s.attribName && s.shadingGroup) append(line, sizeof line, "; ");
    if (s.shadingGroup) {
        append(line, sizeof line, "shading group ");
        append(line, sizeof line, s.shadingGroup);
    }
    emit(line);
}

} // namespace

void errorCodeText(long code, char* out, unsigned long size) {
    if (size == 0) return;
    if (code >= 0 && code <= 15)
        std::snprintf(out, size, "%s", kCodeTexts[code]);
    else
        std::snprintf(out, size, " Error code: %ld", code);
}

const char* severityLabel(long severity) {
    switch (severity) {
    case kInfo:
        return "info:";
    case kWarning:
        return "warning:";
    case kSevere:
        return "severe error:";
    default:
        return "error:";
    }
}

void verror(long code, long severity, const char* format, va_list args) {
    if (ReportQueue* queue = tContext.deferred) {
        char message[kErrorBufferSize];
        if (format) std::vsnprintf(message, sizeof message, format, args);
        queue->add(code, severity, format ? message : nullptr, tContext.attribName,
                   tContext.shadingGroup);
        return;
    }
    qelErrorHandlerFunc handler = handlerFor(severity);
    if (!format) {
        handler(code, severity, tContext.funcName);
        return;
    }
    char buffer[kErrorBufferSize];
    int used = 0;
    if (tContext.funcName) {
        used = std::snprintf(buffer, sizeof buffer, "%s: ", tContext.funcName);
        if (used < 0) used = 0;
        if (used >= kErrorBufferSize) used = kErrorBufferSize - 1;
    }
    std::vsnprintf(buffer + used, sizeof buffer - used, format, args);
    handler(code, severity, buffer);
}

void error(long code, long severity, const char* format, ...) {
    va_list args;
    va_start(args, format);
    verror(code, severity, format, args);
    va_end(args);
}

void errorIgnore(long code, long, const char*) {
    state().lastError = code;
}

void errorPrint(long code, long severity, const char* message) {
    ErrorState& s = state();
    s.lastError = code;
    if (s.gate && !s.gate(severity)) return;
    char codeText[64];
    errorCodeText(code, codeText, sizeof codeText);
    char line[kErrorBufferSize + 64];
    std::snprintf(line, sizeof line, "%s%s", severityLabel(severity), codeText);
    if (message) {
        append(line, sizeof line, " ");
        append(line, sizeof line, message);
    }
    emit(line);
    if (severity > kInfo) printWhileRenderingLine();
}

void errorAbort(long code, long severity, const char* message) {
    errorPrint(code, severity, message);
    if (severity > kInfo) std::abort();
}

long lastError() {
    return state().lastError;
}

void setErrorHandler(short mask, short handler) {
    qelErrorHandlerFunc function = nullptr;
    switch (handler) {
    case 0xC00:
        function = errorIgnore;
        break;
    case 0xC01:
        function = errorPrint;
        break;
    case 0xC02:
        function = errorAbort;
        break;
    default:
        error(kErrRange, kError, "unknown error handler %d", handler);
        return;
    }
    setErrorHandler(mask, function);
}

void setErrorHandler(short mask, qelErrorHandlerFunc handler) {
    if ((mask & 0xFF00) != 0xB00 || (mask & 0xF0) != 0) {
        error(kErrRange, kError, "unknown severity mask %ld", static_cast<long>(mask));
        return;
    }
    if (!handler) {
        error(kErrMissingData, kError, "handler must not be null");
        return;
    }
    ErrorState& s = state();
    if (mask & 1) s.infoHandler = handler;
    if (mask & 2) s.warningHandler = handler;
    if (mask & 4) s.errorHandler = handler;
    if (mask & 8) s.severeHandler = handler;
}

void setErrorPrinter(qelErrorPrinterFunc printer) {
    state().printHandler = printer;
    state().printerChosen = true;
}

void setDefaultErrorPrinter(qelErrorPrinterFunc printer) {
    if (!state().printerChosen) state().printHandler = printer;
}

const char* setErrorFuncName(const char* name) {
    const char* previous = tContext.funcName;
    if (bool(name) != bool(previous)) {
        NamedThreads& named = namedThreads();
        std::lock_guard<std::mutex> hold(named.lock);
        if (name && named.count++ == 0) {
            keepReserve();
            named.stored = std::set_new_handler(errorNewHandler);
        } else if (!name && --named.count == 0) {
            std::set_new_handler(named.stored);
        }
    }
    tContext.funcName = name;
    return previous;
}

const char* errorFuncName() {
    return tContext.funcName;
}

void setAttribNames(const char* objectName, const char* groupName) {
    tContext.attribName = objectName;
    tContext.shadingGroup = groupName;
}

void deferReports(ReportQueue* queue) {
    tContext.deferred = queue;
}

void reportNow(long code, long severity, const char* message, const char* objectName,
               const char* groupName) {
    ThreadContext saved = tContext;
    tContext.attribName = objectName;
    tContext.shadingGroup = groupName;
    tContext.deferred = nullptr;
    if (message)
        error(code, severity, "%s", message);
    else
        handlerFor(severity)(code, severity, tContext.funcName);
    tContext = saved;
}

void setErrorGate(ErrorGate gate) {
    state().gate = gate;
}

void printToStandardError(const char* text) {
    std::fputs(text ? text : "", stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace quelmark
