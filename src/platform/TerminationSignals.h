#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace lumora {

// SIGTERM, SIGINT and SIGHUP delivered as a Qt signal on the main thread, so the application ends
// through its own shutdown instead of dying where it stands. The handler only writes a byte to a
// pipe (the one thing a signal handler may safely do); the notifier reads it in the event loop.
// At most one object of this class may exist at a time.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;

signals:
    void received();

private:
    void drain();

    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace lumora
