// A fresh directory under the test's temporary directory, removed with
// everything in it at the end.
#ifndef QEL_TESTS_SHELL_SCRATCHDIR_H
#define QEL_TESTS_SHELL_SCRATCHDIR_H

#include <string>

class ScratchDir {
public:
    // prefix begins the directory's name; an empty path() tells of a failure.
    explicit ScratchDir(const std::string& prefix);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The directory, with a closing '/'.
    const std::string& path() const { return fPath; }

    // Writes the file (name relative to the directory) and returns the name.
    std::string write(const std::string& name, const std::string& text) const;
    bool exists(const std::string& name) const;
    // The file's bytes, empty when it cannot be read.
    std::string contents(const std::string& name) const;

private:
    std::string fPath;
};

#endif
