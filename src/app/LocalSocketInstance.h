#pragma once

#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLockFile>

class QLocalSocket;

namespace lumora {

// The session's instance without a session bus: a lock file held for the life of the owner, and
// a local socket beside it on which a later start asks the owner to show its window.
class LocalSocketInstance : public SingleInstance {
    Q_OBJECT

public:
    // `socketPath` is the socket's full path, in a folder only this user can enter (such as
    // $XDG_RUNTIME_DIR); the lock is the same path with ".lock" appended.
    explicit LocalSocketInstance(QString socketPath);

    Result<Claim, QString> claim() override;

private:
    Result<Claim, QString> listen();
    bool activateOwner() const;
    void answer(QLocalSocket* client);

    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};

} // namespace lumora
