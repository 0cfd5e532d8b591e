#include "panelctl/PanelctlCommand.h"
#include "fakes/FakeMonitor.h"

#include <gtest/gtest.h>

using namespace lumora::ddc;
using lumora::Result;
using namespace lumora::ddc::test;

namespace {

struct PanelctlCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<SetVcpRequest> request;
    std::string message; // start of the error line for rejected forms
};

class PanelctlArguments : public ::testing::TestWithParam<PanelctlCase> {};

TEST_P(PanelctlArguments, ParseAsExpected) {
    const PanelctlCase& row = GetParam();
    const Result<SetVcpRequest, Failure> parsed = parsePanelctlCommandLine(row.arguments);
    if (row.request) {
        ASSERT_TRUE(parsed.ok()) << parsed.failure().message;
        EXPECT_EQ(parsed.value(), *row.request);
        return;
    }
    ASSERT_FALSE(parsed.ok());
    EXPECT_EQ(parsed.failure().exitStatus(), 2);
    EXPECT_EQ(parsed.failure().message.rfind(row.message, 0), 0u) << parsed.failure().message;
}

const std::string sn = "1234567890123";

INSTANTIATE_TEST_SUITE_P(
    Forms, PanelctlArguments,
    ::testing::Values(
        PanelctlCase{"lumoraOff",
                     {"setvcp", "--noverify", "--sn", sn, "0xD6", "0x04"},
                     SetVcpRequest{sn, 0xD6, 4, false},
                     ""},
        PanelctlCase{"lumoraOn",
                     {"setvcp", "--noverify", "--sn", sn, "0xD6", "0x01"},
                     SetVcpRequest{sn, 0xD6, 1, false},
                     ""},
        PanelctlCase{"verifiedDecimal",
                     {"setvcp", "--sn", sn, "16", "65535"},
                     SetVcpRequest{sn, 0x10, 65535, true},
                     ""},
        PanelctlCase{"upperHexOptionLast",
                     {"setvcp", "--sn", sn, "0X10", "0XfF", "--noverify"},
                     SetVcpRequest{sn, 0x10, 255, false},
                     ""},
        PanelctlCase{"noCommand", {}, std::nullopt, "参数错误：第一个参数必须是 setvcp"},
        PanelctlCase{"otherCommand",
                     {"getvcp", "--sn", sn, "0x10"},
                     std::nullopt,
                     "参数错误：第一个参数必须是 setvcp"},
        PanelctlCase{"noSerial", {"setvcp", "0xD6", "0x01"}, std::nullopt, "参数错误：缺少 --sn"},
        PanelctlCase{"serialMissing",
                     {"setvcp", "0xD6", "0x01", "--sn"},
                     std::nullopt,
                     "参数错误：--sn 后面缺少序列号"},
        PanelctlCase{
            "oneOperand", {"setvcp", "--sn", sn, "0xD6"}, std::nullopt, "参数错误：需要功能码和值"},
        PanelctlCase{"threeOperands",
                     {"setvcp", "--sn", sn, "0xD6", "1", "2"},
                     std::nullopt,
                     "参数错误：需要功能码和值"},
        PanelctlCase{"featureTooBig",
                     {"setvcp", "--sn", sn, "256", "1"},
                     std::nullopt,
                     "参数错误：无效的功能码"},
        PanelctlCase{"valueTooBig",
                     {"setvcp", "--sn", sn, "0xD6", "0x10000"},
                     std::nullopt,
                     "参数错误：无效的值"},
        PanelctlCase{"negativeValue",
                     {"setvcp", "--sn", sn, "0xD6", "-1"},
                     std::nullopt,
                     "参数错误：无效的值"},
        PanelctlCase{"featureBeyond64Bits",
                     {"setvcp", "--sn", sn, "0x8000000000000000", "1"},
                     std::nullopt,
                     "参数错误：无效的功能码"},
        PanelctlCase{"valueBeyond64Bits",
                     {"setvcp", "--sn", sn, "0xD6", "0X10000000000000000"},
                     std::nullopt,
                     "参数错误：无效的值"},
        PanelctlCase{"optionForSerial",
                     {"setvcp", "--sn", "--noverify", "0xD6", "1"},
                     std::nullopt,
                     "参数错误：--sn 后面缺少序列号"},
        PanelctlCase{"escapedSerial",
                     {"setvcp", "--sn", "\\x2d-1\\x09", "0xD6", "1"},
                     SetVcpRequest{"--1\\x09", 0xD6, 1, true},
                     ""},
        PanelctlCase{"bareHexPrefix",
                     {"setvcp", "--sn", sn, "0x", "1"},
                     std::nullopt,
                     "参数错误：无效的功能码"},
        PanelctlCase{"unknownOption",
                     {"setvcp", "--force", "--sn", sn, "0xD6", "1"},
                     std::nullopt,
                     "参数错误：未知选项"}),
    [](const auto& info) { return std::string(info.param.name); });

// panelctl over two monitors told apart by their serials.
class PanelctlCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.monitors.push_back(
            {{2, 5, "1111111111111", {}, {}, false, {}}, monitorAt(40, 100)});
        directory.monitors.push_back(
            {{3, 6, "2222222222222", {}, {}, false, {}}, monitorAt(70, 80)});
    }
    FakeMonitor& second() { return directory.monitors[1].second; }

    FakeDirectory directory;
};

TEST_F(PanelctlCommandTest, SetsTheMonitorWithThatSerial) {
    const Outcome outcome =
        runPanelctl({"setvcp", "--noverify", "--sn", "2222222222222", "0xD6", "0x04"}, directory);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(second().sets.size(), 1u);
    EXPECT_EQ(second().sets[0], std::make_tuple(uint8_t(0xD6), uint16_t(4), false));
    EXPECT_TRUE(directory.monitors[0].second.sets.empty());
}

TEST_F(PanelctlCommandTest, FailuresAreOneLineWithTheirStatus) {
    Outcome outcome = runPanelctl({"setvcp", "--sn", "9999999999999", "0xD6", "1"}, directory);
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.err, "找不到序列号为 9999999999999 的显示器\n");
    EXPECT_EQ(outcome.out, "");

    second().failure = communicationFailure("DDC 通信失败：DDCRC_RETRIES（重试次数用尽）");
    outcome = runPanelctl({"setvcp", "--sn", "2222222222222", "0xD6", "1"}, directory);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "DDC 通信失败：DDCRC_RETRIES（重试次数用尽）\n");

    outcome = runPanelctl({"setvcp"}, directory);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("\n用法：panelctl setvcp"), std::string::npos)
        << "bad usage shows the usage text";
}

} // namespace
