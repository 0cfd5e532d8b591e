#pragma once

#include <QDBusConnection>
#include <QObject>

namespace lumora {

// Tells when the system goes to sleep and when it has woken, from logind's PrepareForSleep signal
// on the system bus (sent with true before sleeping and with false after waking). Without logind,
// never.
class SystemSleep : public QObject {
    Q_OBJECT

public:
    explicit SystemSleep(QDBusConnection bus, QObject* parent = nullptr);

    bool isListening() const { return m_isListening; }

signals:
    void goingToSleep();
    void resumed();

private slots:
    void prepareForSleep(bool isGoingToSleep);

private:
    bool m_isListening = false;
};

} // namespace lumora
