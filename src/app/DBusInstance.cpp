#include "app/DBusInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace lumora {

namespace {

const QString applicationInterface = QStringLiteral("org.freedesktop.Application");
// The owner answers from its event loop, which a running tool keeps turning.
constexpr int activationTimeout = 10'000;

} // namespace

DBusInstance::DBusInstance(QDBusConnection bus, QString name)
    : m_bus(std::move(bus)), m_name(std::move(name)) {}

DBusInstance::~DBusInstance() {
    if (m_ownsName)
        m_bus.unregisterService(m_name);
    m_bus.unregisterObject(objectPath());
}

Result<DBusInstance::Claim, QString> DBusInstance::claim() {
    if (!m_bus.isConnected())
        return QStringLiteral("没有连接到会话总线：") + m_bus.lastError().message();
    // The object is in place before the name is taken, so an activation that comes at once finds
    // it.
    if (!m_bus.registerObject(objectPath(), this, QDBusConnection::ExportScriptableSlots))
        return QStringLiteral("无法在会话总线上注册 ") + objectPath();
    QString failure;
    // A second attempt covers an owner that ended between our request and our call.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Result<bool, QString> owned = ownName();
        if (!owned.ok())
            return owned.failure();
        if (owned.value())
            return Claim::ThisProcess;
        const Result<void, QString> activated = activateOwner();
        if (activated.ok())
            return Claim::HandedOver;
        failure = activated.failure();
    }
    return failure;
}

Result<bool, QString> DBusInstance::ownName() {
    // The bus grants a name to one connection only, so this is the atomic step.
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_bus.interface()->registerService(m_name, QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return QStringLiteral("无法申请会话总线名称 %1：%2").arg(m_name, reply.error().message());
    m_ownsName = reply.value() == QDBusConnectionInterface::ServiceRegistered;
    return m_ownsName;
}

Result<void, QString> DBusInstance::activateOwner() {
    QDBusMessage call = QDBusMessage::createMethodCall(m_name, objectPath(), applicationInterface,
                                                       QStringLiteral("Activate"));
    call << QVariantMap();
    // Waiting with the event loop turning lets an owner in this same process answer too.
    const QDBusMessage answer = m_bus.call(call, QDBus::BlockWithGui, activationTimeout);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return {};
    return QStringLiteral("正在运行的 Lumora 没有响应：") + answer.errorMessage();
}

void DBusInstance::Activate(const QVariantMap&) {
    emit activated();
}

void DBusInstance::Open(const QStringList&, const QVariantMap&) {
    emit activated();
}

void DBusInstance::ActivateAction(const QString&, const QVariantList&, const QVariantMap&) {
    emit activated();
}

QString DBusInstance::objectPath() const {
    // The freedesktop rule: dots become slashes, dashes underscores, with a leading slash.
    return u'/' + QString(m_name).replace(u'.', u'/').replace(u'-', u'_');
}

} // namespace lumora
