// The scene-writer library driven through nothing but its API: a test
// writes requests into a scene file of its own and reads the lines back,
// and every report arrives at the test's printer as one line.
#ifndef QEL_TESTS_WRITERFIXTURE_H
#define QEL_TESTS_WRITERFIXTURE_H

#include "api/qel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class WriterFixture : public ::testing::Test {
public:
    static Lines readLines(const std::string& file);
    static std::string readText(const std::string& file);

protected:
    WriterFixture();
    ~WriterFixture() override;

    // The lines that the requests write into a fresh scene file, which is
    // closed before it is read.
    Lines write(const std::function<void()>& requests);
    // The one line that the requests write.
    std::string line(const std::function<void()>& requests);
    // The reports made since the last call.
    static Lines reports();

    // A file name in the test's own directory.
    std::string path(const char* name) const;

    // %g, as the C library writes a float.
    static std::string g(float value);

private:
    std::string fDirectory;
};

#endif
