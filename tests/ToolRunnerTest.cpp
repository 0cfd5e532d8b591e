#include "control/ToolRunner.h"
#include "support/Eventually.h"
#include "support/ScriptedTool.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace lumora;
using namespace std::chrono_literals;
using lumora::test::ScriptedTool;

namespace {

class ToolRunnerTest : public ::testing::Test {
protected:
    Result<QString, Failure> run(const QStringList& rules, const QStringList& arguments = {"go"}) {
        tool.script(rules);
        return runner.run(tool.path(), arguments);
    }

    static QString message(const Result<QString, Failure>& result) {
        return result.ok() ? QStringLiteral("<ok>") : describe(result.failure());
    }

    ScriptedTool tool{QStringLiteral("m1ddc")};
    ToolRunner runner{2s};
};

TEST_F(ToolRunnerTest, ReturnsTrimmedStandardOutputAndPassesArgumentsVerbatim) {
    const Result<QString, Failure> result =
        run({"display 2 chg luminance -5 *\tout=\\n  45 \\n"},
            {"display", "2", "chg", "luminance", "-5", "$HOME;*"});
    ASSERT_TRUE(result.ok()) << message(result).toStdString();
    EXPECT_EQ(result.value(), "45");
    EXPECT_EQ(tool.log(), QStringList{"display 2 chg luminance -5 $HOME;*"});
}

TEST_F(ToolRunnerTest, NonZeroExitCarriesTheTrimmedStandardError) {
    const Result<QString, Failure> result = run({"go\tout=45\terr=  DDC 通信失败\\n\texit=1"});
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure(), Failure(ControlError::commandFailed("DDC 通信失败")));
}

TEST_F(ToolRunnerTest, NonZeroExitWithoutStandardErrorGivesAnEmptyMessage) {
    const Result<QString, Failure> result = run({"go\texit=3"});
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure(), Failure(ControlError::commandFailed("", 3)))
        << "the tool's own exit status is kept";
}

TEST_F(ToolRunnerTest, StandardErrorThatIsNotUtf8BecomesUnknownError) {
    const Result<QString, Failure> result = run({"go\terr=bad \\xff\texit=1"});
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure(), Failure(ControlError::commandFailed("未知错误")));
}

TEST_F(ToolRunnerTest, StandardOutputThatIsNotUtf8BecomesEmpty) {
    const Result<QString, Failure> result = run({"go\tout=4\\xc05"});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.value(), "");
}

TEST_F(ToolRunnerTest, ChildEndedBySignalIsAFailure) {
    const Result<QString, Failure> result = run({"go\tout=45\terr=dying\tsignal=9"});
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure(), Failure(ControlError::commandFailed("dying")));
}

TEST_F(ToolRunnerTest, ToolsThatCannotStartNameTheProgramAndTheReason) {
    const QString folder = QFileInfo(tool.path()).path();
    const QString notExecutable = QDir(folder).filePath("plain.txt");
    QFile(notExecutable).open(QIODevice::WriteOnly);

    const std::pair<QString, QString> cases[] = {
        {"/nonexistent/lumora-ddc", "无法启动 /nonexistent/lumora-ddc：找不到该程序"},
        {notExecutable, "无法启动 " + notExecutable + "：没有执行权限"},
        {folder, "无法启动 " + folder + "：这是一个文件夹，不是程序"},
        {"true", "无法启动 true：找不到该程序"},
    };
    for (const auto& [executable, message] : cases) {
        SCOPED_TRACE(executable.toStdString());
        const Result<QString, Failure> result = runner.run(executable, {});
        ASSERT_FALSE(result.ok());
        EXPECT_EQ(result.failure(), Failure(PlatformError{message}));
    }
}

TEST_F(ToolRunnerTest, DrainsMegabytesOnBothPipesAndKeepsOneReadableLine) {
    const Result<QString, Failure> answer = run({"go\toutbytes=4000000\terrbytes=4000000"});
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer.value().size(), 241);
    EXPECT_TRUE(answer.value().endsWith(u'…'));

    const QString lines = QString("总线忙\\n").repeated(50000);
    const Result<QString, Failure> error = run({"go\terr=" + lines + "\texit=1"});
    ASSERT_FALSE(error.ok());
    const QString text = message(error);
    EXPECT_TRUE(text.startsWith("总线忙 总线忙 总线忙 ")) << "line breaks become spaces";
    EXPECT_EQ(text.size(), 241);
    EXPECT_FALSE(text.contains(u'\n'));
}

TEST_F(ToolRunnerTest, TheTimeLimitEndsWhatTheToolStarted) {
    const QString pidFile = tool.folder() + "/grandchild";
    QFile script(tool.folder() + "/starter");
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\nsleep 60 &\necho $! > %1\nwait\n").arg(pidFile).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);

    const Result<QString, Failure> result = ToolRunner(300ms).run(script.fileName(), {});
    ASSERT_FALSE(result.ok());
    QFile pid(pidFile);
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    const QString stat = QString("/proc/%1/stat").arg(QString(pid.readAll()).trimmed());
    // Gone, or a zombie waiting for whoever adopted it.
    ASSERT_EVENTUALLY(!QFile::exists(stat) || [&] {
        QFile file(stat);
        return file.open(QIODevice::ReadOnly) && QString(file.readAll()).contains(") Z ");
    }());
}

TEST_F(ToolRunnerTest, KillsAChildThatOutlivesTheTimeLimit) {
    const ToolRunner hasty(300ms);
    tool.script({"go\thang"});
    const Result<QString, Failure> result = hasty.run(tool.path(), {"go"});
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.failure(),
              Failure(ControlError::commandFailed("m1ddc 在 0.3 秒内没有结束，已被终止")));
}

// Two tools run side by side; an owner that goes while its tool runs stops it and hears nothing.
TEST_F(ToolRunnerTest, StartedToolsRunSideBySideAndGoWithTheirOwner) {
    tool.script({"slow\tsleep=300\tout=1", "hung\thang"});
    QObject owner;
    int answers = 0;
    auto gone = std::make_unique<QObject>();
    runner.start(tool.path(), {"hung"}, ToolRunner::Answer::OneLine, gone.get(),
                 [&](const Result<QString, Failure>&) { ADD_FAILURE() << "answered its owner"; });
    qsizetype startedAtFirstAnswer = 0;
    for (int i = 0; i < 2; ++i)
        runner.start(tool.path(), {"slow"}, ToolRunner::Answer::OneLine, &owner,
                     [&](const Result<QString, Failure>& result) {
                         if (answers++ == 0)
                             startedAtFirstAnswer = tool.log().count("slow");
                         EXPECT_TRUE(result.ok());
                     });
    ASSERT_EVENTUALLY(answers == 2);
    EXPECT_EQ(startedAtFirstAnswer, 2) << "the second started before the first ended";
    gone.reset();
}

TEST_F(ToolRunnerTest, TimersRunWhileTheToolRuns) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10ms);
    const Result<QString, Failure> result = run({"go\tsleep=300\tout=1"});
    ASSERT_TRUE(result.ok());
    EXPECT_GT(ticks, 5);
}

TEST_F(ToolRunnerTest, LeavesNoDescriptorsBehind) {
    tool.script({"go\tout=1"});
    const auto openDescriptors = [] { return QDir("/proc/self/fd").entryList(QDir::Files).size(); };
    const qsizetype before = openDescriptors();
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(runner.run(tool.path(), {"go"}).ok());
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
