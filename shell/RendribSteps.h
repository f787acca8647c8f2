// The RIB reader as the steps of a progress dialog. Its requests go to
// whichever library provides the qel API: the renderer or the scene writer.
#ifndef QEL_SHELL_RENDRIBSTEPS_H
#define QEL_SHELL_RENDRIBSTEPS_H

#include "sceneread/rib/rendrib.h"
#include "shell/SceneSteps.h"

#include <istream>
#include <memory>

class RendribSteps : public SceneSteps {
public:
    RendribSteps(std::istream& in, const char* fileName, String& frameName);

    // Fits the progress dialogs' reader factories.
    static std::unique_ptr<SceneSteps> make(std::istream& in, const char* fileName,
                                            String& frameName);

    void errorPrinter(PrintFunc printer) override { fReader.errorPrinter(printer); }
    int parse1() override { return fReader.parse1(); }
    int percent() override { return fReader.percent(); }

private:
    rendrib fReader;
};

#endif
