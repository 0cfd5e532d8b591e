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
      m_displaySerialNumbers(std::move(config.displaySerialNumbers)),
      m_signalWakeDisplayNames(std::move(config.signalWakeDisplayNames)),
      m_toolRunner(config.toolTimeLimit), m_applicationFolder(std::move(config.applicationFolder)),
      m_probe(std::move(config.brightnessLibrary)), m_displays(displays), m_loginItem(loginItem),
      m_hud(displays, config.overlayTiming) {
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
    if (!isWorking && std::exchange(m_isChangePending, false))
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

} // namespace lumora
