// Running out of memory ends a program with one report and status 1,
// whatever runs out: the scene reader, the program's shell, the renderer or
// the scene writer, or the printing of a message. The library's requests
// report it through the severe handler the program installs here; the
// program's own code through its out-of-memory handler.
#ifndef QEL_SHELL_OUTOFMEMORY_H
#define QEL_SHELL_OUTOFMEMORY_H

namespace quelmark {

namespace outofmemory {

constexpr int kExitStatus = 1;

// Installs the program's out-of-memory handler and, as the library's
// severe handler, one that prints the report and ends the program with
// kExitStatus. (A severe report would otherwise abort the program.)
void install();

} // namespace outofmemory

} // namespace quelmark

#endif
