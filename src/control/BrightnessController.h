#pragma once

#include "base/Result.h"
#include "control/BlackoutWindow.h"
#include "control/BrightnessProbe.h"
#include "control/ControllerConfig.h"
#include "control/Failure.h"
#include "control/Monitor.h"
#include "control/MonitorFinder.h"
#include "control/MonitorState.h"
#include "control/ToolRunner.h"
#include "hud/BrightnessHUD.h"
#include "platform/BuiltinPanel.h"
#include "platform/Displays.h"
#include "platform/LoginItem.h"
#include "platform/ScreenWindows.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace lumora {

// The one object that holds the application's state: the external monitors, the status line,
// the busy and mode flags the window reflects, and the bookkeeping of syncing and power.
//
// Everything runs on the main thread. While a tool runs, the event loop keeps turning, so an
// operation may be entered again from a timer in the middle of another one; isWorking() is the
// barrier that keeps such a nested entry from starting tool work of its own.
class BrightnessController : public QObject {
    Q_OBJECT

public:
    using Monitor = lumora::Monitor;

    BrightnessController(ControllerConfig config, Displays& displays, LoginItem& loginItem,
                         QObject* parent = nullptr);

    // Published state. objectWillChange() fires immediately before every write of one of these,
    // even when the value stays the same.
    const QList<Monitor>& monitors() const { return m_monitors; }
    const QString& status() const { return m_status; }
    bool isWorking() const { return m_isWorking; }
    bool isAutoSyncing() const { return m_isAutoSyncing; }
    bool isTestingBlackout() const { return m_isTestingBlackout; }

    // Reads every monitor's current and maximum luminance.
    void refresh();
    // Steps one monitor's luminance; `monitor` may be a copy taken before the last refresh.
    void change(const Monitor& monitor, qint64 step);
    // Gives both monitors the built-in display's brightness once.
    void syncToMainDisplay();
    // Switches following the built-in brightness on or off.
    void toggleAutoSync();
    // Starts or ends the backlight-off test.
    void toggleBlackoutTest();
    // The one-time actions of a start: launch at login, following on. Later calls do nothing.
    void runStartupTask();
    // The built-in brightness may have changed: while following, the follow step runs now
    // instead of at the next tick. A burst of calls runs it once, on the newest level.
    void builtinBrightnessChanged();
    // The system woke from sleep: the monitors may have come back at a level of their own, or
    // not at all. They are found again and, while following, synced once.
    void systemResumed();
    // Where the built-in panel is known to be dark, what its backlight reads is not the user's
    // level: following holds, the monitors keep their level and power, until it is lit again.
    // Without one, every level is followed.
    void setBuiltinPanel(BuiltinPanel& panel);
    // Ending the process, in two steps. stopForQuit() stops following and lets no further tool
    // start, so an operation cut short by the quit ends at once. shutDown(), once the event loop
    // has ended, switches a backlight Lumora switched off back on; its errors have nowhere to go.
    void stopForQuit();
    void shutDown();

signals:
    void objectWillChange();

private:
    using Work = std::function<Result<void, Failure>()>;
    using Clock = MonitorState::Clock;
    // Who a step tries: everyone (what the user asked for), or the monitors a follow step is due
    // to try (not yet at the level, and not waiting to be tried again after failing).
    enum class Reach { Everyone, Due };

    // Core (BrightnessController.cpp): the guard, refresh, stepping, tools, published setters.
    // Runs `work` unless another operation is running, and turns its failure into the status line.
    void guarded(const Work& work);
    Result<void, Failure> refreshMonitors();
    Result<void, Failure> readMonitor(qsizetype index);
    Result<void, Failure> stepMonitor(const Monitor& monitor, qint64 step);
    Result<QString, Failure> runTool(const QString& executable, const QStringList& arguments);
    Result<qint64, Failure> read(const QString& command, const QString& property, qint64 display);
    // Runs the luminance tool with `arguments` and parses its answer.
    Result<qint64, Failure> runLuminanceCommand(const QStringList& arguments);
    void setStatus(QString status);
    void setWorking(bool isWorking);
    void setAutoSyncing(bool isAutoSyncing);
    void setTestingBlackout(bool isTestingBlackout);
    void updateMonitor(qsizetype index, const std::function<void(Monitor&)>& edit);
    // The connected monitors a step tries, in order: those whose last command worked first.
    QList<qsizetype> monitorsToTry(Reach reach, std::optional<qint64> level) const;
    // Keeps what a monitor's command did; a monitor that is not found sends for a new search.
    template <typename T>
    Result<T, Failure> noteOutcome(qsizetype index, Result<T, Failure> result);
    // The failure of the first of `tried` whose last command failed.
    Result<void, Failure> firstFailure(const QList<qsizetype>& tried) const;

    // Following (BrightnessControllerFollowing.cpp): sync, the poll, the overlay, login.
    Result<void, Failure> syncMonitors();
    void startSyncTimer();
    void syncIfNeeded();
    void followChange();
    void builtinPanelChanged();
    // Whether following holds for a dark panel at this reading.
    bool holdsForDarkPanel(qint64 level);
    void decideOverlay(qint64 level);
    void enableLaunchAtLogin();
    Result<qint64, Failure> mainDisplayBrightness();
    // Puts one built-in level on every monitor; level 0 switches their backlight off instead.
    Result<void, Failure> applyMainBrightness(qint64 level, Reach reach = Reach::Everyone);
    Result<void, Failure> setLuminance(qsizetype index, qint64 level, Reach reach);
    // Reads back the monitors that were given a luminance without a read-back, once the level
    // has been still for a while, and says which one holds another value.
    void confirmLuminance();

    // Power (BrightnessControllerPower.cpp): backlight passes, wake, covers, backlight test.
    Result<void, Failure> startBlackoutTest();
    Result<void, Failure> endBlackoutTest();
    // Switches the backlight of every connected monitor; fails only when commands were sent and
    // none was taken.
    Result<void, Failure> setExternalDisplayPower(bool on);
    struct PowerOutcome {
        QList<qsizetype> missed; // the monitors that took none of their commands
        std::optional<Failure> lastError;
        bool anyTook = false;
    };
    // Switches the backlight of `monitors`; each keeps the power state it really took.
    PowerOutcome switchPower(bool on, const QList<qsizetype>& monitors);
    void notePowerMissed(qsizetype index, bool on, const Failure& failure);
    bool anyMonitorPoweredOff() const;
    void wakeDisplaysBySignal();
    void updateBlackoutWindows();
    void registerScreenObserver();
    QString panelctlPath() const;

    // Finding the monitors (BrightnessControllerMonitors.cpp), where no serials are configured.
    void findMonitors(MonitorFinder finder);
    void requestDetection();
    void runDetection();
    // Takes in what the DDC tool finds; answers the places a monitor came to.
    QList<qsizetype> detectMonitors();
    bool placeMonitor(qsizetype index, const std::optional<FoundMonitor>& found);
    QString connectedStatus() const;

    QList<Monitor> m_monitors;
    QString m_status;
    bool m_isWorking = false;
    bool m_isAutoSyncing = false;
    bool m_isTestingBlackout = false;

    const QString m_executable;
    QSet<QString> m_signalWakeDisplayNames;
    const ToolRunner m_toolRunner;
    std::optional<MonitorFinder> m_finder;
    QList<MonitorState> m_states; // one per entry of m_monitors
    const QString m_applicationFolder;
    BrightnessProbe m_probe;
    Displays& m_displays;
    LoginItem& m_loginItem;

    std::unique_ptr<QTimer> m_syncTimer;
    const bool m_setsWithoutReadBack;
    QTimer m_confirmTimer;
    std::optional<qint64> m_lastMainBrightness;
    ScreenWindows<std::unique_ptr<BlackoutWindow>> m_blackoutWindows;
    bool m_isBlackoutActive = false;
    QMetaObject::Connection m_screenObserver;
    BrightnessHUD m_hud;
    std::optional<qint64> m_lastHUDBrightness;
    bool m_isFollowQueued = false;  // a follow step for a change is queued
    bool m_isChangePending = false; // a change arrived while busy: follow it when free
    bool m_isDetectionQueued = false;
    bool m_isDetectionPending = false; // asked for while busy: search when free
    QPointer<BuiltinPanel> m_builtinPanel;
    bool m_isPanelDark = false; // following holds for a dark panel
    bool m_didStartAutomatically = false;
    bool m_isQuitting = false;
};

} // namespace lumora
