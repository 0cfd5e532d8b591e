#pragma once

#include "platform/Displays.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <functional>

namespace lumora::test {

// Screens and modes a test sets up; mode switches are logged as "display:modeId".
class FakeDisplays : public Displays {
    Q_OBJECT

public:
    QList<Screen> screens() const override { return m_screens; }
    bool isBuiltin(quint32 display) const override { return builtin.contains(display); }
    quint32 mainDisplay() const override { return main; }
    std::optional<DisplayMode> currentMode(quint32 display) const override;
    QList<DisplayMode> allModes(quint32 display) const override { return modes.value(display); }
    Result<void, QString> setMode(quint32 display, const DisplayMode& mode) override;

    // Replaces the screens and announces the change, as a plug or unplug would.
    void setScreens(const QList<Screen>& screens);

    QSet<quint32> builtin;
    quint32 main = 0;
    QMap<quint32, DisplayMode> current;
    QMap<quint32, QList<DisplayMode>> modes;
    QSet<quint32> refusing; // displays whose mode switches fail
    QStringList switches;
    std::function<void()> onSetMode; // runs at every switch, before it is logged

private:
    QList<Screen> m_screens;
};

} // namespace lumora::test
