#include "control/BrightnessController.h"

#include "control/BrightnessProbe.h"
#include "control/ToolText.h"
#include "control/WakeMode.h"

#include <QDir>

namespace lumora {

namespace {

QList<Monitor> monitorTable() {
    return {
        {.id = 2,
         .displayIndex = 2,
         .name = QStringLiteral("Mi 27 NU"),
         .brightness = std::nullopt,
         .maximum = std::nullopt},
        {.id = 3,
         .displayIndex = 3,
         .name = QStringLiteral("Mi Monitor"),
         .brightness = std::nullopt,
         .maximum = std::nullopt},
    };
}

} // namespace

BrightnessController::BrightnessController(ControllerConfig config, Displays& displays,
                                           LoginItem& loginItem, QObject* parent)
    : QObject(parent), m_monitors(monitorTable()), m_status(QStringLiteral("正在读取显示器亮度…")),
      m_executable(std::move(config.executable)),
      m_displaySerialNumbers(std::move(config.displaySerialNumbers)),
      m_signalWakeDisplayNames(std::move(config.signalWakeDisplayNames)),
      m_toolRunner(config.toolTimeLimit), m_bundleDirectory(std::move(config.bundleDirectory)),
      m_brightnessLibrary(std::move(config.brightnessLibrary)), m_displays(displays),
      m_loginItem(loginItem), m_hud(displays, config.overlayTiming) {
    refresh();
    registerScreenObserver();
}

void BrightnessController::refresh() {
    guarded([this] { return refreshMonitors(); });
}

void BrightnessController::change(const Monitor& monitor, qint64 step) {
    guarded([this, monitor, step] { return stepMonitor(monitor, step); });
}

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
        startSyncTimer();
        return;
    }
    m_syncTimer.reset();
    // Following stops here, so a backlight it switched off must not stay off; a failure has
    // nowhere useful to go.
    if (m_displaysPoweredOff)
        (void)setExternalDisplayPower(true);
    m_isBlackoutActive = false;
    updateBlackoutWindows();
    setStatus(QStringLiteral("自动同步已暂停"));
}

void BrightnessController::toggleBlackoutTest() {
    if (m_isAutoSyncing)
        toggleAutoSync();
    guarded([this] { return m_isTestingBlackout ? endBlackoutTest() : startBlackoutTest(); });
}

void BrightnessController::runStartupTask() {
    if (m_didStartAutomatically)
        return;
    m_didStartAutomatically = true;
    enableLaunchAtLogin();
    if (!m_isAutoSyncing)
        toggleAutoSync();
}

void BrightnessController::guarded(const Work& work) {
    if (m_isWorking)
        return;
    setWorking(true);
    if (const Result<void, Failure> result = work(); !result.ok())
        setStatus(QStringLiteral("操作失败：") + describe(result.failure()));
    setWorking(false);
}

Result<void, Failure> BrightnessController::refreshMonitors() {
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        const qint64 display = m_monitors[index].displayIndex;
        const Result<qint64, Failure> brightness =
            read(QStringLiteral("get"), QStringLiteral("luminance"), display);
        if (!brightness.ok())
            return brightness.failure();
        updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = brightness.value(); });

        const Result<qint64, Failure> maximum =
            read(QStringLiteral("max"), QStringLiteral("luminance"), display);
        if (!maximum.ok())
            return maximum.failure();
        updateMonitor(index, [&](Monitor& monitor) { monitor.maximum = maximum.value(); });
    }
    setStatus(QStringLiteral("已连接两台小米显示器"));
    return {};
}

Result<void, Failure> BrightnessController::stepMonitor(const Monitor& monitor, qint64 step) {
    const Result<qint64, Failure> value = runLuminanceCommand(
        {QStringLiteral("display"), QString::number(monitor.displayIndex), QStringLiteral("chg"),
         QStringLiteral("luminance"), QString::number(step)});
    if (!value.ok())
        return value.failure();

    const auto entry = std::find_if(m_monitors.cbegin(), m_monitors.cend(),
                                    [&](const Monitor& m) { return m.id == monitor.id; });
    if (entry == m_monitors.cend())
        return {};
    updateMonitor(entry - m_monitors.cbegin(), [&](Monitor& m) { m.brightness = value.value(); });
    setStatus(monitor.name + QStringLiteral("：亮度 ") + QString::number(value.value()));
    return {};
}

Result<void, Failure> BrightnessController::syncMonitors() {
    const Result<qint64, Failure> level = mainDisplayBrightness();
    if (!level.ok())
        return level.failure();
    if (Result<void, Failure> applied = applyMainBrightness(level.value()); !applied.ok())
        return applied;
    setStatus(QStringLiteral("已同步到 MacBook 主屏：%1%").arg(level.value()));
    return {};
}

Result<void, Failure> BrightnessController::startBlackoutTest() {
    m_isBlackoutActive = true;
    updateBlackoutWindows();
    if (Result<void, Failure> off = setExternalDisplayPower(false); !off.ok())
        return off;
    setTestingBlackout(true);
    setStatus(QStringLiteral("正在测试：两个外接屏背光已关闭"));
    return {};
}

Result<void, Failure> BrightnessController::endBlackoutTest() {
    if (Result<void, Failure> on = setExternalDisplayPower(true); !on.ok())
        return on;
    m_isBlackoutActive = false;
    updateBlackoutWindows();
    setTestingBlackout(false);
    setStatus(QStringLiteral("背光关闭测试已结束"));
    return {};
}

void BrightnessController::startSyncTimer() {
    using namespace std::chrono_literals;
    auto timer = std::make_unique<QTimer>(this);
    timer->setObjectName(QStringLiteral("syncTimer"));
    // The tick only queues the work, so it runs when the main thread is free for queued work.
    connect(timer.get(), &QTimer::timeout, this, [this] {
        QMetaObject::invokeMethod(this, &BrightnessController::syncIfNeeded, Qt::QueuedConnection);
    });
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
    if (m_lastMainBrightness == level.value())
        return;

    decideOverlay(level.value());
    setWorking(true);
    if (const Result<void, Failure> applied = applyMainBrightness(level.value()); applied.ok()) {
        setStatus(QStringLiteral("已跟随 MacBook 主屏：%1%").arg(level.value()));
        setWorking(false);
    } else {
        setWorking(false);
        setStatus(QStringLiteral("自动同步失败：") + describe(applied.failure()));
    }
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
    return readMainDisplayBrightness(m_brightnessLibrary, m_displays.mainDisplay());
}

Result<void, Failure> BrightnessController::applyMainBrightness(qint64 level) {
    m_isBlackoutActive = level == 0;
    updateBlackoutWindows();
    const qsizetype count = m_monitors.size();

    if (level == 0) {
        for (qsizetype index = 0; index < count; ++index)
            updateMonitor(index, [](Monitor& monitor) { monitor.brightness = 0; });
        m_lastMainBrightness = m_lastHUDBrightness = 0;
        return setExternalDisplayPower(false);
    }

    if (!m_didInitializePowerState || m_displaysPoweredOff) {
        if (Result<void, Failure> powered = setExternalDisplayPower(true); !powered.ok())
            return powered;
    }
    for (qsizetype index = 0; index < count; ++index) {
        if (Result<void, Failure> set = setLuminance(index, level); !set.ok())
            return set;
    }
    m_lastMainBrightness = m_lastHUDBrightness = level;
    return {};
}

Result<void, Failure> BrightnessController::setLuminance(qsizetype index, qint64 level) {
    const Result<qint64, Failure> value = runLuminanceCommand(
        {QStringLiteral("display"), QString::number(m_monitors[index].displayIndex),
         QStringLiteral("set"), QStringLiteral("luminance"), QString::number(level)});
    if (!value.ok())
        return value.failure();
    updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = value.value(); });
    return {};
}

Result<void, Failure> BrightnessController::setExternalDisplayPower(bool on) {
    const bool wereOff = m_displaysPoweredOff;
    const QString value = on ? QStringLiteral("0x01") : QStringLiteral("0x04");
    std::optional<Failure> lastError;
    bool anySucceeded = false;
    // A monitor that misses the command must not keep the other from getting it.
    const auto pass = [&] {
        for (const QString& serial : m_displaySerialNumbers) {
            const Result<QString, Failure> run = runTool(
                panelctlPath(), {QStringLiteral("setvcp"), QStringLiteral("--noverify"),
                                 QStringLiteral("--sn"), serial, QStringLiteral("0xD6"), value});
            if (run.ok())
                anySucceeded = true;
            else
                lastError = run.failure();
        }
    };

    pass();
    if (on) {
        if (wereOff)
            wakeDisplaysBySignal();
        pass();
    }
    m_didInitializePowerState = true;
    m_displaysPoweredOff = !on;
    if (!anySucceeded && lastError)
        return *lastError;
    return {};
}

void BrightnessController::wakeDisplaysBySignal() {
    for (const Screen& screen : m_displays.screens()) {
        if (!m_signalWakeDisplayNames.contains(screen.name) || !screen.number)
            continue;
        const quint32 display = *screen.number;
        const std::optional<DisplayMode> current = m_displays.currentMode(display);
        if (!current)
            continue;
        const std::optional<DisplayMode> other = wakeMode(*current, m_displays.allModes(display));
        if (other && m_displays.setMode(display, *other).ok())
            (void)m_displays.setMode(display, *current);
    }
}

void BrightnessController::updateBlackoutWindows() {
    std::map<quint32, QRect> wanted;
    if (m_isBlackoutActive) {
        for (const Screen& screen : m_displays.externalScreens())
            wanted[*screen.number] = screen.geometry;
    }
    std::erase_if(m_blackoutWindows,
                  [&](const auto& entry) { return !wanted.contains(entry.first); });
    for (const auto& [display, geometry] : wanted) {
        std::unique_ptr<BlackoutWindow>& window = m_blackoutWindows[display];
        if (!window)
            window = std::make_unique<BlackoutWindow>();
        window->cover(geometry);
    }
}

QString BrightnessController::panelctlPath() const {
    return QDir(m_bundleDirectory).filePath(QStringLiteral("panelctl"));
}

Result<QString, Failure> BrightnessController::runTool(const QString& executable,
                                                       const QStringList& arguments) {
    return m_toolRunner.run(executable, arguments);
}

Result<qint64, Failure> BrightnessController::read(const QString& command, const QString& property,
                                                   qint64 display) {
    return runLuminanceCommand(
        {QStringLiteral("display"), QString::number(display), command, property});
}

Result<qint64, Failure> BrightnessController::runLuminanceCommand(const QStringList& arguments) {
    const Result<QString, Failure> answer = runTool(m_executable, arguments);
    if (!answer.ok())
        return answer.failure();
    if (const std::optional<qint64> value = parseLuminanceAnswer(answer.value()))
        return *value;
    return ControlError::invalidResponse(answer.value());
}

void BrightnessController::registerScreenObserver() {
    m_screenObserver = connect(&m_displays, &Displays::screenParametersChanged, this,
                               &BrightnessController::updateBlackoutWindows);
}

void BrightnessController::setStatus(QString status) {
    emit objectWillChange();
    m_status = std::move(status);
}

void BrightnessController::setWorking(bool isWorking) {
    emit objectWillChange();
    m_isWorking = isWorking;
}

void BrightnessController::setAutoSyncing(bool isAutoSyncing) {
    emit objectWillChange();
    m_isAutoSyncing = isAutoSyncing;
}

void BrightnessController::setTestingBlackout(bool isTestingBlackout) {
    emit objectWillChange();
    m_isTestingBlackout = isTestingBlackout;
}

void BrightnessController::updateMonitor(qsizetype index,
                                         const std::function<void(Monitor&)>& edit) {
    emit objectWillChange();
    edit(m_monitors[index]);
}

} // namespace lumora
