#include "control/ToolRunner.h"

#include "control/ToolText.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <optional>
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

// One tool in flight: its process, what it has said so far, and its time limit. Destroying it
// stops the tool.
class Run : public QObject {
public:
    Run(QObject* owner, const QString& executable, ToolRunner::Answer answer, QString limitMessage,
        ToolRunner::Done done)
        : QObject(owner), m_executable(executable), m_answer(answer),
          m_limitMessage(std::move(limitMessage)), m_done(std::move(done)) {}
    ~Run() override {
        // Stopping the tool makes it finish: that answer must not reach an owner on its way out.
        QObject::disconnect(&m_process, nullptr, this, nullptr);
        if (m_process.state() != QProcess::NotRunning) {
            killGroup(m_process);
            m_process.waitForFinished();
        }
    }

    void start(const QStringList& arguments, std::chrono::milliseconds timeLimit) {
        m_process.setProgram(withoutPathSearch(m_executable));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setInputChannelMode(QProcess::ForwardedInputChannel);
        // A group of its own, so that the time limit also ends whatever the tool started.
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
        connect(&m_process, &QProcess::readyReadStandardOutput, this,
                [this] { drain(m_process, QProcess::StandardOutput, m_out); });
        connect(&m_process, &QProcess::readyReadStandardError, this,
                [this] { drain(m_process, QProcess::StandardError, m_err); });
        connect(&m_process, &QProcess::finished, this, [this] { finish(answer()); });
        connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                finish(PlatformError{startFailureMessage(m_executable, m_process.errorString())});
        });
        m_limit.setSingleShot(true);
        connect(&m_limit, &QTimer::timeout, this, [this] {
            m_timedOut = true;
            killGroup(m_process);
        });
        m_process.start(QIODevice::ReadOnly);
        if (m_process.state() != QProcess::NotRunning)
            m_limit.start(timeLimit);
    }

private:
    Result<QString, Failure> answer() {
        if (m_timedOut)
            return ControlError::commandFailed(m_limitMessage);
        drain(m_process, QProcess::StandardOutput, m_out);
        drain(m_process, QProcess::StandardError, m_err);
        if (m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0) {
            const QString text = decodeToolText(withoutCutCharacter(m_out)).value_or(QString());
            return m_answer == ToolRunner::Answer::OneLine ? readableLine(text) : text;
        }
        // A child ended by a signal has no exit status of its own: it counts as a plain failure.
        const int status =
            m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : 1;
        return ControlError::commandFailed(
            readableLine(
                decodeToolText(withoutCutCharacter(m_err)).value_or(QStringLiteral("未知错误"))),
            status);
    }

    // Answers once, then goes: `done` may start the next run or destroy the owner.
    void finish(Result<QString, Failure> result) {
        if (m_isFinished)
            return;
        m_isFinished = true;
        m_limit.stop();
        deleteLater();
        m_done(std::move(result));
    }

    QProcess m_process;
    QTimer m_limit;
    QByteArray m_out;
    QByteArray m_err;
    const QString m_executable;
    const ToolRunner::Answer m_answer;
    const QString m_limitMessage;
    ToolRunner::Done m_done;
    bool m_timedOut = false;
    bool m_isFinished = false;
};

} // namespace

ToolRunner::ToolRunner(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

void ToolRunner::start(const QString& executable, const QStringList& arguments, Answer answer,
                       QObject* owner, Done done) const {
    auto* run = new Run(owner, executable, answer, timeLimitMessage(executable), std::move(done));
    run->start(arguments, m_timeLimit);
}

Result<QString, Failure> ToolRunner::run(const QString& executable, const QStringList& arguments,
                                         Answer answer) const {
    QObject owner;
    QEventLoop loop;
    std::optional<Result<QString, Failure>> result;
    start(executable, arguments, answer, &owner, [&](Result<QString, Failure> answered) {
        result.emplace(std::move(answered));
        loop.quit();
    });
    if (!result)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The application quit while the tool ran, which ends every event loop, this wait's too: the
    // owner stops the child on its way out rather than leaving it behind.
    if (!result)
        return ControlError::commandFailed(
            QStringLiteral("%1 已被停止：Lumora 正在退出").arg(QFileInfo(executable).fileName()));
    return std::move(*result);
}

QString ToolRunner::timeLimitMessage(const QString& executable) const {
    const double seconds = std::chrono::duration<double>(m_timeLimit).count();
    return QStringLiteral("%1 在 %2 秒内没有结束，已被终止")
        .arg(QFileInfo(executable).fileName(), QString::number(seconds, 'g', 3));
}

} // namespace lumora
