// Where the tests write their image files.
#ifndef QEL_TESTS_DISPLAY_TEMPIMAGEPATH_H
#define QEL_TESTS_DISPLAY_TEMPIMAGEPATH_H

#include <gtest/gtest.h>

#include <string>

inline std::string tempImagePath(const char* name) {
    return ::testing::TempDir() + name;
}

#endif
