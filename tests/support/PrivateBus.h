#pragma once

#include <QProcess>
#include <QString>

namespace lumora::test {

// A D-Bus session bus of the test's own, a real dbus-daemon that ends with this object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    // Empty when the daemon did not start.
    const QString& address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace lumora::test
