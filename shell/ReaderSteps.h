// A scene reader as the steps of a progress dialog. The reader's requests
// go to whichever library provides the qel API: the renderer or the scene
// writer.
#ifndef QEL_SHELL_READERSTEPS_H
#define QEL_SHELL_READERSTEPS_H

#include "common/String.h"
#include "shell/SceneSteps.h"

#include <istream>
#include <memory>
#include <string>

namespace quelmark {

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
    void setStop(bool (*requested)(), int wake) override { fReader.setStopCheck(requested, wake); }
    bool stopRequested() const override { return fReader.stopRequested(); }
    bool inputFailed() const override { return fReader.inputFailed(); }

    // Standard input ("-") is shown as "<stdin>".
    std::string place() const override {
        std::string file = fReader.placeFile();
        if (file == "-") file = "<stdin>";
        return file + ":" + std::to_string(fReader.placeLine());
    }

private:
    Reader fReader;
};

} // namespace quelmark

#endif
