// The external backlight: power passes, the wake, the cover windows and the backlight test.
#include "control/BrightnessController.h"

#include "control/WakeMode.h"

#include <QDeadlineTimer>

namespace lumora {

void BrightnessController::toggleBlackoutTest() {
    if (m_isAutoSyncing)
        toggleAutoSync();
    guarded([this] { return m_isTestingBlackout ? endBlackoutTest() : startBlackoutTest(); });
}

Result<void, Failure> BrightnessController::startBlackoutTest() {
    cancelConfirmation();
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

Result<void, Failure> BrightnessController::setExternalDisplayPower(bool on) {
    bool anyTook = false;
    std::optional<Failure> lastError;
    onEachLane(connectedMonitors(), [&](qsizetype index, const std::function<void()>& answered) {
        m_lanes[index]->setPower(on, [&, answered](Result<void, Failure> outcome) {
            if (outcome.ok())
                anyTook = true;
            else
                lastError = outcome.failure();
            answered();
        });
    });
    if (!anyTook && lastError)
        return *lastError;
    return {};
}

bool BrightnessController::anyMonitorPoweredOff() const {
    return std::any_of(m_lanes.begin(), m_lanes.end(), [](const MonitorLane* lane) {
        return lane->state().power == MonitorState::Power::Off;
    });
}

void BrightnessController::wakeDisplaysBySignal(qsizetype index) {
    using namespace std::chrono_literals;
    // The desktop may answer slowly: the wake holds the window for a second at the most, and
    // skips the screens it has no time left for.
    const QDeadlineTimer wakeTime(1s);
    for (const Screen& screen : m_displays.screens()) {
        if (wakeTime.hasExpired())
            return;
        if (!showsMonitor(screen, index) || !screen.number)
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

bool BrightnessController::showsMonitor(const Screen& screen, qsizetype index) const {
    // The screen's own EDID serial names the monitor where the window system knows it; the
    // monitor's name stands in where it does not, among the configured names where the
    // monitors are configured.
    if (!screen.serial.isEmpty())
        return screen.serial == m_lanes[index]->state().serial;
    return (m_finder || m_signalWakeDisplayNames.contains(screen.name)) &&
           screen.name == m_monitors[index].name;
}

void BrightnessController::updateBlackoutWindows() {
    m_blackoutWindows.update(
        m_isBlackoutActive ? m_displays.externalScreens() : QList<Screen>(),
        [] { return std::make_unique<BlackoutWindow>(); },
        [this](std::unique_ptr<BlackoutWindow>& window, const Screen& screen) {
            window->cover(screen.geometry, m_displays.canPlaceWindows());
        });
}

void BrightnessController::registerScreenObserver() {
    m_screenObserver = connect(&m_displays, &Displays::screenParametersChanged, this, [this] {
        updateBlackoutWindows();
        // A monitor plugged in or out changes the screens: find out which ones are there now.
        requestDetection();
    });
}

void BrightnessController::stopForQuit() {
    m_syncTimer.reset();
    for (MonitorLane* lane : std::as_const(m_lanes))
        lane->stop();
}

void BrightnessController::shutDown() {
    // The barrier keeps a sync queued before the quit from running in the waits below.
    setWorking(true);
    for (MonitorLane* lane : std::as_const(m_lanes))
        lane->resume();
    if (anyMonitorPoweredOff())
        (void)setExternalDisplayPower(true);
    for (MonitorLane* lane : std::as_const(m_lanes))
        lane->stop();
}

} // namespace lumora
