#pragma once

#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/FakeBrightness.h"
#include "support/ScriptedTool.h"
#include "support/ThreeScreens.h"
#include "support/TopLevelWindows.h"

#include <gtest/gtest.h>
#include <memory>

namespace lumora::test {

inline const QString firstSerial = QStringLiteral("1111111111111");
inline const QString secondSerial = QStringLiteral("2222222222222");

// A controller on fakes of everything this machine lacks: the three screens of ThreeScreens.h,
// a luminance tool answering 50 of 100 and setting whatever it is asked, a power tool that
// succeeds, and a brightness library that fails until told a level. Fields set before the first
// controller() call shape the controller it makes.
class ControllerRig : public ::testing::Test {
public:
    // The command lines a test expects.
    static QStringList power(const QString& value, const QStringList& serials);
    static QStringList powerOff() { return power("0x04", {firstSerial, secondSerial}); }
    static QStringList powerOn() {
        return power("0x01", {firstSerial, secondSerial, firstSerial, secondSerial});
    }
    static QStringList setCommands(int level);

protected:
    void SetUp() override;

    BrightnessController& controller();
    void setLevel(int percent) const { brightness.level(percent); }
    // Switches following on with the built-in panel at `percent`.
    void followFrom(int percent);
    // The luminance tool's commands after the first refresh.
    QStringList luminanceLog() const { return m1ddc.log().mid(4); }

    ScriptedTool m1ddc{"m1ddc"};
    ScriptedTool panelctl{"panelctl"};
    FakeBrightness brightness;
    FakeDisplays displays;
    FakeLoginItem loginItem;
    QStringList serials{firstSerial, secondSerial};
    // Short enough that a test can wait out the overlay, yet well past a tick's work (a few tool
    // runs) and the 200 ms poll: an overlay a tick showed is still up when the test looks, and one
    // shown again at every tick never fades.
    HUDTiming overlayTiming{.hideDelay = std::chrono::milliseconds(500),
                            .fadeDuration = std::chrono::milliseconds(50)};

private:
    std::unique_ptr<BrightnessController> m_controller;
};

} // namespace lumora::test
