// The file dialogs of the programs' commands: an open dialog that takes
// only a file that exists and a save dialog that asks before a file is
// replaced. Filters are written as the programs write them (FileFilter).
#ifndef QEL_SHELL_DESKTOP_FILEDIALOG_H
#define QEL_SHELL_DESKTOP_FILEDIALOG_H

#include <optional>
#include <string>

namespace quelmark {

class FileDialog {
public:
    static constexpr const char* kOpenTitle = "Open";
    static constexpr const char* kSaveTitle = "Save As";

    // The chosen file, nothing when the user cancelled.
    static std::optional<std::string> open(const char* filter);
    static std::optional<std::string> save(const char* filter);

    // The question asked before an existing file is replaced.
    static std::string replaceQuestion(const std::string& file);

private:
    static std::optional<std::string> choose(const char* filter, int type, const char* title);
};

} // namespace quelmark

#endif
