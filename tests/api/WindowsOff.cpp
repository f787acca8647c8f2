// The requests are tested without display windows, whatever the machine:
// a scene that writes no image file would otherwise open one, or say once
// that it cannot.
#include "api/qelwindow.h"

#include <gtest/gtest.h>

namespace {

class WindowsOff : public ::testing::Environment {
public:
    void SetUp() override { qelWindowsEnable(0); }
};

const ::testing::Environment* const gWindowsOff =
    ::testing::AddGlobalTestEnvironment(new WindowsOff);

} // namespace
