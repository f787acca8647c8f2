// What the progress dialog needs of a scene reader: one step at a time, the
// progress of the frame being rendered, where its message lines go and what
// they are about.
#ifndef QEL_SHELL_SCENESTEPS_H
#define QEL_SHELL_SCENESTEPS_H

#include <string>

namespace quelmark {

// Receives one finished message line, without a line end.
using PrintFunc = void (*)(const char* text);

class SceneSteps {
public:
    virtual ~SceneSteps() = default;

    virtual void errorPrinter(PrintFunc printer) = 0;
    // One request, or one bucket while a frame renders; nonzero while work
    // remains.
    virtual int parse1() = 0;
    // The progress of the frame being rendered, in percent.
    virtual int percent() = 0;

    // Tells the reader how to learn that the program was told to stop: a
    // check, and a descriptor that becomes readable then.
    virtual void setStop(bool (*)(), int) {}
    // Whether the program was told to stop: a reader woken from a wait for
    // input ends its file early, which is no finished file.
    virtual bool stopRequested() const { return false; }
    // "file:line" of what the line being printed now is about; empty when
    // it is about no place in a file.
    virtual std::string place() const { return {}; }
    // Whether reading the file failed half way (a read error).
    virtual bool inputFailed() const { return false; }
};

} // namespace quelmark

#endif
