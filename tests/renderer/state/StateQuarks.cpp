#include "StateFixture.h"

#include "common/Quark.h"

using namespace quelmark;

namespace {

TestQuarks gQuarks{};

class QuarkEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        initQuark();
        gQuarks.varyInteger = declare("myint", 0xD02, 0xE02);
        gQuarks.constInteger = declare("stateTestCount", 0xD01, 0xE02);
        gQuarks.constString = declare("stateTestLabel", 0xD01, 0xE03);
        gQuarks.varyFloat = declare("stateTestHeight", 0xD02, 0xE01);
        gQuarks.space = declare("stateTestSpace", 0xD00, 0xE00);
    }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new QuarkEnvironment);

} // namespace

const TestQuarks& testQuarks() {
    return gQuarks;
}
