#include "lumora-ddc/LuminanceCommand.h"
#include "fakes/FakeMonitor.h"

#include <gtest/gtest.h>

using namespace lumora::ddc;
using lumora::Result;
using namespace lumora::ddc::test;

namespace {

struct LuminanceCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<LuminanceRequest> request;
};

class LuminanceArguments : public ::testing::TestWithParam<LuminanceCase> {};

TEST_P(LuminanceArguments, ParseAsExpected) {
    const Result<LuminanceRequest, Failure> parsed =
        parseLuminanceCommandLine(GetParam().arguments);
    ASSERT_EQ(parsed.ok(), GetParam().request.has_value());
    if (parsed.ok())
        EXPECT_EQ(parsed.value(), *GetParam().request);
    else
        EXPECT_EQ(parsed.failure().exitStatus(), 2);
}

using A = LuminanceRequest::Action;
Target byNumber(int number) {
    return {.number = number, .serial = {}};
}
// As many as 220 KB of arguments hold: parsed by recursion, they overflowed the stack.
std::vector<std::string> noverifyRun() {
    std::vector<std::string> arguments(20000, "--noverify");
    arguments.insert(arguments.end(), {"display", "3", "set", "luminance", "1"});
    return arguments;
}
INSTANTIATE_TEST_SUITE_P(
    Forms, LuminanceArguments,
    ::testing::Values(
        LuminanceCase{
            "get", {"display", "2", "get", "luminance"}, LuminanceRequest{byNumber(2), A::Get, 0}},
        LuminanceCase{
            "max", {"display", "3", "max", "luminance"}, LuminanceRequest{byNumber(3), A::Max, 0}},
        LuminanceCase{"stepDown",
                      {"display", "2", "chg", "luminance", "-5"},
                      LuminanceRequest{byNumber(2), A::Change, -5}},
        LuminanceCase{"stepUp",
                      {"display", "2", "chg", "luminance", "+5"},
                      LuminanceRequest{byNumber(2), A::Change, 5}},
        LuminanceCase{"set",
                      {"display", "3", "set", "luminance", "65"},
                      LuminanceRequest{byNumber(3), A::Set, 65}},
        LuminanceCase{"bySerial",
                      {"--sn", "2222222222222", "set", "luminance", "40"},
                      LuminanceRequest{{std::nullopt, "2222222222222"}, A::Set, 40}},
        LuminanceCase{"optionForSerial", {"--sn", "--x", "get", "luminance"}, std::nullopt},
        LuminanceCase{"loneBackslash", {"--sn", "A\\B", "get", "luminance"}, std::nullopt},
        LuminanceCase{"detect", {"detect"}, LuminanceRequest{{}, A::Detect, 0}},
        LuminanceCase{"detectTabs", {"detect", "--tabs"}, LuminanceRequest{{}, A::DetectTabs, 0}},
        LuminanceCase{"fastSet",
                      {"--noverify", "display", "3", "set", "luminance", "65"},
                      LuminanceRequest{byNumber(3), A::Set, 65, false}},
        LuminanceCase{"fastSetBySerial",
                      {"--noverify", "--sn", "2222222222222", "set", "luminance", "40"},
                      LuminanceRequest{{std::nullopt, "2222222222222"}, A::Set, 40, false}},
        LuminanceCase{"fastGet", {"--noverify", "display", "3", "get", "luminance"}, std::nullopt},
        LuminanceCase{"fastTwice",
                      {"--noverify", "--noverify", "display", "3", "set", "luminance", "1"},
                      std::nullopt},
        LuminanceCase{
            "noverifyLast", {"display", "3", "set", "luminance", "1", "--noverify"}, std::nullopt},
        LuminanceCase{"noverifyRun", noverifyRun(), std::nullopt},
        LuminanceCase{"detectWithMore", {"detect", "2"}, std::nullopt},
        LuminanceCase{"noDisplayWord", {"monitor", "2", "get", "luminance"}, std::nullopt},
        LuminanceCase{"badNumber", {"display", "two", "get", "luminance"}, std::nullopt},
        LuminanceCase{"hexNumber",
                      {"display", "0x2", "get", "luminance"},
                      LuminanceRequest{byNumber(2), A::Get, 0}},
        LuminanceCase{"upperHexNumber",
                      {"display", "0X3", "get", "luminance"},
                      LuminanceRequest{byNumber(3), A::Get, 0}},
        LuminanceCase{
            "hugeHexNumber", {"display", "0xffffffffffffffff", "get", "luminance"}, std::nullopt},
        LuminanceCase{
            "hugeNumber", {"display", "99999999999999999999", "get", "luminance"}, std::nullopt},
        LuminanceCase{"otherProperty", {"display", "2", "get", "contrast"}, std::nullopt},
        LuminanceCase{"unknownAction", {"display", "2", "toggle", "luminance"}, std::nullopt},
        LuminanceCase{"missingAmount", {"display", "2", "set", "luminance"}, std::nullopt},
        LuminanceCase{"extraAmount", {"display", "2", "get", "luminance", "5"}, std::nullopt},
        LuminanceCase{"amountWithUnit", {"display", "2", "set", "luminance", "50%"}, std::nullopt},
        LuminanceCase{"amountOverflows",
                      {"display", "2", "chg", "luminance", "99999999999999999999"},
                      std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// The luminance tool over two monitors told apart by their numbers.
TEST(LuminanceCommandTest, AnswersAndClamps) {
    FakeDirectory directory;
    directory.monitors.push_back({{2, 5, "1111111111111", {}, {}, false, {}}, monitorAt(40, 100)});
    directory.monitors.push_back({{3, 6, "2222222222222", {}, {}, false, {}}, monitorAt(70, 80)});
    const FakeMonitor& second = directory.monitors[1].second;
    const auto run = [&](std::vector<std::string> arguments) {
        return runLuminance(arguments, directory);
    };
    EXPECT_EQ(run({"display", "3", "get", "luminance"}).out, "70\n");
    EXPECT_EQ(run({"display", "3", "max", "luminance"}).out, "80\n");
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "5"}).out, "75\n");
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "50"}).out, "80\n") << "clamped at max";
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "-500"}).out, "0\n") << "clamped at 0";
    EXPECT_EQ(run({"display", "3", "chg", "luminance", "-9223372036854775808"}).out, "0\n");
    EXPECT_EQ(run({"display", "3", "set", "luminance", "65"}).out, "65\n");
    EXPECT_EQ(run({"display", "3", "set", "luminance", "120"}).out, "80\n");
    EXPECT_EQ(run({"display", "3", "set", "luminance", "-3"}).out, "0\n");
    EXPECT_EQ(second.current, 0);
    for (const auto& set : second.sets)
        EXPECT_EQ(std::get<0>(set), luminanceFeature);

    const Outcome missing = run({"display", "9", "get", "luminance"});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "找不到编号为 9 的显示器\n");

    EXPECT_EQ(run({"detect"}).out,
              "显示器 2\t（无名称）\t序列号 1111111111111\t/dev/i2c-5\tDDC/CI 无应答\n"
              "显示器 3\t（无名称）\t序列号 2222222222222\t/dev/i2c-6\tDDC/CI 无应答\n");

    // The fast set asks for the maximum only while it is not known.
    directory.monitors[0].first.name = "Mi\t27\nNU\x1b";
    directory.monitors[0].first.serial = "11\t1\xe6\\";
    directory.monitors[1].first.serial = "";
    directory.monitors[1].first.edid = {0, 0, 0, 0, 0, 0, 0, 0, 0x32, 0xAD, 4, 0, 4, 0, 0, 0};
    directory.monitors[0].first.ddc = true;
    directory.monitors[1].first.maximum.reset();
    const int gets = second.gets;
    EXPECT_EQ(run({"--noverify", "display", "3", "set", "luminance", "120"}).out, "80\n");
    EXPECT_EQ(run({"--noverify", "display", "3", "set", "luminance", "33"}).out, "33\n");
    EXPECT_EQ(second.gets, gets + 1);
    EXPECT_EQ(second.sets.back(), std::make_tuple(luminanceFeature, uint16_t(33), false));

    EXPECT_EQ(run({"detect", "--tabs"}).out,
              "2\t11\\x091\\xe6\\x5c\tMi?27?NU?\t5\t1\n3\t\\edid:32ad040004000000\t\t6\t0\n");
    EXPECT_EQ(run({"--sn", "11\\x091\\xE6\\x5c", "get", "luminance"}).out, "40\n");
    EXPECT_EQ(run({"--sn", "\\edid:32ad040004000000", "get", "luminance"}).out, "33\n");
    const std::string error =
        run({"display", "3", "set", "luminance", "5\n\x1b[2J\xff\xe6\x98\x8e"}).err;
    EXPECT_EQ(error.substr(0, error.find('\n')), "参数错误：无效的数值 “5\\x0A\\x1B[2J\\xFF明”");
}

} // namespace
