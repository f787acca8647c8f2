// Ctrl-C (SIGINT), or SIGTERM from a job scheduler, as the progress dialog's
// Cancel button: the handler only notes the signal; the program looks at
// the note between two steps and ends with 128 plus the signal's number. A
// wait for input can watch a descriptor that becomes readable at the signal.
// Should the program still run a second after the signal (a step that takes
// long), it is ended then, its unfinished files removed.
#ifndef QEL_SHELL_INTERRUPT_H
#define QEL_SHELL_INTERRUPT_H

namespace quelmark {

class Interrupt {
public:
    // A second signal ends the program at once.
    static void install();
    static constexpr unsigned kDeadlineSeconds = 1;
    static bool pending();
    // The exit status for the signal that came: 130 for SIGINT, 143 for
    // SIGTERM.
    static int exitStatus();
    // Readable once the signal has come; -1 before install.
    static int descriptor();
};

} // namespace quelmark

#endif
