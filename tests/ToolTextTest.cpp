#include "control/ToolText.h"

#include <gtest/gtest.h>

using lumora::decodeToolText;
using lumora::parseLuminanceAnswer;

namespace {

struct AnswerCase {
    const char* name;
    QByteArray output;
    std::optional<qint64> value;
};

class AnswerRule : public ::testing::TestWithParam<AnswerCase> {};

// The whole road of an answer: bytes from the tool, decoded and trimmed, then parsed.
TEST_P(AnswerRule, DecodesTrimsAndParses) {
    const AnswerCase& row = GetParam();
    const std::optional<QString> text = decodeToolText(row.output);
    const std::optional<qint64> value = text ? parseLuminanceAnswer(*text) : std::nullopt;
    EXPECT_EQ(value, row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AnswerRule,
    ::testing::Values(
        AnswerCase{"plain", "37", 37}, AnswerCase{"lineBreak", "37\n", 37},
        AnswerCase{"crlf", "37\r\n", 37}, AnswerCase{"spacesAround", "  37  ", 37},
        AnswerCase{"tabsAndVerticalSpace", "\t\v\f37\t", 37},
        AnswerCase{"noBreakSpace",
                   "\xc2\xa0"
                   "37\xe2\x80\xa8",
                   37},
        AnswerCase{"nextLine", "37\xc2\x85", 37}, AnswerCase{"plusSign", "+37", 37},
        AnswerCase{"minusSign", "-3", -3}, AnswerCase{"zero", "0", 0},
        AnswerCase{"leadingZeros", "007", 7},
        AnswerCase{"largest", "9223372036854775807", std::numeric_limits<qint64>::max()},
        AnswerCase{"smallest", "-9223372036854775808", std::numeric_limits<qint64>::min()},
        AnswerCase{"beyondLargest", "9223372036854775808", std::nullopt},
        AnswerCase{"beyondSmallest", "-9223372036854775809", std::nullopt},
        AnswerCase{"twentyDigits", "12345678901234567890", std::nullopt},
        AnswerCase{"percent", "37%", std::nullopt}, AnswerCase{"spaceInside", "3 7", std::nullopt},
        AnswerCase{"empty", "", std::nullopt}, AnswerCase{"onlySpace", " \n", std::nullopt},
        AnswerCase{"signOnly", "-", std::nullopt}, AnswerCase{"twoSigns", "+-3", std::nullopt},
        AnswerCase{"hex", "0x25", std::nullopt}, AnswerCase{"decimalPoint", "37.0", std::nullopt},
        AnswerCase{"arabicIndicDigits", "\xd9\xa3\xd9\xa7", std::nullopt},
        AnswerCase{"fullWidthDigits", "\xef\xbc\x93\xef\xbc\x97", std::nullopt},
        AnswerCase{"byteOrderMark",
                   "\xef\xbb\xbf"
                   "37",
                   std::nullopt},
        AnswerCase{"zeroWidthSpace", "37\xe2\x80\x8b", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToolText, RejectsInvalidUtf8) {
    EXPECT_EQ(decodeToolText("37\xff"), std::nullopt);
    EXPECT_EQ(decodeToolText("\xc0\xb7"), std::nullopt) << "overlong encoding";
    EXPECT_EQ(decodeToolText("\xed\xa0\x80"), std::nullopt) << "encoded surrogate";
    EXPECT_EQ(decodeToolText("\xe4\xbd"), std::nullopt) << "cut short";
}

TEST(ToolText, TrimsOnlyTheEnds) {
    EXPECT_EQ(decodeToolText(" 未知 错误 \n"), QStringLiteral("未知 错误"));
}

} // namespace
