// RIB to QEL on the desktop: the main frame with the message window, the
// Convert command behind the open and save dialogs and the "Conversion
// Status" dialog, the "File Error" box and the About dialog.
#ifndef QEL_SHELL_TESSARAN_TDESKTOPAPP_H
#define QEL_SHELL_TESSARAN_TDESKTOPAPP_H

#include "shell/desktop/TDesktopShell.h"
#include "shell/tessaran/TRendApp.h"

#include <optional>
#include <string>

namespace quelmark {

class TConversionStatus;

class TDesktopApp : public TRendApp, private ConvertView {
public:
    static constexpr const char* kRibFilter = "RIB Files (*.RIB)|*.RIB|All Files (*.*)|*.*|";
    static constexpr const char* kQelFilter = "Scene Files (*.QEL)|*.QEL|All Files (*.*)|*.*|";
    static constexpr const char* kConvertPath = "&File/&Convert";
    static constexpr const char* kAboutPath = TDesktopShell::kAboutPath;
    static constexpr const char* kConvertHint = "Convert RIB file QEL file";
    static constexpr const char* kExitHint = "Exit RIB to Quelmark";
    static constexpr const char* kAboutHint = "Show the version of RIB to Quelmark";
    static constexpr const char* kAboutCaption = "About RIB to Quelmark";

    TDesktopApp(TProgressDialog::StepsFactory makeSteps, SceneOutput& output);

    // Creates the message window and the main frame and shows them.
    void InitMainWindow();
    // Runs until the main frame closes; files given are converted first.
    int Run(const std::optional<std::pair<std::string, std::string>>& files);

    // Convert in the menu: the open and save dialogs, then the conversion.
    void CmConvert();

    TRendFrame& frame() { return fShell.frame(); }
    // The open "Conversion Status" dialog, null when none is open.
    TConversionStatus* conversionStatus() { return fStatus; }

protected:
    void ExecDialog(TProgressDialog& dialog) override;

private:
    void messageBox(const char* text, const char* caption, const std::string& detail) override;

    TDesktopShell fShell;
    TConversionStatus* fStatus = nullptr;
};

} // namespace quelmark

#endif
