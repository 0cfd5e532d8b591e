#pragma once

#include "base/Result.h"
#include "control/BlackoutWindow.h"
#include "control/BrightnessProbe.h"
#include "control/ControllerConfig.h"
#include "control/CurveStore.h"
#include "control/Failure.h"
#include "control/Monitor.h"
#include "control/MonitorFinder.h"
#include "control/MonitorLane.h"
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
    // How the texts name this desk; fixed at construction.
    const Wording& wording() const { return m_wording; }

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
    // The monitors' curves from the built-in level to their luminance, with their limits, and
    // whether a step made while following teaches the curve (off until the user asks). `index`
    // is a place in monitors(). A curve the user changed is kept between runs.
    MonitorCurve curve(qsizetype index) const;
    bool isLearning(qsizetype index) const;
    void setCurveMinimum(qsizetype index, qint64 luminance);
    void setCurveMaximum(qsizetype index, qint64 luminance);
    void setLearning(qsizetype index, bool isLearning);
    void resetCurve(qsizetype index);
    // The built-in level last given to the monitors; nothing before the first.
    std::optional<qint64> followedLevel() const { return m_lastMainBrightness; }

    // Ending the process, in two steps. stopForQuit() stops following and lets no further tool
    // start, so an operation cut short by the quit ends at once. shutDown(), once the event loop
    // has ended, switches a backlight Lumora switched off back on; its errors have nowhere to go.
    void stopForQuit();
    void shutDown();

signals:
    void objectWillChange();

private:
    using Work = std::function<Result<void, Failure>()>;
    // Starts a command on one lane; `answered` is called once the lane has answered it.
    using LaneCommand = std::function<void(qsizetype index, std::function<void()> answered)>;

    // Core (BrightnessController.cpp): the guard, refresh, stepping, lanes, published setters.
    // Runs `work` unless another operation is running, and turns its failure into the status line.
    void guarded(const Work& work);
    Result<void, Failure> refreshMonitors();
    void readMonitor(qsizetype index, const std::function<void()>& answered);
    Result<void, Failure> stepMonitor(const Monitor& monitor, qint64 step);
    void setStatus(QString status);
    void setWorking(bool isWorking);
    void setAutoSyncing(bool isAutoSyncing);
    void setTestingBlackout(bool isTestingBlackout);
    void updateMonitor(qsizetype index, const std::function<void(Monitor&)>& edit);
    void addLanes(const ControllerConfig& config);
    // Starts `command` on the lanes of `monitors` side by side and waits, the event loop turning
    // but user input held, until every one has answered.
    void onEachLane(const QList<qsizetype>& monitors, const LaneCommand& command);
    // The places a monitor holds now, in order.
    QList<qsizetype> connectedMonitors() const;
    // The failure of the first of `monitors` whose last command failed.
    Result<void, Failure> firstFailure(const QList<qsizetype>& monitors) const;

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
    // Puts one built-in level on every monitor and waits for them; level 0 switches their
    // backlight off instead.
    Result<void, Failure> applyMainBrightness(qint64 level);
    // Gives `level` to every lane due for it, without waiting: each lane takes it as soon as it is
    // free, and the status line tells the outcome once they have all answered.
    void startFollowStep(qint64 level);
    bool anyLaneDue(qint64 level) const;
    // What monitor `index` is given for the built-in `level`.
    MonitorLane::Target target(qsizetype index, qint64 level) const;
    void laneFollowed(qsizetype index, qint64 level, std::optional<qint64> shown);
    void reportFollowStep(qint64 level);
    // Reads back the monitors that were given a luminance without a read-back, once the level
    // has been still for a while, and says which one holds another value.
    void confirmLuminance();
    void cancelConfirmation();

    // Power (BrightnessControllerPower.cpp): backlight, wake, covers, backlight test.
    Result<void, Failure> startBlackoutTest();
    Result<void, Failure> endBlackoutTest();
    // Switches the backlight of every connected monitor; fails only when commands were sent and
    // none was taken.
    Result<void, Failure> setExternalDisplayPower(bool on);
    bool anyMonitorPoweredOff() const;
    // Gives the screens of one monitor a new video signal.
    void wakeDisplaysBySignal(qsizetype index);
    bool showsMonitor(const Screen& screen, qsizetype index) const;
    void updateBlackoutWindows();
    void registerScreenObserver();

    // Curves (BrightnessControllerCurves.cpp).
    void loadCurves();
    // The monitor's identity for its curve: its EDID name and serial as the tools found them, or
    // its configured serial; empty where it has none.
    QString curveKey(qsizetype index) const;
    // Changes the curve of monitor `index` and keeps it; `reapply` gives the monitor its level
    // again through the changed curve.
    void editCurve(qsizetype index, const std::function<void(StoredCurve&)>& edit, bool reapply);
    void learnStep(qsizetype index, qint64 luminance);

    // Finding the monitors (BrightnessControllerMonitors.cpp), where no serials are configured.
    void findMonitors(MonitorFinder finder);
    void requestDetection();
    void runDetection();
    void detectionAnswered(const Result<QList<FoundMonitor>, Failure>& found);
    // Takes in what the DDC tool found; answers the places a monitor came to.
    QList<qsizetype> placeMonitors(const QList<FoundMonitor>& found);
    bool placeMonitor(qsizetype index, const std::optional<FoundMonitor>& found);
    QString connectedStatus() const;

    QList<Monitor> m_monitors;
    QString m_status;
    bool m_isWorking = false;
    bool m_isAutoSyncing = false;
    bool m_isTestingBlackout = false;

    const QSet<QString> m_signalWakeDisplayNames;
    const Wording m_wording;
    const ToolRunner m_toolRunner;
    std::optional<MonitorFinder> m_finder;
    QList<MonitorLane*> m_lanes; // one per entry of m_monitors
    BrightnessProbe m_probe;
    const CurveStore m_curveStore;
    QMap<QString, StoredCurve> m_curves;
    std::optional<QString> m_curvesNotice; // said once, with the first sync
    Displays& m_displays;
    LoginItem& m_loginItem;

    std::unique_ptr<QTimer> m_syncTimer;
    QTimer m_confirmTimer;
    // The follow step whose outcome the status line waits for: its level and the monitors that
    // have not answered it yet.
    std::optional<qint64> m_followLevel;
    QList<qsizetype> m_followWaiting;
    std::optional<qint64> m_lastMainBrightness;
    ScreenWindows<std::unique_ptr<BlackoutWindow>> m_blackoutWindows;
    bool m_isBlackoutActive = false;
    QMetaObject::Connection m_screenObserver;
    BrightnessHUD m_hud;
    std::optional<qint64> m_lastHUDBrightness;
    bool m_isFollowQueued = false;  // a follow step for a change is queued
    bool m_isChangePending = false; // a change arrived while busy: follow it when free
    QTimer m_detectionDelay;        // gathers a burst of screen changes into one search
    bool m_isDetecting = false;
    std::optional<Failure> m_detectionFailure; // the last search for the monitors failed
    bool m_isDetectionPending = false; // asked for while searching or busy: search when free
    QPointer<BuiltinPanel> m_builtinPanel;
    bool m_isPanelDark = false; // following holds for a dark panel
    bool m_didStartAutomatically = false;
};

} // namespace lumora
