// A scene reader as the steps of a progress dialog. The reader's requests
// go to whichever library provides the qel API: the renderer or the scene
// writer.
#ifndef QEL_SHELL_READERSTEPS_H
#define QEL_SHELL_READERSTEPS_H

#include "common/String.h"
#include "shell/SceneSteps.h"

#include <istream>
#include <memory>

template <class Reader> class ReaderSteps : public SceneSteps {
public:
    ReaderSteps(std::istream& in, const char* fileName, String& frameName)
        : fReader(in, fileName, frameName) {}

    // Fits the progress dialogs' reader factories.
    static std::unique_ptr<SceneSteps> make(std::istream& in, const char* fileName,
                                            String& frameName) {
        return std::make_unique<ReaderSteps>(in, fileName, frameName);
    }

    void errorPrinter(PrintFunc printer) override { fReader.errorPrinter(printer); }
    int parse1() override { return fReader.parse1(); }
    int percent() override { return fReader.percent(); }

private:
    Reader fReader;
};

#endif
