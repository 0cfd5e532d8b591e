#include "fakes/FakeDisplays.h"

namespace lumora::test {

std::optional<DisplayMode> FakeDisplays::currentMode(quint32 display) const {
    if (!current.contains(display))
        return std::nullopt;
    return current.value(display);
}

Result<void, QString> FakeDisplays::setMode(quint32 display, const DisplayMode& mode) {
    if (onSetMode)
        onSetMode();
    switches << QStringLiteral("%1:%2").arg(display).arg(mode.id);
    if (refusing.contains(display))
        return QStringLiteral("refused");
    return {};
}

void FakeDisplays::setScreens(const QList<Screen>& screens) {
    m_screens = screens;
    emit screenParametersChanged();
}

} // namespace lumora::test
