#include "platform/SystemSleep.h"

namespace lumora {

SystemSleep::SystemSleep(QDBusConnection bus, QObject* parent) : QObject(parent) {
    m_isListening = bus.connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(prepareForSleep(bool)));
}

void SystemSleep::prepareForSleep(bool isGoingToSleep) {
    if (isGoingToSleep)
        emit goingToSleep();
    else
        emit resumed();
}

} // namespace lumora
