#include "control/ToolRunner.h"

#include "control/ToolText.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace lumora {

namespace {

// QProcess looks a bare name up in PATH; a tool is always run from the path it was given.
QString withoutPathSearch(const QString& executable) {
    return executable.contains(u'/') ? executable : QStringLiteral("./") + executable;
}

} // namespace

ToolRunner::ToolRunner(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

Result<QString, Failure> ToolRunner::run(const QString& executable,
                                         const QStringList& arguments) const {
    QProcess process;
    process.setProgram(withoutPathSearch(executable));
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);

    QEventLoop loop;
    bool failedToStart = false;
    bool timedOut = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &process, [&] {
        timedOut = true;
        process.kill();
    });

    process.start(QIODevice::ReadOnly);
    if (!failedToStart) {
        limit.start(m_timeLimit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (failedToStart)
        return PlatformError{startFailureMessage(executable, process.errorString())};
    if (timedOut)
        return ControlError::commandFailed(timeLimitMessage(executable));
    // The application quit while the tool ran, which ends every event loop, this wait's too: the
    // child is stopped here rather than left behind.
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return ControlError::commandFailed(
            QStringLiteral("%1 已被停止：Lumora 正在退出").arg(QFileInfo(executable).fileName()));
    }

    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return decodeToolText(process.readAllStandardOutput()).value_or(QString());
    return ControlError::commandFailed(
        decodeToolText(process.readAllStandardError()).value_or(QStringLiteral("未知错误")));
}

QString ToolRunner::timeLimitMessage(const QString& executable) const {
    const double seconds = std::chrono::duration<double>(m_timeLimit).count();
    return QStringLiteral("%1 在 %2 秒内没有结束，已被终止")
        .arg(QFileInfo(executable).fileName(), QString::number(seconds, 'g', 3));
}

} // namespace lumora
