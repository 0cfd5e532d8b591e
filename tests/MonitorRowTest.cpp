#include "ui/MonitorRow.h"
#include "support/Printers.h"

#include <gtest/gtest.h>

using namespace lumora;

namespace {

TEST(MonitorRowTest, BrightnessText) {
    const auto text = [](std::optional<qint64> brightness, std::optional<qint64> maximum) {
        return MonitorRow::brightnessText({.id = 1,
                                           .displayIndex = 1,
                                           .name = "M",
                                           .brightness = brightness,
                                           .maximum = maximum});
    };
    EXPECT_EQ(text(50, 100), "亮度 50 / 100");
    EXPECT_EQ(text(0, 100), "亮度 0 / 100");
    EXPECT_EQ(text(-3, 12345), "亮度 -3 / 12345");
    EXPECT_EQ(text(std::nullopt, 100), "读取中…");
    EXPECT_EQ(text(30, std::nullopt), "读取中…");
}

} // namespace
