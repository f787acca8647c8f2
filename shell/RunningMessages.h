// The message window of the running program, behind the one printer that
// the scene readers and the libraries are given. While no program runs the
// lines go to standard error.
#ifndef QEL_SHELL_RUNNINGMESSAGES_H
#define QEL_SHELL_RUNNINGMESSAGES_H

#include "shell/TRendEdit.h"

namespace quelmark {

class RunningMessages {
public:
    // The messages receive every printed line from now until this ends or
    // another program's messages take over.
    explicit RunningMessages(TRendEdit& messages);
    ~RunningMessages();
    RunningMessages(const RunningMessages&) = delete;
    RunningMessages& operator=(const RunningMessages&) = delete;

    static void print(const char* text);

private:
    static TRendEdit* fCurrent;
    TRendEdit& fMine;
};

} // namespace quelmark

#endif
