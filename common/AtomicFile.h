// Image files are written whole or not at all: the writer fills a temporary
// file beside the target ("<path>.part-<pid>"), which is renamed over the
// target once it is complete. When the writer fails, the temporary file is
// removed and whatever was at the target before is left as it was.
#ifndef QEL_COMMON_ATOMICFILE_H
#define QEL_COMMON_ATOMICFILE_H

#include <functional>
#include <string>

namespace quelmark {

class AtomicFile {
public:
    // The writer gets the name to write to and returns whether it wrote the
    // file completely. False when it did not, or when the new file cannot
    // take the target's place. A symbolic link is followed, and the file it
    // names replaced; an existing target keeps its permissions, and one we
    // may not write to is not replaced. A target that is no regular file (a
    // device, a pipe) is written in place, as there is nothing to rename.
    static bool writeWhole(const std::string& path,
                           const std::function<bool(const char* tempPath)>& write);

    // The temporary file of the write under way, null between writes. Safe
    // to call from a signal handler, for instance to unlink the file.
    static const char* inProgress();
};

} // namespace quelmark

#endif
