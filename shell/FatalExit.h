// How a program ends when it cannot go on: out of memory, a severe report,
// or a stop signal that the program did not obey within its deadline. The
// line is written straight to standard error and the files left unfinished
// are removed, all without allocating, so that it works when nothing else
// does and from a signal handler.
#ifndef QEL_SHELL_FATALEXIT_H
#define QEL_SHELL_FATALEXIT_H

namespace quelmark {

namespace fatal {

// The program's name, which leads every line written here.
void setProgramName(const char* name);

// A file to remove should the program end here: the one being written,
// such as a converted scene. Null forgets it. The path is copied.
void setUnfinishedFile(const char* path);

// Writes "<program>: <message>" and a line feed to standard error, removes
// the unfinished files (the one set here and an image being written whole)
// and ends the program with the status.
[[noreturn]] void exitNow(const char* message, int status);
// The same without writing anything: the message was printed already.
[[noreturn]] void exitQuietly(int status);

// The libraries end the program with std::abort where a report asks for it
// (a scene choosing the "abort" error handler, a severe report): the
// program then ends with status 1 and "aborted" instead of the signal.
void endAbortsWithStatus();
constexpr int kAbortStatus = 1;

} // namespace fatal

} // namespace quelmark

#endif
