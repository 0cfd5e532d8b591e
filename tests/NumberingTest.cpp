#include "ddc/Numbering.h"

#include <gtest/gtest.h>

using namespace lumora::ddc;

namespace {

DisplayRecord monitor(int bus, const char* serial) {
    return {.number = 0,
            .bus = bus,
            .serial = serial,
            .edid = {uint8_t(serial[0])},
            .name = {},
            .ddc = true,
            .maximum = {}};
}
DisplayRecord numbered(int number, DisplayRecord record) {
    record.number = number;
    return record;
}
DisplayRecord missing(int number, DisplayRecord record) {
    record.number = number;
    record.bus = -1;
    return record;
}
DisplayRecord seenAt(int second, DisplayRecord record) {
    record.seen = std::chrono::system_clock::time_point(std::chrono::seconds(second));
    return record;
}

struct NumberingCase {
    const char* name;
    const char* serials;
    std::vector<DisplayRecord> detected;
    std::vector<DisplayRecord> remembered;
    std::vector<DisplayRecord> expected;
};

class NumberingTest : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(NumberingTest, AssignsAsExpected) {
    const NumberingCase& row = GetParam();
    EXPECT_EQ(Numbering(row.serials).assign(row.detected, row.remembered), row.expected);
}

const DisplayRecord a = monitor(4, "A"), b = monitor(5, "B"), c = monitor(9, "C");

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberingTest,
    ::testing::Values(
        NumberingCase{"bySerial", "B;A", {a, b, c}, {}, {numbered(3, a), numbered(2, b), c}},
        NumberingCase{"bySerialOneMissing", "A;B", {b, c}, {}, {numbered(3, b), c}},
        NumberingCase{
            "serialGivenTwice", "A;A", {a, monitor(7, "A")}, {}, {numbered(2, a), monitor(7, "A")}},
        NumberingCase{
            "byBusOrder", placeholderSerials, {c, b, a}, {}, {numbered(2, a), numbered(3, b), c}},
        NumberingCase{"rememberedFollowsItsMonitor",
                      placeholderSerials,
                      {a, b},
                      {numbered(2, b), numbered(3, a)},
                      {numbered(3, a), numbered(2, b)}},
        NumberingCase{"missingKeepsItsNumber",
                      placeholderSerials,
                      {b},
                      {numbered(2, a), numbered(3, b)},
                      {numbered(3, b), missing(2, a)}},
        NumberingCase{"deskWithOneMonitorTakesTheLongestMissing",
                      placeholderSerials,
                      {c},
                      {seenAt(5, missing(2, a)), seenAt(3, missing(3, b))},
                      {numbered(3, c), seenAt(5, missing(2, a))}},
        NumberingCase{"backAtTheDeskWhereItsNumberIsFree",
                      placeholderSerials,
                      {a, b},
                      {seenAt(9, numbered(3, c)), seenAt(5, missing(2, a))},
                      {numbered(2, a), numbered(3, b)}},
        NumberingCase{"freeNumberToANewMonitor",
                      placeholderSerials,
                      {c, b},
                      {numbered(3, b)},
                      {numbered(3, b), numbered(2, c)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberingTargetTest, NamesTheMonitorOrFails) {
    EXPECT_EQ(Numbering("A;B").target(3).value(), (Target{3, "B"}));
    EXPECT_EQ(Numbering(placeholderSerials).target(2).value(), (Target{2, ""}));
    EXPECT_EQ(Numbering("A").target(3).failure().exitStatus(), 3);
    EXPECT_EQ(Numbering("A;A").target(3).failure().message,
              "编号为 3 的显示器的序列号与前一台重复（LUMORA_DISPLAY_SERIALS）");
    EXPECT_EQ(Numbering("A;B").target(1).failure().exitStatus(), 3);
    EXPECT_EQ(Numbering("A;B").target(0).failure().exitStatus(), 3);
}

} // namespace
