// Reading a source file whole: a regular file of at most the preprocessor's
// largest file, opened without waiting so that a pipe in its place does not
// block, and stopped at the limit should it grow while it is read.
#ifndef QEL_SHADINGLANG_SOURCEFILE_H
#define QEL_SHADINGLANG_SOURCEFILE_H

#include <optional>
#include <string>

namespace quelmark::sl {

// The file's text; none, with the reason ("No such file or directory", "not
// a regular file"...), when it cannot be read.
std::optional<std::string> readSourceText(const std::string& path, std::string& reason);

} // namespace quelmark::sl

#endif
