#include "support/ControllerRig.h"

namespace lumora::test {

void ControllerRig::SetUp() {
    m1ddc.script(ScriptedTool::monitorsAt(50, 100) << "display * set luminance *\tout=$5");
    panelctl.script({"**\texit=0"});
    setUpThreeScreens(displays);
}

BrightnessController& ControllerRig::controller() {
    if (!m_controller) {
        ControllerConfig config = m1ddc.config();
        config.displaySerialNumbers = serials;
        config.applicationFolder = panelctl.folder();
        config.overlayTiming = overlayTiming;
        m_controller = std::make_unique<BrightnessController>(config, displays, loginItem);
    }
    return *m_controller;
}

void ControllerRig::followFrom(int percent) {
    setLevel(percent);
    controller().toggleAutoSync();
    ASSERT_TRUE(controller().isAutoSyncing());
}

QStringList ControllerRig::power(const QString& value, const QStringList& serials) {
    QStringList runs;
    for (const QString& serial : serials)
        runs << QStringLiteral("setvcp --noverify --sn %1 0xD6 %2").arg(serial, value);
    return runs;
}

QStringList ControllerRig::setCommands(int level) {
    return {QStringLiteral("display 2 set luminance %1").arg(level),
            QStringLiteral("display 3 set luminance %1").arg(level)};
}

} // namespace lumora::test
