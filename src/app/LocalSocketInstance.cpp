#include "app/LocalSocketInstance.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>

namespace lumora {

namespace {

const QByteArray activateRequest = QByteArrayLiteral("activate\n");
const QByteArray activatedAnswer = QByteArrayLiteral("ok\n");
// How long a later start waits for an owner that holds the lock but is not listening yet.
constexpr std::chrono::seconds ownerStartLimit{10};
constexpr std::chrono::milliseconds retryInterval{50};

// Turns the event loop for `interval`, so an owner in this same process can answer meanwhile.
void pause(std::chrono::milliseconds interval) {
    QEventLoop loop;
    QTimer::singleShot(interval, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

LocalSocketInstance::LocalSocketInstance(QString socketPath)
    : m_socketPath(std::move(socketPath)), m_lock(m_socketPath + QStringLiteral(".lock")) {
    // Held for as long as the owner runs; the lock is stale only when its process has ended.
    m_lock.setStaleLockTime(0);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server.nextPendingConnection())
            answer(client);
    });
}

Result<LocalSocketInstance::Claim, QString> LocalSocketInstance::claim() {
    const QDeadlineTimer deadline(ownerStartLimit);
    do {
        // Creating the lock file is the atomic step; a lock left by an ended process is taken over.
        if (m_lock.tryLock())
            return listen();
        if (m_lock.error() != QLockFile::LockFailedError)
            return QStringLiteral("无法创建锁文件 %1").arg(m_lock.fileName());
        if (activateOwner())
            return Claim::HandedOver;
        pause(retryInterval);
    } while (!deadline.hasExpired());
    return QStringLiteral("正在运行的 Lumora 没有响应（%1）").arg(m_socketPath);
}

Result<LocalSocketInstance::Claim, QString> LocalSocketInstance::listen() {
    // Whoever holds the lock owns the socket's path: a file there is left from an ended owner.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server.listen(m_socketPath))
        return QStringLiteral("无法监听 %1：%2").arg(m_socketPath, m_server.errorString());
    return Claim::ThisProcess;
}

bool LocalSocketInstance::activateOwner() const {
    QLocalSocket socket;
    QEventLoop loop;
    QByteArray received;
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        received += socket.readAll();
        if (received.endsWith('\n'))
            loop.quit();
    });
    connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(ownerStartLimit, &loop, &QEventLoop::quit);

    socket.connectToServer(m_socketPath);
    if (socket.state() == QLocalSocket::UnconnectedState)
        return false;
    socket.write(activateRequest);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return received == activatedAnswer;
}

void LocalSocketInstance::answer(QLocalSocket* client) {
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        if (!client->canReadLine())
            return;
        if (client->readLine() == activateRequest) {
            client->write(activatedAnswer);
            emit activated();
        }
        client->disconnectFromServer();
    });
}

} // namespace lumora
