// The render program "Quelmark": owns the message window and runs the
// Render command, which reads and renders one scene file behind the
// progress dialog. Its print is the one printer given to the scene reader
// and through it to the renderer.
#ifndef QEL_SHELL_TRENDAPP_H
#define QEL_SHELL_TRENDAPP_H

#include "shell/RunningMessages.h"
#include "shell/TProgressDialog.h"
#include "shell/TRendEdit.h"

#include <functional>
#include <istream>
#include <memory>

namespace quelmark {

class TRendApp {
public:
    static constexpr const char* kName = "Quelmark";
    static constexpr const char* kAboutText = "Quelmark Version 1.01";
    static constexpr const char* kMessagesTitle = "QEL Messages";

    enum class RenderResult { Finished, Cancelled, NotOpened };

    explicit TRendApp(TProgressDialog::StepsFactory makeSteps);
    virtual ~TRendApp();
    TRendApp(const TRendApp&) = delete;
    TRendApp& operator=(const TRendApp&) = delete;

    // Appends the text to the message window of the running application.
    static void print(const char* text);

    // Clears the message window, then reads and renders the file behind the
    // progress dialog. A file that cannot be opened (or is a directory) is
    // reported in the message window with the system's reason. The file may
    // be a pipe or a device, and gzip data.
    RenderResult CmRender(const char* fileName);
    // The same for a stream already open, named for the reports.
    RenderResult CmRender(const char* name, std::unique_ptr<std::istream> in);
    const char* CmAbout() const { return kAboutText; }

    TRendEdit& messages() { return fMessages; }
    void setProgressView(ProgressView* view) { fProgressView = view; }
    // Asked between two steps of the dialog whether Cancel was chosen.
    void setCancelCheck(std::function<bool()> check) { fCancelCheck = std::move(check); }
    // A signal that stops the program acts as Cancel, and also ends waits
    // for input and the requests the reader makes for one request: pending
    // tells whether it came, wake becomes readable when it does.
    void setStopSignal(bool (*pending)(), int wake);
    int wakeDescriptor() const { return fWake; }

    // The open progress dialog, if any.
    static TProgressDialog* fProgressDialog;

protected:
    // Runs the dialog modally; this loop serves front ends without an event
    // loop of their own.
    virtual void ExecDialog(TProgressDialog& dialog);

private:
    RenderResult runDialog(const char* name, std::unique_ptr<std::istream> in);

    TProgressDialog::StepsFactory fMakeSteps;
    TRendEdit fMessages;
    RunningMessages fRunning{fMessages};
    ProgressView* fProgressView = nullptr;
    std::function<bool()> fCancelCheck;
    bool (*fStopPending)() = nullptr;
    int fWake = -1;
};

} // namespace quelmark

#endif
