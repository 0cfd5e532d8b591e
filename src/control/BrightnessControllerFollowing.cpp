// Following the built-in display: the one-shot sync, the poll, the overlay, launch at login.
#include "control/BrightnessController.h"

#include "control/BrightnessProbe.h"

namespace lumora {

namespace {

const QString panelDarkStatus = QStringLiteral("内置显示屏已关闭，外接显示器保持当前亮度");
const QString noMonitorStatus = QStringLiteral("没有找到外接显示器");

} // namespace

void BrightnessController::syncToMainDisplay() {
    guarded([this] { return syncMonitors(); });
}

void BrightnessController::toggleAutoSync() {
    if (m_isTestingBlackout) {
        setTestingBlackout(false);
        m_isBlackoutActive = false;
        updateBlackoutWindows();
    }
    setAutoSyncing(!m_isAutoSyncing);
    if (m_isAutoSyncing) {
        setStatus(QStringLiteral("自动同步已开启：按 F1/F2 后会同步外接屏"));
        syncToMainDisplay();
        if (m_curvesNotice)
            setStatus(m_status + QStringLiteral("；") +
                      *std::exchange(m_curvesNotice, std::nullopt));
        startSyncTimer();
        return;
    }
    m_syncTimer.reset();
    cancelConfirmation();
    // Following stops here, so a backlight it switched off must not stay off; a failure has
    // nowhere useful to go.
    if (anyMonitorPoweredOff())
        (void)setExternalDisplayPower(true);
    m_isBlackoutActive = false;
    updateBlackoutWindows();
    setStatus(QStringLiteral("自动同步已暂停"));
}

void BrightnessController::runStartupTask() {
    if (m_didStartAutomatically)
        return;
    m_didStartAutomatically = true;
    enableLaunchAtLogin();
    if (!m_isAutoSyncing)
        toggleAutoSync();
}

Result<void, Failure> BrightnessController::syncMonitors() {
    const Result<qint64, Failure> level = mainDisplayBrightness();
    if (!level.ok())
        return level.failure();
    if (holdsForDarkPanel(level.value())) {
        setStatus(panelDarkStatus);
        return {};
    }
    if (connectedMonitors().isEmpty()) {
        if (m_detectionFailure)
            return *m_detectionFailure;
        setStatus(noMonitorStatus);
        return {};
    }
    if (Result<void, Failure> applied = applyMainBrightness(level.value()); !applied.ok())
        return applied;
    setStatus(m_wording.withBuiltin(QStringLiteral("已同步到")) +
              QStringLiteral("：%1%").arg(level.value()));
    return {};
}

void BrightnessController::startSyncTimer() {
    using namespace std::chrono_literals;
    auto timer = std::make_unique<QTimer>(this);
    timer->setObjectName(QStringLiteral("syncTimer"));
    // A timer's tick is already work queued on the main thread's event loop, run when the loop
    // is free for it (a tool's wait included): a second hop through the queue would only cost
    // another turn of the loop at every tick.
    connect(timer.get(), &QTimer::timeout, this, &BrightnessController::syncIfNeeded);
    timer->start(200ms);
    m_syncTimer = std::move(timer);
}

void BrightnessController::syncIfNeeded() {
    if (!m_isAutoSyncing || m_isWorking)
        return;
    const Result<qint64, Failure> level = mainDisplayBrightness();
    if (!level.ok()) {
        setStatus(QStringLiteral("自动同步失败：") + describe(level.failure()));
        return;
    }
    // A monitor that failed is tried again when its time comes, even at an unchanged level;
    // while the panel is dark every reading asks it again: it may be lit at the same level.
    if (m_lastMainBrightness == level.value() && !m_isPanelDark && !anyLaneDue(level.value()))
        return;
    if (const bool wasDark = m_isPanelDark; holdsForDarkPanel(level.value())) {
        if (!wasDark)
            setStatus(panelDarkStatus);
        return;
    }
    decideOverlay(level.value());
    startFollowStep(level.value());
}

void BrightnessController::builtinBrightnessChanged() {
    if (m_isFollowQueued)
        return;
    m_isFollowQueued = true;
    QMetaObject::invokeMethod(this, &BrightnessController::followChange, Qt::QueuedConnection);
}

void BrightnessController::followChange() {
    m_isFollowQueued = false;
    // Never two steps at once: a change seen while busy is followed when the work is done.
    m_isChangePending = m_isWorking;
    if (!m_isChangePending)
        syncIfNeeded();
}

void BrightnessController::setBuiltinPanel(BuiltinPanel& panel) {
    m_builtinPanel = &panel;
    connect(&panel, &BuiltinPanel::changed, this, &BrightnessController::builtinPanelChanged);
}

void BrightnessController::builtinPanelChanged() {
    // The next step asks the panel whatever the level reads: one going dark says so at once, one
    // lit again gets one step at its level.
    m_lastMainBrightness.reset();
    builtinBrightnessChanged();
}

bool BrightnessController::holdsForDarkPanel(qint64 level) {
    const bool wasDark = m_isPanelDark;
    // A panel coming back (lid opened, resumed) may read 0 for a moment: only a level it shows
    // ends the hold.
    m_isPanelDark = (m_builtinPanel && m_builtinPanel->isKnownOff()) || (wasDark && level == 0);
    // Its level coming back is not a change the user made: no overlay for it.
    if (wasDark && !m_isPanelDark)
        m_lastHUDBrightness.reset();
    return m_isPanelDark;
}

void BrightnessController::decideOverlay(qint64 level) {
    // The first reading after a start is not a change the user made: no overlay for it.
    if (!m_lastHUDBrightness) {
        m_hud.hideImmediately();
    } else if (level != *m_lastHUDBrightness) {
        if (level < 1)
            m_hud.hideImmediately();
        else
            m_hud.show(level);
    } else {
        return;
    }
    m_lastHUDBrightness = level;
}

void BrightnessController::enableLaunchAtLogin() {
    if (m_loginItem.isEnabled())
        return;
    if (const Result<void, QString> registered = m_loginItem.registerApp(); !registered.ok())
        setStatus(QStringLiteral("请在系统设置的登录项中允许 Lumora：") + registered.failure());
}

Result<qint64, Failure> BrightnessController::mainDisplayBrightness() {
    return m_probe.read(m_displays.mainDisplay());
}

Result<void, Failure> BrightnessController::applyMainBrightness(qint64 level) {
    m_isBlackoutActive = level == 0;
    updateBlackoutWindows();
    const QList<qsizetype> connected = connectedMonitors();
    onEachLane(connected, [this, level](qsizetype index, const std::function<void()>& answered) {
        m_lanes[index]->setLevel(target(index, level), [this, index,
                                                        answered](Result<qint64, Failure> value) {
            if (value.ok())
                updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = value.value(); });
            answered();
        });
    });
    // A monitor that missed the level is tried again at its own pace, not at every step; until it
    // answers, its failure stays in the status line.
    m_lastMainBrightness = m_lastHUDBrightness = level;
    return firstFailure(connected);
}

void BrightnessController::startFollowStep(qint64 level) {
    if (level == 0)
        cancelConfirmation();
    m_isBlackoutActive = level == 0;
    updateBlackoutWindows();
    m_lastMainBrightness = m_lastHUDBrightness = level;
    m_followLevel = level;
    m_followWaiting.clear();
    for (const qsizetype index : connectedMonitors()) {
        if (m_lanes[index]->isDue(level))
            m_followWaiting.append(index);
    }
    if (m_followWaiting.isEmpty())
        return reportFollowStep(level);
    for (const qsizetype index : std::as_const(m_followWaiting))
        m_lanes[index]->follow(target(index, level));
}

MonitorLane::Target BrightnessController::target(qsizetype index, qint64 level) const {
    const auto stored = m_curves.constFind(curveKey(index));
    if (level == 0 || stored == m_curves.cend())
        return {.level = level, .luminance = level};
    return {.level = level, .luminance = stored->curve.luminanceFor(level)};
}

bool BrightnessController::anyLaneDue(qint64 level) const {
    // Asked at every idle tick: no list is made for it.
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        if (m_monitors[index].isConnected && m_lanes[index]->isDue(level))
            return true;
    }
    return false;
}

void BrightnessController::laneFollowed(qsizetype index, qint64 level,
                                        std::optional<qint64> shown) {
    if (shown)
        updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = *shown; });
    if (shown && m_lanes[index]->state().unconfirmed)
        m_confirmTimer.start();
    // An answer to an older level: the lane goes on to the newest one.
    if (m_followLevel != level || !m_followWaiting.removeOne(index) || !m_followWaiting.isEmpty())
        return;
    reportFollowStep(level);
}

void BrightnessController::reportFollowStep(qint64 level) {
    m_followLevel.reset();
    const QList<qsizetype> connected = connectedMonitors();
    if (connected.isEmpty())
        return setStatus(m_detectionFailure
                             ? QStringLiteral("自动同步失败：") + describe(*m_detectionFailure)
                             : noMonitorStatus);
    for (const qsizetype index : connected) {
        if (const std::optional<Failure>& failure = m_lanes[index]->state().failure)
            return setStatus(QStringLiteral("自动同步失败：%1：%2")
                                 .arg(m_monitors[index].name, describe(*failure)));
    }
    setStatus(m_wording.withBuiltin(QStringLiteral("已跟随")) + QStringLiteral("：%1%").arg(level));
}

void BrightnessController::confirmLuminance() {
    if (m_isWorking)
        return m_confirmTimer.start();
    for (const qsizetype index : connectedMonitors()) {
        m_lanes[index]->confirm([this, index](MonitorLane::Confirmation refused) {
            updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = refused.held; });
            setStatus(QStringLiteral("自动同步失败：%1 没有接受亮度 %2，仍为 %3")
                          .arg(m_monitors[index].name)
                          .arg(refused.sent)
                          .arg(refused.held));
        });
    }
}

void BrightnessController::cancelConfirmation() {
    m_confirmTimer.stop();
    for (MonitorLane* lane : std::as_const(m_lanes))
        lane->dropUnconfirmed();
}

} // namespace lumora
