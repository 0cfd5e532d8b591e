#include "control/MonitorLane.h"

#include "control/ToolText.h"

namespace lumora {

namespace {

// What our DDC tools exit with for a monitor they cannot find.
constexpr int notFoundStatus = 3;

bool isNotFound(const Failure& failure) {
    const auto* error = std::get_if<ControlError>(&failure);
    return error && error->kind() == ControlError::Kind::CommandFailed &&
           error->exitStatus() == notFoundStatus;
}

} // namespace

MonitorLane::MonitorLane(qint64 displayIndex, Tools tools, QObject* parent)
    : QObject(parent), m_displayIndex(displayIndex), m_tools(std::move(tools)),
      m_runs(new QObject(this)) {}

bool MonitorLane::isDue(qint64 level) const {
    return m_state.level != level && (!m_followTarget || m_followTarget->level != level) &&
           m_followingLevel != level && m_state.isDue(MonitorState::Clock::now());
}

void MonitorLane::restart(QString serial) {
    m_state.serial = std::move(serial);
    m_state.restart();
}

void MonitorLane::read(const QString& command, Answer<qint64> answer) {
    enqueue([this, command, answer] {
        runLuminance(luminanceArguments(command, std::nullopt),
                     [this, answer](Result<qint64, Failure> value) {
                         answer(std::move(value));
                         finishJob();
                     });
    });
}

void MonitorLane::step(qint64 delta, Answer<qint64> answer) {
    enqueue([this, delta, answer] {
        runLuminance(luminanceArguments(QStringLiteral("chg"), delta),
                     [this, answer](Result<qint64, Failure> value) {
                         answer(std::move(value));
                         finishJob();
                     });
    });
}

void MonitorLane::setLevel(Target target, Answer<qint64> answer) {
    enqueue([this, target, answer] {
        const Answer<qint64> done = [this, answer](Result<qint64, Failure> value) {
            answer(std::move(value));
            finishJob();
        };
        if (target.level == 0)
            return switchOff(done);
        lit(done, [this, target, done] { sendLevel(target, true, done); });
    });
}

void MonitorLane::setPower(bool on, Answer<void> answer) {
    enqueue([this, on, answer] {
        switchPower(on, [this, answer](Result<void, Failure> outcome) {
            answer(std::move(outcome));
            finishJob();
        });
    });
}

void MonitorLane::confirm(std::function<void(Confirmation)> refused) {
    enqueue([this, refused] {
        if (!m_state.unconfirmed)
            return finishJob();
        runLuminance(luminanceArguments(QStringLiteral("get"), std::nullopt),
                     [this, refused](Result<qint64, Failure> held) {
                         const qint64 sent = *std::exchange(m_state.unconfirmed, std::nullopt);
                         if (held.ok() && held.value() != sent)
                             refused({.sent = sent, .held = held.value()});
                         finishJob();
                     });
    });
}

void MonitorLane::follow(Target target) {
    if (m_isStopped)
        return;
    m_followTarget = target;
    runNext();
}

void MonitorLane::stop() {
    m_isStopped = true;
    m_jobs.clear();
    m_followTarget.reset();
    m_followingLevel.reset();
    if (m_powerInFlight == false)
        m_state.power = MonitorState::Power::Off;
    m_powerInFlight.reset();
    delete m_runs;
    m_runs = new QObject(this);
    m_isBusy = false;
}

void MonitorLane::resume() {
    m_isStopped = false;
}

void MonitorLane::enqueue(Job job) {
    m_jobs.push_back(std::move(job));
    runNext();
}

void MonitorLane::runNext() {
    if (m_isBusy)
        return;
    // The newest level goes first: a user's command waits at most one follow step.
    if (m_followTarget) {
        m_isBusy = true;
        return runFollow(*std::exchange(m_followTarget, std::nullopt));
    }
    if (m_jobs.empty())
        return;
    m_isBusy = true;
    const Job job = std::move(m_jobs.front());
    m_jobs.pop_front();
    job();
}

void MonitorLane::finishJob() {
    m_isBusy = false;
    runNext();
}

void MonitorLane::runTool(const QString& tool, const QStringList& arguments, Ran ran) {
    if (m_isStopped)
        return ran(ControlError::commandFailed(QStringLiteral("Lumora 正在退出")));
    m_tools.runner->start(tool, arguments, ToolRunner::Answer::OneLine, m_runs, std::move(ran));
}

void MonitorLane::runLuminance(const QStringList& arguments, Answer<qint64> answer) {
    runTool(m_tools.luminanceTool, arguments, [this, answer](Result<QString, Failure> output) {
        if (!output.ok())
            return answer(noteOutcome(Result<qint64, Failure>(output.failure())));
        const std::optional<qint64> value = parseLuminanceAnswer(output.value());
        answer(noteOutcome(value ? Result<qint64, Failure>(*value)
                                 : ControlError::invalidResponse(output.value())));
    });
}

template <typename T> Result<T, Failure> MonitorLane::noteOutcome(Result<T, Failure> result) {
    if (result.ok()) {
        m_state.succeeded();
        return result;
    }
    m_state.failed(result.failure(), MonitorState::Clock::now());
    if (isNotFound(result.failure()))
        emit notFound();
    return result;
}

QStringList MonitorLane::luminanceArguments(const QString& command,
                                            std::optional<qint64> value) const {
    QStringList arguments = {QStringLiteral("display"), QString::number(m_displayIndex), command,
                             QStringLiteral("luminance")};
    if (value)
        arguments << QString::number(*value);
    return arguments;
}

void MonitorLane::switchPower(bool on, Answer<void> answer) {
    // Without an address no command can be sent: such a monitor is never switched off, so it is
    // lit as far as anyone knows, and a switch-off fails rather than being taken as done.
    if (m_state.serial.isEmpty()) {
        if (on)
            return answer({});
        return answer(noteOutcome(Result<void, Failure>(ControlError::commandFailed(
            QStringLiteral("显示器 %1 没有可用的序列号，无法关闭背光").arg(m_displayIndex)))));
    }
    const bool wasOff = m_state.power == MonitorState::Power::Off;
    const QString value = on ? QStringLiteral("0x01") : QStringLiteral("0x04");
    m_powerInFlight = on;
    powerPass(value, [this, on, wasOff, value, answer](Result<QString, Failure> first) {
        if (!on) {
            notePower(on, first.ok(), first.ok() ? std::nullopt : std::optional(first.failure()));
            return answer(first.ok() ? Result<void, Failure>() : first.failure());
        }
        // The wake goes once, after the first pass the monitor took.
        if (first.ok() && wasOff)
            emit wakeDue();
        powerPass(
            value, [this, wasOff, answer, tookFirst = first.ok()](Result<QString, Failure> second) {
                if (!tookFirst && second.ok() && wasOff)
                    emit wakeDue();
                const bool took = tookFirst || second.ok();
                notePower(true, took, second.ok() ? std::nullopt : std::optional(second.failure()));
                answer(took ? Result<void, Failure>() : second.failure());
            });
    });
}

void MonitorLane::powerPass(const QString& value, Ran ran) {
    runTool(m_tools.powerTool,
            {QStringLiteral("setvcp"), QStringLiteral("--noverify"), QStringLiteral("--sn"),
             m_state.serial, QStringLiteral("0xD6"), value},
            std::move(ran));
}

void MonitorLane::notePower(bool on, bool took, const std::optional<Failure>& failure) {
    m_powerInFlight.reset();
    if (took) {
        m_state.power = on ? MonitorState::Power::On : MonitorState::Power::Off;
        m_state.succeeded();
        return;
    }
    // A monitor that missed a switch-off is still lit and follows as before. One that missed the
    // switch-on after our switch-off stays dark and is switched on again at its next step; one we
    // never switched off is taken as on, so that a monitor without the power feature follows.
    if (on && m_state.power == MonitorState::Power::Unknown)
        m_state.power = MonitorState::Power::On;
    if (failure)
        (void)noteOutcome(Result<void, Failure>(*failure));
}

void MonitorLane::lit(Answer<qint64> answer, const std::function<void()>& then) {
    if (m_state.power == MonitorState::Power::On)
        return then();
    // A monitor that missed the switch-on gets no level at this step; one we never switched off
    // is taken as on from then on (see notePower), so that it follows from its next step.
    switchPower(true, [answer, then](Result<void, Failure> on) {
        if (!on.ok())
            return answer(on.failure());
        then();
    });
}

void MonitorLane::switchOff(Answer<qint64> answer) {
    switchPower(false, [this, answer](Result<void, Failure> off) {
        if (!off.ok())
            return answer(off.failure());
        // Only a monitor that took the switch-off holds level 0: one that missed it is tried
        // again while the level stays 0.
        m_state.level = 0;
        answer(0);
    });
}

void MonitorLane::sendLevel(Target target, bool readBack, Answer<qint64> answer) {
    QStringList arguments = luminanceArguments(QStringLiteral("set"), target.luminance);
    if (!readBack)
        arguments.prepend(QStringLiteral("--noverify"));
    runLuminance(arguments, [this, target, readBack, answer](Result<qint64, Failure> value) {
        if (value.ok()) {
            m_state.level = target.level;
            m_state.unconfirmed = readBack ? std::nullopt : std::optional(value.value());
        }
        answer(std::move(value));
    });
}

void MonitorLane::runFollow(Target target) {
    m_followingLevel = target.level;
    const Answer<qint64> done = [this, level = target.level](Result<qint64, Failure> value) {
        m_followingLevel.reset();
        emit followed(level, value.ok() ? std::optional(value.value()) : std::nullopt);
        finishJob();
    };
    if (target.level == 0)
        return switchOff(done);
    lit(done, [this, target, done] { sendLevel(target, !m_tools.setsWithoutReadBack, done); });
}

} // namespace lumora
