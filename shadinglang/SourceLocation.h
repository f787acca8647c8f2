// Where a piece of shader source came from: the file as it was named, and
// the line and column there (both from 1).
#ifndef QEL_SHADINGLANG_SOURCELOCATION_H
#define QEL_SHADINGLANG_SOURCELOCATION_H

#include <memory>
#include <string>

namespace quelmark::sl {

struct SourceLocation {
    // Shared by every token of a file: a file of tokens names itself once.
    std::shared_ptr<const std::string> file;
    int line = 0, column = 0;

    const std::string& fileName() const {
        static const std::string kNone;
        return file ? *file : kNone;
    }
};

} // namespace quelmark::sl

#endif
