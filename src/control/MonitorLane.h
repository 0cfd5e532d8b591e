#pragma once

#include "base/Result.h"
#include "control/Failure.h"
#include "control/MonitorState.h"
#include "control/ToolRunner.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

namespace lumora {

// One external monitor's own line of work: its tool runs, one at a time and in the order they
// were asked for, what it took of them, and the pace at which it is tried again after failing.
// The lanes of different monitors run side by side (the DDC tools lock per bus), so a slow or dead
// monitor costs the others nothing.
//
// A lane knows nothing of who drives it: it is given its monitor's number and its tools, answers
// each command through the callback it was given, and says by signal when its screen wants the
// wake, when its monitor could not be found and when it has followed a level.
class MonitorLane : public QObject {
    Q_OBJECT

public:
    struct Tools {
        const ToolRunner* runner = nullptr;
        QString luminanceTool;
        QString powerTool;
        // The luminance tool is our own: a follow step may send without reading back.
        bool setsWithoutReadBack = false;
    };
    struct Confirmation {
        qint64 sent = 0; // what a follow step sent
        qint64 held = 0; // what the monitor holds
    };
    // A built-in level and the luminance it maps to on this monitor.
    struct Target {
        qint64 level = 0;
        qint64 luminance = 0;
    };
    template <typename T> using Answer = std::function<void(Result<T, Failure>)>;

    MonitorLane(qint64 displayIndex, Tools tools, QObject* parent = nullptr);

    qint64 displayIndex() const { return m_displayIndex; }
    const MonitorState& state() const { return m_state; }
    // Whether a follow step should give it `level` now: it does not hold it, is not about to be
    // given it, and is not waiting to be tried again after failing.
    bool isDue(qint64 level) const;

    // Another monitor holds the place now (or the same one came back): nothing learned of the one
    // before holds, but how to reach the new one does.
    void restart(QString serial);
    // The monitors come back from sleep at levels of their own: every level is due again.
    void forgetLevel() { m_state.level.reset(); }

    // Commands the user asked for; each waits its turn behind the lane's current work.
    // Reads a luminance value: "get" the current one, "max" the maximum.
    void read(const QString& command, Answer<qint64> answer);
    void step(qint64 delta, Answer<qint64> answer);
    // Switches the backlight on (when it is not known to be on) and sets the level, reading it
    // back; level 0 switches the backlight off instead and answers 0.
    void setLevel(Target target, Answer<qint64> answer);
    void setPower(bool on, Answer<void> answer);
    // Reads the luminance a follow step sent without reading back; `refused` hears of a monitor
    // that holds another value.
    void confirm(std::function<void(Confirmation)> refused);
    // Forgets a luminance waiting to be confirmed.
    void dropUnconfirmed() { m_state.unconfirmed.reset(); }

    // A follow step: the lane gives the monitor `level` as soon as it is free. A level asked for
    // while it is busy replaces any level still waiting, so a stuck lane never queues old levels.
    void follow(Target target);
    // Ending the process: what waits is dropped and a tool still running is stopped. A switch-off
    // cut short may have reached the monitor: it counts as taken, so that the quit switches it on.
    void stop();
    // Takes work again after stop(), for the last commands of the quit.
    void resume();

signals:
    // Between the two passes of a switch-on that followed a switch-off: the monitor wants a new
    // video signal to light up again.
    void wakeDue();
    // The DDC tool could not find the monitor: it may have moved, or another came.
    void notFound();
    // A follow step has ended; state() tells whether it failed, `shown` is the luminance the
    // monitor now holds where that changed.
    void followed(qint64 level, std::optional<qint64> shown);

private:
    using Job = std::function<void()>;
    using Ran = std::function<void(Result<QString, Failure>)>;

    void enqueue(Job job);
    void runNext();
    void finishJob();
    void runTool(const QString& tool, const QStringList& arguments, Ran ran);
    void runLuminance(const QStringList& arguments, Answer<qint64> answer);
    template <typename T> Result<T, Failure> noteOutcome(Result<T, Failure> result);

    QStringList luminanceArguments(const QString& command, std::optional<qint64> value) const;
    void switchPower(bool on, Answer<void> answer);
    void powerPass(const QString& value, Ran ran);
    void notePower(bool on, bool took, const std::optional<Failure>& failure);
    // Switches the backlight on where it is not known to be on, then runs `then`; a monitor that
    // missed the switch-on after our switch-off stays dark, and the failure is answered instead.
    void lit(Answer<qint64> answer, const std::function<void()>& then);
    void switchOff(Answer<qint64> answer);
    void sendLevel(Target target, bool readBack, Answer<qint64> answer);
    void runFollow(Target target);

    const qint64 m_displayIndex;
    const Tools m_tools;
    MonitorState m_state;
    std::deque<Job> m_jobs;
    std::optional<Target> m_followTarget;   // the newest level a follow step asked for
    std::optional<qint64> m_followingLevel; // the level a follow step is giving the monitor now
    bool m_isBusy = false;
    bool m_isStopped = false;
    std::optional<bool> m_powerInFlight; // the direction of a power command running now
    QObject* m_runs = nullptr;           // owns the tool running now
};

} // namespace lumora
