// The external backlight: power passes, the wake, the cover windows and the backlight test.
#include "control/BrightnessController.h"

#include "control/WakeMode.h"

#include <QDir>
#include <map>

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
    const PowerOutcome outcome = switchPower(on, monitorsToTry(Reach::Everyone, std::nullopt));
    if (!outcome.anyTook && outcome.lastError)
        return *outcome.lastError;
    return {};
}

BrightnessController::PowerOutcome
BrightnessController::switchPower(bool on, const QList<qsizetype>& monitors) {
    using Power = MonitorState::Power;
    const bool wereOff = std::any_of(monitors.begin(), monitors.end(), [this](qsizetype index) {
        return m_states[index].power == Power::Off;
    });
    QList<qsizetype> targets;
    for (const qsizetype index : monitors) {
        // A monitor without a serial cannot be addressed: its power is taken as asked.
        if (m_states[index].serial.isEmpty())
            m_states[index].power = on ? Power::On : Power::Off;
        else if (!on || m_states[index].power != Power::On)
            targets.append(index);
    }
    const QString value = on ? QStringLiteral("0x01") : QStringLiteral("0x04");
    PowerOutcome outcome;
    QSet<qsizetype> took;
    std::map<qsizetype, Failure> failures;
    // A monitor that misses the command must not keep the other from getting it.
    const auto pass = [&] {
        for (const qsizetype index : targets) {
            const Result<QString, Failure> run =
                runTool(panelctlPath(), {QStringLiteral("setvcp"), QStringLiteral("--noverify"),
                                         QStringLiteral("--sn"), m_states[index].serial,
                                         QStringLiteral("0xD6"), value});
            if (run.ok())
                took.insert(index);
            else
                failures.insert_or_assign(index, outcome.lastError.emplace(run.failure()));
        }
    };

    pass();
    if (on) {
        if (wereOff)
            wakeDisplaysBySignal();
        pass();
    }
    outcome.anyTook = !took.isEmpty();
    for (const auto& [index, failure] : failures) {
        if (!took.contains(index)) {
            outcome.missed.append(index);
            notePowerMissed(index, on, failure);
        }
    }
    for (const qsizetype index : std::as_const(took)) {
        m_states[index].power = on ? Power::On : Power::Off;
        m_states[index].succeeded();
    }
    return outcome;
}

void BrightnessController::notePowerMissed(qsizetype index, bool on, const Failure& failure) {
    // A monitor that missed a switch-off is still lit and follows as before. One that missed the
    // switch-on after our switch-off stays dark and is switched on again at its next step; one we
    // never switched off is taken as on, so that a monitor without the power feature follows.
    if (on && m_states[index].power == MonitorState::Power::Unknown)
        m_states[index].power = MonitorState::Power::On;
    // A switch-off the quit cut short may have reached the monitor: it is switched on when
    // Lumora leaves.
    if (!on && m_isQuitting)
        m_states[index].power = MonitorState::Power::Off;
    (void)noteOutcome(index, Result<void, Failure>(failure));
}

bool BrightnessController::anyMonitorPoweredOff() const {
    return std::any_of(m_states.begin(), m_states.end(), [](const MonitorState& state) {
        return state.power == MonitorState::Power::Off;
    });
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
    m_screenObserver = connect(&m_displays, &Displays::screenParametersChanged, this, [this] {
        updateBlackoutWindows();
        // A monitor plugged in or out changes the screens: find out which ones are there now.
        requestDetection();
    });
}

void BrightnessController::stopForQuit() {
    m_syncTimer.reset();
    m_isQuitting = true;
}

void BrightnessController::shutDown() {
    m_isQuitting = false;
    // The barrier keeps a sync queued before the quit from running in the waits below.
    setWorking(true);
    if (anyMonitorPoweredOff())
        (void)setExternalDisplayPower(true);
    m_isQuitting = true;
}

QString BrightnessController::panelctlPath() const {
    return QDir(m_applicationFolder).filePath(QStringLiteral("panelctl"));
}

} // namespace lumora
