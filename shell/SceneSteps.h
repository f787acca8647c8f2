// What the progress dialog needs of a scene reader: one step at a time, the
// progress of the frame being rendered, and where its message lines go.
#ifndef QEL_SHELL_SCENESTEPS_H
#define QEL_SHELL_SCENESTEPS_H

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
};

#endif
