#include "control/ToolRunner.h"

#include "control/ToolText.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <unistd.h>

namespace lumora {

namespace {

// What is kept of each of a tool's two outputs; the rest is read and dropped, so a chatty tool
// neither stalls nor fills memory.
constexpr qsizetype outputLimit = 64 * 1024;

// QProcess looks a bare name up in PATH; a tool is always run from the path it was given.
QString withoutPathSearch(const QString& executable) {
    return executable.contains(u'/') ? executable : QStringLiteral("./") + executable;
}

// Output cut at the limit may end inside a character: drop that partial character, so that the
// rest still decodes.
QByteArray withoutCutCharacter(QByteArray bytes) {
    if (bytes.size() < outputLimit)
        return bytes;
    for (qsizetype back = 1; back <= 4 && back <= bytes.size(); ++back) {
        const auto byte = quint8(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead is further back
        const int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (length > back)
            bytes.chop(back);
        break;
    }
    return bytes;
}

// Ends the tool and whatever it started: it runs in a process group of its own.
void killGroup(QProcess& process) {
    // Once the tool has ended its pid reads 0, and kill(0) would hit Lumora's own group.
    if (const auto pid = pid_t(process.processId()); pid > 0)
        ::kill(-pid, SIGKILL);
    process.kill();
}

// Appends what `channel` has ready to `kept`, up to the limit.
void drain(QProcess& process, QProcess::ProcessChannel channel, QByteArray& kept) {
    process.setReadChannel(channel);
    const QByteArray chunk = process.readAll();
    kept.append(chunk.left(outputLimit - kept.size()));
}

} // namespace

ToolRunner::ToolRunner(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

Result<QString, Failure> ToolRunner::run(const QString& executable,
                                         const QStringList& arguments) const {
    return runProcess(executable, arguments, true);
}

Result<QString, Failure> ToolRunner::runForLines(const QString& executable,
                                                 const QStringList& arguments) const {
    return runProcess(executable, arguments, false);
}

Result<QString, Failure> ToolRunner::runProcess(const QString& executable,
                                                const QStringList& arguments,
                                                bool asOneLine) const {
    QProcess process;
    process.setProgram(withoutPathSearch(executable));
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    // A group of its own, so that the time limit also ends whatever the tool started.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });

    QByteArray out;
    QByteArray err;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                     [&] { drain(process, QProcess::StandardOutput, out); });
    QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                     [&] { drain(process, QProcess::StandardError, err); });

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
    QObject::connect(&process, &QProcess::finished, &limit, &QTimer::stop);
    QObject::connect(&limit, &QTimer::timeout, &process, [&] {
        if (process.state() == QProcess::NotRunning)
            return;
        timedOut = true;
        killGroup(process);
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
        killGroup(process);
        process.waitForFinished();
        return ControlError::commandFailed(
            QStringLiteral("%1 已被停止：Lumora 正在退出").arg(QFileInfo(executable).fileName()));
    }

    drain(process, QProcess::StandardOutput, out);
    drain(process, QProcess::StandardError, err);
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
        const QString answer = decodeToolText(withoutCutCharacter(out)).value_or(QString());
        return asOneLine ? readableLine(answer) : answer;
    }
    return ControlError::commandFailed(readableLine(
        decodeToolText(withoutCutCharacter(err)).value_or(QStringLiteral("未知错误"))));
}

QString ToolRunner::timeLimitMessage(const QString& executable) const {
    const double seconds = std::chrono::duration<double>(m_timeLimit).count();
    return QStringLiteral("%1 在 %2 秒内没有结束，已被终止")
        .arg(QFileInfo(executable).fileName(), QString::number(seconds, 'g', 3));
}

} // namespace lumora
