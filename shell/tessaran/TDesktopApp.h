// RIB to QEL on the desktop: the main frame with the message window, the
// Convert command behind the open and save dialogs and the "Conversion
// Status" dialog, the "File Error" box and the About dialog.
#ifndef QEL_SHELL_TESSARAN_TDESKTOPAPP_H
#define QEL_SHELL_TESSARAN_TDESKTOPAPP_H

#include "shell/desktop/TRendFrame.h"
#include "shell/desktop/WindowIcon.h"
#include "shell/tessaran/TRendApp.h"

#include <memory>
#include <optional>
#include <string>

class TConversionStatus;

class TDesktopApp : public TRendApp, private ConvertView {
public:
    static constexpr const char* kRibFilter = "RIB Files (*.RIB)|*.RIB|All Files (*.*)|*.*|";
    static constexpr const char* kQelFilter = "Scene Files (*.QEL)|*.QEL|All Files (*.*)|*.*|";
    static constexpr const char* kConvertPath = "&File/&Convert";
    static constexpr const char* kExitPath = "&File/E&xit";
    static constexpr const char* kAboutPath = "&Help/&About...";
    static constexpr const char* kConvertHint = "Convert RIB file QEL file";
    static constexpr const char* kExitHint = "Exit RIB to Quelmark";
    static constexpr const char* kAboutHint = "Show the version of RIB to Quelmark";
    static constexpr const char* kAboutCaption = "About RIB to Quelmark";

    TDesktopApp(TProgressDialog::StepsFactory makeSteps, SceneOutput& output);
    ~TDesktopApp() override;

    // Creates the message window and the main frame and shows them.
    void InitMainWindow();
    // Runs until the main frame closes; files given are converted first.
    int Run(const std::optional<std::pair<std::string, std::string>>& files);

    // The commands of the menus.
    void CmConvert();
    void CmAboutDialog();
    void CmExit();

    TRendFrame& frame() { return *fFrame; }
    // The open "Conversion Status" dialog, null when none is open.
    TConversionStatus* conversionStatus() { return fStatus; }

protected:
    void ExecDialog(TProgressDialog& dialog) override;

private:
    void messageBox(const char* text, const char* caption, const std::string& detail) override;

    WindowIcon fIcon;
    std::unique_ptr<TRendFrame> fFrame;
    TConversionStatus* fStatus = nullptr;
};

#endif
