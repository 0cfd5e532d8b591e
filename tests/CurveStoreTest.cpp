#include "control/CurveStore.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumora;

namespace {

using Curves = QMap<QString, StoredCurve>;

StoredCurve stored(bool learning, const std::vector<std::pair<qint64, qint64>>& points,
                   std::pair<qint64, qint64> limits = {0, 100}, qint64 monitorMaximum = 100) {
    StoredCurve entry{MonitorCurve(monitorMaximum), learning};
    entry.curve.setMaximum(limits.second);
    entry.curve.setMinimum(limits.first);
    for (const auto& [level, luminance] : points)
        entry.curve.learn(level, luminance);
    return entry;
}

const QByteArray mark = "lumora-curves 1\n";
const QByteArray dellLine = "DEL\\sU2720Q\\s\\\\7 on 10 90 100 30:20 60:45\n";
const Curves dell = {{"DEL U2720Q \\7", stored(true, {{30, 20}, {60, 45}}, {10, 90})}};

struct DamagedFile {
    const char* name;
    QByteArray contents;
    Curves kept;
    bool repaired;
};

TEST(CurveStoreTest, ReadsADamagedFileAsFarAsItIsSound) {
    const Curves a50 = {{"A", stored(true, {{50, 50}})}};
    const DamagedFile files[] = {
        {"sound", mark + dellLine, dell, false},
        {"crlf", "lumora-curves 1\r\n" + QByteArray(dellLine).replace("\n", "\r\n"), dell, false},
        {"truncatedLine", mark + dellLine + "LG on 0 1", dell, true},
        {"truncatedPoint",
         mark + "A off 0 100 100 30:20 60:",
         {{"A", stored(false, {{30, 20}})}},
         true},
        {"badNumbers", mark + "B on x 100 100\nA on 0 100 100 3O:20 50:50\n", a50, true},
        {"level150", mark + "A on 0 100 100 150:90 50:50\n", a50, true},
        {"luminanceMinus3", mark + "A on 0 100 100 20:-3 50:50\n", a50, true},
        {"fallingRun",
         mark + "A on 0 100 100 10:50 20:40 30:30 40:60 40:70\n",
         {{"A", stored(true, {{10, 50}, {40, 60}})}},
         true},
        {"limitsOutOfOrder", mark + "A on 80 20 100\n", {{"A", stored(true, {}, {20, 80})}}, true},
        {"limitsBeyondTheMonitor", mark + "A on -5 300 100\n", {{"A", stored(true, {})}}, true},
        {"sameMonitorTwice", mark + dellLine + "DEL\\sU2720Q\\s\\\\7 off 0 100 100\n", dell, true},
        {"garbageBytes",
         mark + QByteArrayLiteral("\xff\xfe\0\x01 on 0 100 100\n\x80\x81\n") + dellLine, dell,
         true},
        {"wrongFirstLine", "lumora-curves 2\n" + dellLine, {}, true},
    };
    QTemporaryDir folder;
    const CurveStore store(folder.path());
    for (const DamagedFile& file : files) {
        SCOPED_TRACE(file.name);
        QFile written(store.filePath());
        ASSERT_TRUE(written.open(QIODevice::WriteOnly));
        written.write(file.contents);
        written.close();
        const Result<LoadedCurves, QString> loaded = store.load();
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(loaded.value().curves, file.kept);
        EXPECT_EQ(loaded.value().repaired, file.repaired);
    }
}

TEST(CurveStoreTest, KeepsOnlyWhatIsWorthKeeping) {
    QTemporaryDir home;
    const CurveStore store(home.filePath("lumora"));
    const Curves nothing = {{"A", stored(false, {})}, {"", stored(true, {{50, 60}})}};
    const Curves curves = {{"DEL U2720Q \\7\t\n", stored(true, {{30, 20}, {90, 80}}, {10, 90})},
                           {"显示器", stored(true, {})},
                           {"LG 27", stored(false, {{50, 200}}, {0, 255}, 255)}};
    ASSERT_TRUE(store.load().ok());
    EXPECT_EQ(store.load().value().curves, Curves()) << "no file, no curves";
    EXPECT_FALSE(store.load().value().repaired);
    ASSERT_TRUE(store.save(nothing).ok());
    EXPECT_FALSE(QFileInfo::exists(home.filePath("lumora"))) << "no folder made for nothing";

    ASSERT_TRUE(store.save(curves).ok());
    const Result<LoadedCurves, QString> loaded = store.load();
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value().curves, curves);
    EXPECT_FALSE(loaded.value().repaired);

    ASSERT_TRUE(store.save(nothing).ok());
    EXPECT_FALSE(QFileInfo::exists(store.filePath())) << "the file goes when nothing is left";
}

} // namespace
