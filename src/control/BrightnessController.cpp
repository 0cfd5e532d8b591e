#include "control/BrightnessController.h"

#include "control/ToolText.h"

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
      m_signalWakeDisplayNames(std::move(config.signalWakeDisplayNames)),
      m_toolRunner(config.toolTimeLimit), m_applicationFolder(std::move(config.applicationFolder)),
      m_probe(std::move(config.brightnessLibrary)), m_displays(displays), m_loginItem(loginItem),
      m_setsWithoutReadBack(config.setsWithoutReadBack), m_hud(displays, config.overlayTiming) {
    using namespace std::chrono_literals;
    m_confirmTimer.setSingleShot(true);
    m_confirmTimer.setInterval(500ms);
    connect(&m_confirmTimer, &QTimer::timeout, this, &BrightnessController::confirmLuminance);
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        m_states.append(MonitorState());
        m_states.back().serial = config.displaySerialNumbers.value(index);
    }
    if (!config.detectionTool.isEmpty())
        findMonitors(MonitorFinder(std::move(config.detectionTool), m_toolRunner));
    refresh();
    registerScreenObserver();
}

void BrightnessController::refresh() {
    guarded([this] { return refreshMonitors(); });
}

void BrightnessController::change(const Monitor& monitor, qint64 step) {
    guarded([this, monitor, step] { return stepMonitor(monitor, step); });
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
    // One monitor that does not answer must not keep the other from being read.
    const QList<qsizetype> order = monitorsToTry(Reach::Everyone, std::nullopt);
    for (const qsizetype index : order)
        (void)readMonitor(index);
    if (Result<void, Failure> failed = firstFailure(order); !failed.ok())
        return failed;
    setStatus(connectedStatus());
    return {};
}

Result<void, Failure> BrightnessController::readMonitor(qsizetype index) {
    const qint64 display = m_monitors[index].displayIndex;
    const Result<qint64, Failure> brightness =
        noteOutcome(index, read(QStringLiteral("get"), QStringLiteral("luminance"), display));
    if (!brightness.ok())
        return brightness.failure();
    updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = brightness.value(); });

    const Result<qint64, Failure> maximum =
        noteOutcome(index, read(QStringLiteral("max"), QStringLiteral("luminance"), display));
    if (!maximum.ok())
        return maximum.failure();
    updateMonitor(index, [&](Monitor& monitor) { monitor.maximum = maximum.value(); });
    return {};
}

Result<void, Failure> BrightnessController::stepMonitor(const Monitor& monitor, qint64 step) {
    const auto entry = std::find_if(m_monitors.cbegin(), m_monitors.cend(),
                                    [&](const Monitor& m) { return m.id == monitor.id; });
    const qsizetype index = entry - m_monitors.cbegin();
    if (entry != m_monitors.cend() && !entry->isConnected)
        return {};
    Result<qint64, Failure> value = runLuminanceCommand(
        {QStringLiteral("display"), QString::number(monitor.displayIndex), QStringLiteral("chg"),
         QStringLiteral("luminance"), QString::number(step)});
    if (entry != m_monitors.cend())
        value = noteOutcome(index, std::move(value));
    if (!value.ok())
        return value.failure();
    if (entry == m_monitors.cend())
        return {};
    updateMonitor(index, [&](Monitor& m) { m.brightness = value.value(); });
    setStatus(monitor.name + QStringLiteral("：亮度 ") + QString::number(value.value()));
    return {};
}

Result<QString, Failure> BrightnessController::runTool(const QString& executable,
                                                       const QStringList& arguments) {
    if (m_isQuitting)
        return ControlError::commandFailed(QStringLiteral("Lumora 正在退出"));
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

void BrightnessController::setStatus(QString status) {
    emit objectWillChange();
    m_status = std::move(status);
}

void BrightnessController::setWorking(bool isWorking) {
    emit objectWillChange();
    m_isWorking = isWorking;
    if (isWorking)
        return;
    if (std::exchange(m_isDetectionPending, false))
        requestDetection();
    if (std::exchange(m_isChangePending, false))
        builtinBrightnessChanged();
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

QList<qsizetype> BrightnessController::monitorsToTry(Reach reach,
                                                     std::optional<qint64> level) const {
    const Clock::time_point now = Clock::now();
    QList<qsizetype> working;
    QList<qsizetype> failing;
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        const MonitorState& state = m_states[index];
        if (!m_monitors[index].isConnected)
            continue;
        if (reach == Reach::Due && (state.level == level || !state.isDue(now)))
            continue;
        (state.failure ? failing : working).append(index);
    }
    return working + failing;
}

template <typename T>
Result<T, Failure> BrightnessController::noteOutcome(qsizetype index, Result<T, Failure> result) {
    if (result.ok()) {
        m_states[index].succeeded();
        return result;
    }
    m_states[index].failed(result.failure(), Clock::now());
    // Our DDC tool's word for a monitor it cannot find: it may have moved, or a new one came.
    if (m_finder && describe(result.failure()).startsWith(QStringLiteral("找不到")))
        requestDetection();
    return result;
}

template Result<qint64, Failure> BrightnessController::noteOutcome(qsizetype,
                                                                   Result<qint64, Failure>);
template Result<void, Failure> BrightnessController::noteOutcome(qsizetype, Result<void, Failure>);

Result<void, Failure> BrightnessController::firstFailure(const QList<qsizetype>& tried) const {
    for (const qsizetype index : tried) {
        if (m_states[index].failure)
            return *m_states[index].failure;
    }
    return {};
}

} // namespace lumora
