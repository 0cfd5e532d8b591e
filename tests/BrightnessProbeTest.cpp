#include "control/BrightnessProbe.h"
#include "displayservices/Backlight.h"
#include "support/FakeBrightness.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace lumora;
using lumora::test::FakeBrightness;

namespace {

struct LevelCase {
    const char* name;
    float raw;
    std::optional<qint64> level;
};

class BrightnessLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(BrightnessLevel, ConvertsTheStoredFloat) {
    EXPECT_EQ(brightnessLevel(GetParam().raw), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BrightnessLevel,
    ::testing::Values(LevelCase{"half", 0.5f, 50}, LevelCase{"exactEighthRoundsUp", 0.125f, 13},
                      LevelCase{"full", 1.0f, 100}, LevelCase{"dark", 0.0f, 0},
                      LevelCase{"nearlyDark", 0.004f, 0}, LevelCase{"nearlyFull", 0.996f, 100},
                      LevelCase{"storedBelowHalf", 0.505f, 50}, LevelCase{"aboveFull", 1.2f, 100},
                      LevelCase{"negative", -0.1f, 0}, LevelCase{"huge", 3e38f, 100},
                      LevelCase{"notANumber", std::nanf(""), std::nullopt},
                      LevelCase{"infinite", INFINITY, std::nullopt},
                      LevelCase{"negativeInfinite", -INFINITY, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

QString failureText(const Result<qint64, Failure>& result) {
    return result.ok() ? QStringLiteral("<ok>") : describe(result.failure());
}

TEST(BrightnessProbe, ReadsThroughTheLoadedLibrary) {
    const FakeBrightness fake;
    fake.answer("0.42");
    const Result<qint64, Failure> level = BrightnessProbe(FakeBrightness::library()).read(77);
    ASSERT_TRUE(level.ok()) << failureText(level).toStdString();
    EXPECT_EQ(level.value(), 42);
    EXPECT_EQ(fake.lastDisplayAsked(), "77");
}

TEST(BrightnessProbe, FailuresCarryTheirTexts) {
    const FakeBrightness fake;
    const QString unavailable = "显示器返回了无效亮度值：macOS 亮度服务不可用";
    const QString unreadable = "显示器返回了无效亮度值：无法读取 MacBook 主屏系统亮度";

    EXPECT_EQ(failureText(BrightnessProbe("/nonexistent/libDisplayServices.so").read(1)),
              unavailable);
    EXPECT_EQ(failureText(BrightnessProbe(LUMORA_NO_SYMBOL_LIBRARY).read(1)), unavailable);
    fake.answer("fail");
    EXPECT_EQ(failureText(BrightnessProbe(FakeBrightness::library()).read(1)), unreadable);
    fake.answer("nan");
    EXPECT_EQ(failureText(BrightnessProbe(FakeBrightness::library()).read(1)), unreadable);
}

TEST(BrightnessProbe, OurLibraryAnswersFromTheSystemBacklight) {
    const Result<qint64, Failure> level = BrightnessProbe(LUMORA_BRIGHTNESS_LIBRARY).read(1);
    if (QDir("/sys/class/backlight").isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
        EXPECT_EQ(failureText(level), "显示器返回了无效亮度值：无法读取 MacBook 主屏系统亮度");
    else
        EXPECT_TRUE(level.ok()) << failureText(level).toStdString();
}

TEST(BrightnessProbe, SurvivesTheLibraryOverwrittenInPlace) {
    const FakeBrightness fake;
    fake.answer("0.42");
    const QTemporaryDir folder;
    const QString copy = folder.filePath("libDisplayServices.so");
    const auto overwrite = [&](const QString& from) {
        QFile source(from);
        QFile target(copy);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        ASSERT_TRUE(
            target.open(QIODevice::WriteOnly | QIODevice::Truncate)); // in place, as cp does
        target.write(source.readAll());
    };

    overwrite(FakeBrightness::library());
    BrightnessProbe probe(copy);
    EXPECT_EQ(failureText(probe.read(1)), "<ok>");
    overwrite(LUMORA_NO_SYMBOL_LIBRARY);
    EXPECT_EQ(failureText(probe.read(1)), "显示器返回了无效亮度值：macOS 亮度服务不可用");
    overwrite(FakeBrightness::library());
    EXPECT_EQ(probe.read(1).value(), 42);
}

class BacklightTest : public ::testing::Test {
protected:
    void device(const QString& name, const QString& type, const QString& brightness,
                const QString& maximum) const {
        QDir(folder.path()).mkpath(name);
        const auto write = [&](const char* file, const QString& text) {
            if (text.isNull())
                return;
            QFile out(QDir(folder.filePath(name)).filePath(file));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(text.toUtf8());
        };
        write("type", type);
        write("brightness", brightness);
        write("max_brightness", maximum);
    }

    std::optional<float> read() const { return readBacklight(folder.path().toStdString()); }

    QTemporaryDir folder;
};

TEST_F(BacklightTest, PrefersFirmwareThenPlatformThenRaw) {
    device("a_raw", "raw\n", "10\n", "100\n");
    device("b_platform", "platform\n", "30\n", "100\n");
    EXPECT_EQ(read(), 0.3f);
    device("z_firmware", "firmware\n", "1200\n", "2400\n");
    EXPECT_EQ(read(), 0.5f);
}

TEST_F(BacklightTest, PassesOverDevicesItCannotRead) {
    device("a", "firmware", "50", QString());
    device("b", "firmware", "50", "0");
    device("c", "firmware", "abc", "100");
    device("d", "firmware", "12x", "100");
    device("e", "firmware", "-5", "100");
    EXPECT_EQ(read(), std::nullopt);
    device("f", "raw", "25", "100");
    EXPECT_EQ(read(), 0.25f);
}

TEST_F(BacklightTest, ZeroOnlyForADarkPanel) {
    for (const auto& [raw, level] : {std::pair{"0", 0},
                                     {"1", 1},
                                     {"5", 1},
                                     {"14", 1},
                                     {"16", 2},
                                     {"500", 50},
                                     {"1000", 100}}) {
        device("panel", "firmware", raw, "1000");
        EXPECT_EQ(brightnessLevel(*read()), level) << raw << " of 1000";
    }
}

TEST_F(BacklightTest, NothingToReadGivesNothing) {
    EXPECT_EQ(read(), std::nullopt);
    EXPECT_EQ(readBacklight("/nonexistent/backlight"), std::nullopt);
}

} // namespace
