// Where the converted scene goes: the output file of the scene writer.
#ifndef QEL_SHELL_TESSARAN_SCENEOUTPUT_H
#define QEL_SHELL_TESSARAN_SCENEOUTPUT_H

namespace quelmark {

class SceneOutput {
public:
    virtual ~SceneOutput() = default;
    // Has the writer open the file, replacing its contents; the writer
    // reports a failure at the first line it cannot write.
    virtual void open(const char* name) = 0;
    // Closes the file; a failure to write its end is reported as a message.
    virtual void close() = 0;
};

} // namespace quelmark

#endif
