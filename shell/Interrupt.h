// Ctrl-C (SIGINT) as the progress dialog's Cancel button: the handler only
// notes the signal; the program looks at the note between two steps. A
// wait for input can watch a descriptor that becomes readable at the signal.
#ifndef QEL_SHELL_INTERRUPT_H
#define QEL_SHELL_INTERRUPT_H

class Interrupt {
public:
    // A second SIGINT ends the program at once.
    static void install();
    static bool pending();
    // Readable once the signal has come; -1 before install.
    static int descriptor();
};

#endif
