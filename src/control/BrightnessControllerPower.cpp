// The external backlight: power passes, the wake, the cover windows and the backlight test.
#include "control/BrightnessController.h"

#include "control/WakeMode.h"

#include <QDir>

namespace lumora {

void BrightnessController::toggleBlackoutTest() {
    if (m_isAutoSyncing)
        toggleAutoSync();
    guarded([this] { return m_isTestingBlackout ? endBlackoutTest() : startBlackoutTest(); });
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
    // Monitors recorded off stay recorded off while no monitor takes the switch-on, so that the
    // next step switches on again instead of reporting success over a dark screen. A switch-off
    // that none took is still recorded: a monitor may have taken it without saying so, and
    // switching on once too often is harmless.
    const bool failed = !anySucceeded && lastError;
    if (failed && on && wereOff)
        return *lastError;
    m_didInitializePowerState = true;
    m_displaysPoweredOff = !on;
    if (failed)
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
    m_blackoutWindows.update(
        m_isBlackoutActive ? m_displays.externalScreens() : QList<Screen>(),
        [] { return std::make_unique<BlackoutWindow>(); },
        [this](std::unique_ptr<BlackoutWindow>& window, const Screen& screen) {
            window->cover(screen.geometry, m_displays.canPlaceWindows());
        });
}

void BrightnessController::registerScreenObserver() {
    m_screenObserver = connect(&m_displays, &Displays::screenParametersChanged, this,
                               &BrightnessController::updateBlackoutWindows);
}

void BrightnessController::stopForQuit() {
    m_syncTimer.reset();
    m_isQuitting = true;
}

void BrightnessController::shutDown() {
    m_isQuitting = false;
    // The barrier keeps a sync queued before the quit from running in the waits below.
    setWorking(true);
    if (m_displaysPoweredOff)
        (void)setExternalDisplayPower(true);
    m_isQuitting = true;
}

QString BrightnessController::panelctlPath() const {
    return QDir(m_applicationFolder).filePath(QStringLiteral("panelctl"));
}

} // namespace lumora
