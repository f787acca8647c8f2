#include "shell/TGauge.h"

#include <gtest/gtest.h>

using namespace quelmark;

TEST(GaugeTest, FormatsItsValue) {
    TGauge gauge(0, 100, "%d%%");
    EXPECT_EQ(gauge.text(), "0%");
    EXPECT_TRUE(gauge.setValue(45));
    EXPECT_EQ(gauge.text(), "45%");
    EXPECT_FALSE(gauge.setValue(45));
}

TEST(GaugeTest, HoldsValuesInItsRange) {
    TGauge gauge(0, 100, "%d");
    EXPECT_TRUE(gauge.setValue(250));
    EXPECT_EQ(gauge.value(), 100);
    EXPECT_FALSE(gauge.setValue(101));
    EXPECT_TRUE(gauge.setValue(-3));
    EXPECT_EQ(gauge.value(), 0);
}

TEST(GaugeTest, ReportsVisibilityChangesOnly) {
    TGauge gauge(0, 100, "%d%%");
    EXPECT_FALSE(gauge.visible());
    EXPECT_FALSE(gauge.show(false));
    EXPECT_TRUE(gauge.show(true));
    EXPECT_TRUE(gauge.visible());
    EXPECT_FALSE(gauge.show(true));
}
