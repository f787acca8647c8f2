// Where the tests write their image files.
#ifndef QEL_TESTS_DISPLAY_TEMPIMAGEPATH_H
#define QEL_TESTS_DISPLAY_TEMPIMAGEPATH_H

#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

inline std::string tempImagePath(const char* name) {
    // The process id keeps tests that run side by side apart.
    return ::testing::TempDir() + std::to_string(::getpid()) + "-" + name;
}

#endif
