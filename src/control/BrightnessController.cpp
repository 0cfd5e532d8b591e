#include "control/BrightnessController.h"

#include <QDir>
#include <QEventLoop>
#include <memory>

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
      m_signalWakeDisplayNames(config.signalWakeDisplayNames), m_wording(config.wording),
      m_toolRunner(config.toolTimeLimit), m_probe(config.brightnessLibrary, config.wording),
      m_curveStore(config.curvesFolder), m_displays(displays), m_loginItem(loginItem),
      m_hud(displays, config.overlayTiming) {
    using namespace std::chrono_literals;
    m_confirmTimer.setSingleShot(true);
    m_confirmTimer.setInterval(500ms);
    connect(&m_confirmTimer, &QTimer::timeout, this, &BrightnessController::confirmLuminance);
    m_detectionDelay.setSingleShot(true);
    m_detectionDelay.setInterval(300ms);
    connect(&m_detectionDelay, &QTimer::timeout, this, &BrightnessController::runDetection);
    addLanes(config);
    loadCurves();
    if (!config.detectionTool.isEmpty())
        findMonitors(MonitorFinder(config.detectionTool, m_toolRunner));
    refresh();
    registerScreenObserver();
}

void BrightnessController::addLanes(const ControllerConfig& config) {
    const MonitorLane::Tools tools{
        .runner = &m_toolRunner,
        .luminanceTool = config.executable,
        .powerTool = QDir(config.applicationFolder).filePath(QStringLiteral("panelctl")),
        .setsWithoutReadBack = config.setsWithoutReadBack};
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        auto* lane = new MonitorLane(m_monitors[index].displayIndex, tools, this);
        lane->restart(config.displaySerialNumbers.value(index));
        connect(lane, &MonitorLane::wakeDue, this, [this, index] { wakeDisplaysBySignal(index); });
        connect(lane, &MonitorLane::notFound, this, &BrightnessController::requestDetection);
        connect(lane, &MonitorLane::followed, this,
                [this, index](qint64 level, std::optional<qint64> shown) {
                    laneFollowed(index, level, shown);
                });
        m_lanes.append(lane);
    }
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
    const QList<qsizetype> connected = connectedMonitors();
    // No monitor, because the search for them failed: its reason is the news.
    if (connected.isEmpty() && m_detectionFailure)
        return *m_detectionFailure;
    onEachLane(connected, [this](qsizetype index, const std::function<void()>& answered) {
        readMonitor(index, answered);
    });
    if (Result<void, Failure> failed = firstFailure(connected); !failed.ok())
        return failed;
    setStatus(connectedStatus());
    return {};
}

void BrightnessController::readMonitor(qsizetype index, const std::function<void()>& answered) {
    MonitorLane& lane = *m_lanes[index];
    lane.read(QStringLiteral("get"), [this, index, answered, &lane](Result<qint64, Failure> now) {
        if (!now.ok())
            return answered();
        updateMonitor(index, [&](Monitor& monitor) { monitor.brightness = now.value(); });
        lane.read(QStringLiteral("max"), [this, index, answered](Result<qint64, Failure> maximum) {
            if (maximum.ok())
                updateMonitor(index, [&](Monitor& monitor) { monitor.maximum = maximum.value(); });
            answered();
        });
    });
}

Result<void, Failure> BrightnessController::stepMonitor(const Monitor& monitor, qint64 step) {
    const auto entry = std::find_if(m_monitors.cbegin(), m_monitors.cend(),
                                    [&](const Monitor& m) { return m.id == monitor.id; });
    if (entry == m_monitors.cend() || !entry->isConnected)
        return {};
    const qsizetype index = entry - m_monitors.cbegin();
    Result<qint64, Failure> value = ControlError::commandFailed(QString());
    onEachLane({index}, [&](qsizetype, const std::function<void()>& answered) {
        m_lanes[index]->step(step, [&, answered](Result<qint64, Failure> stepped) {
            value = std::move(stepped);
            answered();
        });
    });
    if (!value.ok())
        return value.failure();
    updateMonitor(index, [&](Monitor& m) { m.brightness = value.value(); });
    setStatus(monitor.name + QStringLiteral("：亮度 ") + QString::number(value.value()));
    learnStep(index, value.value());
    return {};
}

void BrightnessController::onEachLane(const QList<qsizetype>& monitors,
                                      const LaneCommand& command) {
    struct Waiting {
        qsizetype count = 0;
        QEventLoop loop;
    };
    const auto waiting = std::make_shared<Waiting>();
    waiting->count = monitors.size();
    for (const qsizetype index : monitors) {
        command(index, [waiting] {
            if (--waiting->count == 0)
                waiting->loop.quit();
        });
    }
    if (waiting->count > 0)
        waiting->loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The application quit while the lanes worked, which ends every event loop, this wait's
    // too: what they still do is stopped here, so that no answer comes to a step that is over.
    if (waiting->count > 0) {
        for (MonitorLane* lane : std::as_const(m_lanes))
            lane->stop();
    }
}

QList<qsizetype> BrightnessController::connectedMonitors() const {
    QList<qsizetype> connected;
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        if (m_monitors[index].isConnected)
            connected.append(index);
    }
    return connected;
}

Result<void, Failure> BrightnessController::firstFailure(const QList<qsizetype>& monitors) const {
    for (const qsizetype index : monitors) {
        if (const std::optional<Failure>& failure = m_lanes[index]->state().failure)
            return *failure;
    }
    return {};
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

} // namespace lumora
