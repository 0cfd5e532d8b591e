// Finding the monitors where no serials are configured: which monitors the DDC tool numbers 2 and
// 3, their serials for the power tool and their names for the rows, the overlay and the wake.
#include "control/BrightnessController.h"

namespace lumora {

namespace {

// A place whose monitor gave no name, or that no monitor has held yet.
QString placeName(qint64 displayIndex) {
    return QStringLiteral("显示器 %1").arg(displayIndex);
}

} // namespace

void BrightnessController::findMonitors(MonitorFinder finder) {
    m_finder.emplace(std::move(finder));
    // The fixed names belong to configured monitors: until one is found, a place is just a place.
    for (Monitor& monitor : m_monitors) {
        monitor.name = placeName(monitor.displayIndex);
        monitor.isConnected = false;
    }
    // Before the window shows: the first refresh reads the monitors found here.
    const Result<QList<FoundMonitor>, Failure> found = m_finder->find();
    if (found.ok())
        (void)placeMonitors(found.value());
    else
        m_detectionFailure = found.failure();
}

void BrightnessController::systemResumed() {
    // Monitors often come back at a level of their own: every one is due for the level again.
    for (MonitorLane* lane : std::as_const(m_lanes))
        lane->forgetLevel();
    m_lastMainBrightness.reset();
    requestDetection();
    builtinBrightnessChanged();
}

void BrightnessController::requestDetection() {
    if (!m_finder)
        return;
    if (m_isDetecting) {
        m_isDetectionPending = true;
        return;
    }
    m_detectionDelay.start();
}

void BrightnessController::runDetection() {
    // Never in the middle of a user's command: the search changes the monitors it works on.
    if (m_isWorking) {
        m_isDetectionPending = true;
        return;
    }
    m_isDetecting = true;
    m_finder->start(this, [this](Result<QList<FoundMonitor>, Failure> found) {
        m_isDetecting = false;
        detectionAnswered(found);
        if (std::exchange(m_isDetectionPending, false))
            requestDetection();
    });
}

void BrightnessController::detectionAnswered(const Result<QList<FoundMonitor>, Failure>& found) {
    // Without an answer nothing is known to have changed: the monitors stay as they were, and
    // the tool's reason is shown.
    if (!found.ok()) {
        m_detectionFailure = found.failure();
        return setStatus(QStringLiteral("操作失败：") + describe(found.failure()));
    }
    m_detectionFailure.reset();
    const QList<qsizetype> arrived = placeMonitors(found.value());
    for (const qsizetype index : arrived)
        readMonitor(index, [] {});
    // A monitor that came is followed at once: it holds no level yet.
    if (!arrived.isEmpty())
        builtinBrightnessChanged();
}

QList<qsizetype> BrightnessController::placeMonitors(const QList<FoundMonitor>& found) {
    QList<qsizetype> arrived;
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        const auto same =
            std::find_if(found.begin(), found.end(), [&](const FoundMonitor& monitor) {
                return monitor.number == m_monitors[index].displayIndex;
            });
        if (placeMonitor(index, same == found.end() ? std::nullopt : std::optional(*same)))
            arrived.append(index);
    }
    return arrived;
}

bool BrightnessController::placeMonitor(qsizetype index, const std::optional<FoundMonitor>& found) {
    MonitorLane& lane = *m_lanes[index];
    const Monitor& monitor = m_monitors[index];
    if (!found) {
        if (monitor.isConnected)
            updateMonitor(index, [](Monitor& m) {
                m.isConnected = false;
                m.brightness.reset();
                m.maximum.reset();
            });
        return false;
    }
    const QString name = found->name.isEmpty() ? placeName(monitor.displayIndex) : found->name;
    if (monitor.isConnected && lane.state().serial == found->serial && monitor.name == name)
        return false;
    // Another monitor, or one that came back: nothing known of the old one holds for it.
    lane.restart(found->serial);
    updateMonitor(index, [&](Monitor& m) {
        m.name = name;
        m.isConnected = true;
        m.brightness.reset();
        m.maximum.reset();
    });
    return true;
}

QString BrightnessController::connectedStatus() const {
    if (!m_finder)
        return QStringLiteral("已连接两台小米显示器");
    QStringList names;
    for (const Monitor& monitor : m_monitors) {
        if (monitor.isConnected)
            names.append(monitor.name);
    }
    if (names.isEmpty())
        return QStringLiteral("没有找到外接显示器");
    return QStringLiteral("已连接显示器：") + names.join(QStringLiteral("、"));
}

} // namespace lumora
