// The progress dialog ("Render Status"): reads a scene file step by step
// from idle time, shows "Loading scene" while requests are read and a
// percentage gauge while a frame renders, and closes at the end of the file.
// Cancel deletes the reader at once, which ends reading and rendering.
#ifndef QEL_SHELL_TPROGRESSDIALOG_H
#define QEL_SHELL_TPROGRESSDIALOG_H

#include "common/String.h"
#include "shell/SceneSteps.h"
#include "shell/TGauge.h"

#include <functional>
#include <istream>
#include <memory>
#include <string>

namespace quelmark {

class TProgressDialog;

// How a front end shows the dialog; every call reports a change.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void dialogOpened(const TProgressDialog&) {}
    virtual void textChanged(const std::string&) {}
    // The gauge's value or visibility changed.
    virtual void gaugeChanged(const TGauge&) {}
    // A frame's last bucket is done and its display has closed.
    virtual void frameFinished() {}
    virtual void dialogClosed(const TProgressDialog&) {}
};

class TProgressDialog {
public:
    // Makes the reader of a stream; it shares the frame name with the dialog.
    using StepsFactory = std::function<std::unique_ptr<SceneSteps>(
        std::istream& in, const char* fileName, String& frameName)>;

    static constexpr const char* kCaption = "Render Status";
    static constexpr const char* kLoadingText = "Loading scene";
    static constexpr const char* kRenderingFormat = "Rendering frame \"%s\"";
    static constexpr const char* kGaugeFormat = "%d%%";

    // Creates the reader on the stream and gives it the printer.
    TProgressDialog(std::unique_ptr<std::istream> in, const char* fileName,
                    const StepsFactory& makeSteps, PrintFunc printer);
    ~TProgressDialog();
    TProgressDialog(const TProgressDialog&) = delete;
    TProgressDialog& operator=(const TProgressDialog&) = delete;

    void setView(ProgressView* view) { fView = view; }
    // How the reader learns that the program was told to stop.
    void setStop(bool (*pending)(), int wake) {
        if (fSteps) fSteps->setStop(pending, wake);
    }

    // Shows the dialog, then runs idle steps until it closes. Before each
    // step cancelPending (when given) is asked whether Cancel was chosen.
    void Execute(const std::function<bool()>& cancelPending = {});
    void Open();
    // One idle step; nonzero while more steps are wanted.
    int IdleAction(long count);
    void CmCancel();
    // Closes the dialog and deletes the reader.
    void Destroy();

    bool isOpen() const { return fOpen; }
    bool cancelled() const { return fCancelled; }
    bool hasReader() const { return fSteps != nullptr; }
    const std::string& fileName() const { return fFileName; }
    const std::string& text() const { return fText; }
    const TGauge& gauge() const { return fGauge; }
    const String& frameName() const { return fFrameName; }
    // "file:line" of what the reader is at, empty once it is gone.
    std::string place() const { return fSteps ? fSteps->place() : std::string(); }
    bool renderingShown() const { return fRenderingShown; }

private:
    void showRendering();
    void showLoading();
    bool changeText(const std::string& text);
    void tellView(bool textChanged, bool gaugeChanged);

    std::string fFileName;
    std::unique_ptr<std::istream> fIn;
    // Before the reader, which keeps a reference to it.
    String fFrameName;
    std::unique_ptr<SceneSteps> fSteps;
    bool fRenderingShown = false;
    std::string fText = kLoadingText;
    TGauge fGauge{0, 100, kGaugeFormat};
    bool fOpen = false;
    bool fCancelled = false;
    ProgressView* fView = nullptr;
};

} // namespace quelmark

#endif
