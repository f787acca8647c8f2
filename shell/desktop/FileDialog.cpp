#include "shell/desktop/FileDialog.h"

#include "shell/desktop/FileFilter.h"
#include "shell/desktop/StepLoop.h"

#include <FL/Fl_File_Chooser.H>
#include <FL/fl_ask.H>

#include <sys/stat.h>

namespace quelmark {

namespace {

bool exists(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

} // namespace

std::optional<std::string> FileDialog::choose(const char* filter, int type, const char* title) {
    std::string patterns = FileFilter::chooserFilter(filter);
    Fl_File_Chooser chooser(".", patterns.c_str(), type, title);
    chooser.preview(0);
    chooser.show();
    StepLoop::waitUntil([&chooser] { return !chooser.shown(); });
    if (chooser.count() < 1 || !chooser.value()) return std::nullopt;
    return std::string(chooser.value());
}

std::optional<std::string> FileDialog::open(const char* filter) {
    for (;;) {
        std::optional<std::string> file = choose(filter, Fl_File_Chooser::SINGLE, kOpenTitle);
        if (!file || exists(*file)) return file;
        fl_message_title(kOpenTitle);
        fl_alert("%s\nFile not found.\nCheck the file name and try again.", file->c_str());
    }
}

std::optional<std::string> FileDialog::save(const char* filter) {
    for (;;) {
        std::optional<std::string> file = choose(filter, Fl_File_Chooser::CREATE, kSaveTitle);
        if (!file || !exists(*file)) return file;
        fl_message_title(kSaveTitle);
        if (fl_choice("%s", "No", "Yes", nullptr, replaceQuestion(*file).c_str()) == 1) return file;
    }
}

std::string FileDialog::replaceQuestion(const std::string& file) {
    return file + " already exists.\nDo you want to replace it?";
}

} // namespace quelmark
