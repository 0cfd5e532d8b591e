#include "ddc/PluginDetector.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace lumora::ddc;
using lumora::Result;

// The real library plugin and the real tools, on this machine.
namespace {

TEST(PluginDetectorTest, LoadsTheLibraryQuietly) {
    QTemporaryDir devices;
    QFile(devices.filePath("i2c-99")).open(QIODevice::WriteOnly); // a node that can be opened
    const BusTiming timing(std::nullopt);
    PluginDetector detector(LUMORA_DDC_PLUGIN, devices.path().toStdString(), timing);

    QTemporaryDir captured;
    const std::string capture = captured.filePath("out").toStdString();
    const int saved = dup(STDOUT_FILENO);
    const int file = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDOUT_FILENO);
    const Result<std::vector<DisplayRecord>, Failure> detected = detector.detect();
    fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    ::close(file);
    ::close(saved);

    ASSERT_TRUE(detected.ok()) << detected.failure().message;
    QFile out(QString::fromStdString(capture));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray()) << "the library's chatter stays out of stdout";

    QTemporaryDir empty;
    EXPECT_EQ(PluginDetector::checkI2cAccess(empty.path().toStdString()).failure().message,
              "没有 I2C 设备（" + empty.path().toStdString() +
                  "/i2c-*）：请加载 i2c-dev 模块（modprobe i2c-dev）");
}

TEST(DdcBinariesTest, FailFastAndCleanlyWithoutI2c) {
    const bool hasI2c = !QDir("/dev").entryList({"i2c-*"}, QDir::System).isEmpty();
    const QList<std::pair<QString, QStringList>> runs = {
        {LUMORA_PANELCTL, {"setvcp", "--noverify", "--sn", "1234567890123", "0xD6", "0x04"}},
        {LUMORA_LUMINANCE_TOOL, {"display", "2", "get", "luminance"}},
        {LUMORA_LUMINANCE_TOOL, {"display", "2", "set", "luminance", "40"}},
    };
    for (const auto& [program, arguments] : runs) {
        SCOPED_TRACE((program + " " + arguments.join(' ')).toStdString());
        QProcess process;
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_EQ(process.readAllStandardOutput(), QByteArray());
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1);
        if (!hasI2c) {
            EXPECT_EQ(process.exitCode(), 4);
            EXPECT_EQ(lines[0],
                      "没有 I2C 设备（/dev/i2c-*）：请加载 i2c-dev 模块（modprobe i2c-dev）");
        }
    }

    QProcess usage;
    usage.start(LUMORA_PANELCTL, {"setvcp", "--sn"});
    ASSERT_TRUE(usage.waitForFinished(10000));
    EXPECT_EQ(usage.exitCode(), 2);
    EXPECT_EQ(usage.readAllStandardOutput(), QByteArray());
    EXPECT_TRUE(QString::fromUtf8(usage.readAllStandardError()).contains("用法：panelctl"));
}

} // namespace
