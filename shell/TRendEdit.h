// The message window: every diagnostic line of the scene reader and of the
// renderer is appended to it, led by the file and line it is about while a
// file is read, with bytes a terminal would obey shown as escapes. A
// message that comes again and again (on any line of the file) is shown a
// few times; how often it came beyond that is told once the file is done. A front end shows the
// window through a MessageView.
#ifndef QEL_SHELL_TRENDEDIT_H
#define QEL_SHELL_TRENDEDIT_H

#include "shell/MessageSeverity.h"

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace quelmark {

class MessageView {
public:
    virtual ~MessageView() = default;
    virtual void lineAdded(const std::string& line, Severity severity) = 0;
    virtual void cleared() = 0;
};

class TRendEdit {
public:
    // "file:line" of what lines printed now are about, or empty.
    using PlaceSource = std::function<std::string()>;

    // Appends the text as one line.
    void print(const char* text);
    // Tells how many more times each message shown its most times came.
    void finishRepeats();
    void clear();

    void setPlaceSource(PlaceSource source) { fPlace = std::move(source); }

    // The lines shown since the last clear; of many, the latest (at least
    // half of kMostKept).
    const std::vector<std::string>& lines() const { return fLines; }
    // How many lines were shown since the last clear.
    size_t count() const { return fCount; }
    // The whole text as the edit control holds it: each line followed by
    // carriage return and line feed.
    std::string text() const;
    // The worst severity among the lines since the last clear.
    Severity worst() const { return fWorst; }

    void setView(MessageView* view) { fView = view; }

    // A message is shown this many times; later ones are counted.
    static constexpr int kShownRepeats = 3;
    static constexpr size_t kMostKept = 10000;
    // Messages whose repeats are counted, at most.
    static constexpr size_t kMostCounted = 4096;

private:
    struct Repeats {
        long seen = 0;
        size_t order = 0;
    };
    // Whether the message is to be shown, counting it.
    bool showAgain(const std::string& text);
    void show(const std::string& line, Severity severity);

    std::vector<std::string> fLines;
    size_t fCount = 0;
    Severity fWorst = Severity::None;
    MessageView* fView = nullptr;
    PlaceSource fPlace;
    std::unordered_map<std::string, Repeats> fRepeats;
};

} // namespace quelmark

#endif
