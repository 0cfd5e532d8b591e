#pragma once

#include "app/SingleInstance.h"

#include <QDBusConnection>
#include <QStringList>
#include <QVariantMap>

namespace lumora {

// The session's instance as a well-known name on a D-Bus bus, the desktop's convention for
// applications: the owner answers org.freedesktop.Application at the name's object path, and a
// later start calls its Activate method.
class DBusInstance : public SingleInstance {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    // `name` is the application's id, e.g. io.github.lumora.Lumora.
    DBusInstance(QDBusConnection bus, QString name);
    ~DBusInstance() override;

    Result<Claim, QString> claim() override;

public slots:
    // org.freedesktop.Application. Lumora opens no files and has no actions: each of these
    // only shows the window.
    Q_SCRIPTABLE void Activate(const QVariantMap& platformData);
    Q_SCRIPTABLE void Open(const QStringList& uris, const QVariantMap& platformData);
    Q_SCRIPTABLE void ActivateAction(const QString& actionName, const QVariantList& parameter,
                                     const QVariantMap& platformData);

private:
    Result<bool, QString> ownName();
    Result<void, QString> activateOwner();
    QString objectPath() const;

    QDBusConnection m_bus;
    QString m_name;
    bool m_ownsName = false;
};

} // namespace lumora
