// The converter "RIB to QEL": owns the message window and runs the Convert
// command, which reads a RIB file behind the progress dialog while the
// scene writer writes the QEL file. Its print is the one printer given to
// the RIB reader and through it to the scene writer.
#ifndef QEL_SHELL_TESSARAN_TRENDAPP_H
#define QEL_SHELL_TESSARAN_TRENDAPP_H

#include "shell/RunningMessages.h"
#include "shell/TRendEdit.h"
#include "shell/tessaran/ConvertView.h"
#include "shell/tessaran/SceneOutput.h"
#include "shell/tessaran/TProgressDialog.h"

#include <functional>
#include <string>

namespace quelmark {

class TRendApp {
public:
    static constexpr const char* kName = "RIB to QEL";
    static constexpr const char* kAboutText = "RIB to Quelmark Version 1.01";
    static constexpr const char* kFileErrorText = "Unable to open file";
    static constexpr const char* kFileErrorCaption = "File Error";

    enum class ConvertResult { Success, Messages, Cancelled, OutputNotOpened, InputNotOpened };

    TRendApp(TProgressDialog::StepsFactory makeSteps, SceneOutput& output);
    virtual ~TRendApp();
    TRendApp(const TRendApp&) = delete;
    TRendApp& operator=(const TRendApp&) = delete;

    // Appends the text to the message window of the running application.
    static void print(const char* text);

    // Converts the RIB file into the QEL file; "-" names standard input
    // and standard output. The QEL file is tried first; when it cannot be
    // written a "File Error" box says so and nothing else happens. A
    // conversion that was cancelled, or whose RIB file could not be read to
    // its end, removes the part of the QEL file already written.
    ConvertResult CmConvert(const char* ribName, const char* qelName);
    const char* CmAbout() const { return kAboutText; }

    TRendEdit& messages() { return fMessages; }
    void setView(ConvertView* view) { fView = view; }
    // Asked between two steps of the dialog whether Cancel was chosen.
    void setCancelCheck(std::function<bool()> check) { fCancelCheck = std::move(check); }
    // A signal that stops the program acts as Cancel, and also ends waits
    // for input and the requests the reader makes for one request: pending
    // tells whether it came, wake becomes readable when it does.
    void setStopSignal(bool (*pending)(), int wake);

    // The name that stands for standard input and standard output.
    static constexpr const char* kStandardStream = "-";

    // The open progress dialog, if any.
    static TProgressDialog* fProgressDialog;

protected:
    // Runs the dialog modally; this loop serves front ends without an event
    // loop of their own.
    virtual void ExecDialog(TProgressDialog& dialog);

private:
    // Whether the QEL file can be written, without changing it; a file the
    // test made is noted in created.
    bool outputWritable(const char* ribName, const char* qelName, bool& created);
    ConvertResult runDialog(const char* ribName, const char* qelName,
                            std::unique_ptr<std::istream> in);
    // Removes the QEL file left unfinished, saying why; standard output and
    // a file that is no regular file stay.
    void removePartial(const char* qelName, const std::string& why);

    TProgressDialog::StepsFactory fMakeSteps;
    SceneOutput& fOutput;
    TRendEdit fMessages;
    RunningMessages fRunning{fMessages};
    ConvertView* fView = nullptr;
    std::function<bool()> fCancelCheck;
    bool (*fStopPending)() = nullptr;
    int fWake = -1;
};

} // namespace quelmark

#endif
