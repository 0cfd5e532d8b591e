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
    for (Monitor& monitor : m_monitors)
        monitor.name = placeName(monitor.displayIndex);
    (void)detectMonitors();
}

void BrightnessController::systemResumed() {
    // Monitors often come back at a level of their own: every one is due for the level again.
    for (MonitorState& state : m_states)
        state.level.reset();
    m_lastMainBrightness.reset();
    requestDetection();
    builtinBrightnessChanged();
}

void BrightnessController::requestDetection() {
    if (!m_finder || m_isDetectionQueued)
        return;
    m_isDetectionQueued = true;
    QMetaObject::invokeMethod(this, &BrightnessController::runDetection, Qt::QueuedConnection);
}

void BrightnessController::runDetection() {
    m_isDetectionQueued = false;
    // Never in the middle of a step: the search changes the monitors the step is working on.
    m_isDetectionPending = m_isWorking;
    if (m_isDetectionPending)
        return;
    setWorking(true);
    const QList<qsizetype> arrived = detectMonitors();
    for (const qsizetype index : arrived)
        (void)readMonitor(index);
    setWorking(false);
    // A monitor that came is followed at once: it holds no level yet.
    if (!arrived.isEmpty())
        builtinBrightnessChanged();
}

QList<qsizetype> BrightnessController::detectMonitors() {
    const Result<QList<FoundMonitor>, Failure> found = m_finder->find();
    // Without an answer nothing is known to have changed: the monitors stay as they were.
    if (!found.ok())
        return {};
    QList<qsizetype> arrived;
    for (qsizetype index = 0; index < m_monitors.size(); ++index) {
        const auto same = std::find_if(found.value().begin(), found.value().end(),
                                       [&](const FoundMonitor& monitor) {
                                           return monitor.number == m_monitors[index].displayIndex;
                                       });
        if (placeMonitor(index, same == found.value().end() ? std::nullopt : std::optional(*same)))
            arrived.append(index);
    }
    m_signalWakeDisplayNames.clear();
    if (m_monitors.size() > 1 && m_monitors[1].isConnected)
        m_signalWakeDisplayNames.insert(m_monitors[1].name);
    return arrived;
}

bool BrightnessController::placeMonitor(qsizetype index, const std::optional<FoundMonitor>& found) {
    MonitorState& state = m_states[index];
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
    if (monitor.isConnected && state.serial == found->serial && monitor.name == name)
        return false;
    // Another monitor, or one that came back: nothing known of the old one holds for it.
    state.serial = found->serial;
    state.restart();
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
