// Standard input for the scene reader that Ctrl-C also ends while it waits
// for a terminal or a pipe: once the interrupt is noted, the input ends.
// A block read returns what has come so far, so that a scene arriving
// slowly through a pipe is read as it comes.
#ifndef QEL_SHELL_LUMIVAR_STANDARDINPUT_H
#define QEL_SHELL_LUMIVAR_STANDARDINPUT_H

#include <streambuf>

class StandardInput : public std::streambuf {
protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* s, std::streamsize n) override;

private:
    // Waits for input and reads at most n bytes; 0 at the end or after Ctrl-C.
    static std::streamsize readSome(char* s, std::streamsize n);

    char fBuffer[64 * 1024];
};

#endif
