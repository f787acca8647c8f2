// The scene reader that renders, as the steps of the progress dialog.
#ifndef QEL_SHELL_RENDQELSTEPS_H
#define QEL_SHELL_RENDQELSTEPS_H

#include "sceneread/rendqel.h"
#include "shell/SceneSteps.h"

#include <istream>
#include <memory>

class RendqelSteps : public SceneSteps {
public:
    RendqelSteps(std::istream& in, const char* fileName, String& frameName);

    // Fits TProgressDialog::StepsFactory.
    static std::unique_ptr<SceneSteps> make(std::istream& in, const char* fileName,
                                            String& frameName);

    void errorPrinter(PrintFunc printer) override { fReader.errorPrinter(printer); }
    int parse1() override { return fReader.parse1(); }
    int percent() override { return fReader.percent(); }

private:
    rendqel fReader;
};

#endif
