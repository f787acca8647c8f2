// The converter's progress dialog ("Conversion Status"): reads a RIB file
// request by request from idle time, its requests going to the scene
// writer, and at the end tells whether any message was printed. Cancel
// deletes the reader at once; after the last request only OK is left.
#ifndef QEL_SHELL_TESSARAN_TPROGRESSDIALOG_H
#define QEL_SHELL_TESSARAN_TPROGRESSDIALOG_H

#include "common/String.h"
#include "shell/SceneSteps.h"
#include "shell/TRendEdit.h"
#include "shell/tessaran/ConvertView.h"
#include "shell/tessaran/SceneOutput.h"

#include <functional>
#include <istream>
#include <memory>
#include <string>

namespace quelmark {

class TProgressDialog {
public:
    // Makes the reader of a stream. The frame name is the reader's own
    // business here: nothing is rendered.
    using StepsFactory = std::function<std::unique_ptr<SceneSteps>(
        std::istream& in, const char* fileName, String& frameName)>;

    static constexpr const char* kCaption = "Conversion Status";
    static constexpr const char* kInitialText = "Converting RIB file";
    static constexpr const char* kStatusFormat = "Converting %s to %s";
    static constexpr const char* kSuccessText = "Success.";
    static constexpr const char* kMessagesText = "There are warning/error messages.";

    // Creates the reader on the stream, gives it the printer and has the
    // scene writer open the QEL file. The message window is the one the
    // printer fills; at the end its lines tell the result.
    TProgressDialog(std::unique_ptr<std::istream> in, const char* ribName, const char* qelName,
                    const StepsFactory& makeSteps, PrintFunc printer, SceneOutput& output,
                    TRendEdit& messages);
    ~TProgressDialog();
    TProgressDialog(const TProgressDialog&) = delete;
    TProgressDialog& operator=(const TProgressDialog&) = delete;

    void setView(ConvertView* view) { fView = view; }
    // How the reader learns that the program was told to stop.
    void setStop(bool (*pending)(), int wake) {
        if (fSteps) fSteps->setStop(pending, wake);
    }
    // "file:line" of what the reader is at, empty once it is gone.
    std::string place() const { return fSteps ? fSteps->place() : std::string(); }

    // Shows the dialog and runs idle steps until the conversion has ended or
    // was cancelled; before each step cancelPending (when given) is asked
    // whether Cancel was chosen. A terminal has nobody to press OK, so a
    // finished dialog then closes with its result shown.
    void Execute(const std::function<bool()>& cancelPending = {});
    // Shows the status text and Cancel, hides OK.
    void SetupWindow();
    // One idle step; nonzero while more steps are wanted.
    int IdleAction(long count);
    void CmCancel();
    void CmOk();
    // Closes the dialog and deletes the reader.
    void Destroy();

    // The part of a path after its last '/' or '\'.
    static std::string baseName(const std::string& path);

    bool isOpen() const { return fOpen; }
    bool cancelled() const { return fCancelled; }
    // The last request was read and the result is shown.
    bool finished() const { return fFinished; }
    bool succeeded() const { return fFinished && fText == kSuccessText; }
    // Whether the RIB file could not be read to its end.
    bool inputFailed() const { return fInputFailed; }
    bool hasReader() const { return fSteps != nullptr; }
    const std::string& text() const { return fText; }
    const std::string& statusText() const { return fStatusText; }
    bool cancelShown() const { return fCancelShown; }
    bool okShown() const { return fOkShown; }

private:
    void finish();
    void setText(const std::string& text);
    void showButtons(bool cancel, bool ok);

    std::unique_ptr<std::istream> fIn;
    // Before the reader, which keeps a reference to it.
    String fFrameName;
    std::unique_ptr<SceneSteps> fSteps;
    SceneOutput& fOutput;
    TRendEdit& fMessages;
    std::string fStatusText;
    std::string fText = kInitialText;
    bool fCancelShown = false;
    bool fOkShown = false;
    bool fOpen = false;
    bool fFinished = false;
    bool fInputFailed = false;
    bool fCancelled = false;
    ConvertView* fView = nullptr;
};

} // namespace quelmark

#endif
