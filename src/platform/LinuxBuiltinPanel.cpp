#include "platform/LinuxBuiltinPanel.h"

#include "platform/Displays.h"
#include "platform/RegularFile.h"
#include "platform/SystemSleep.h"
#include "platform/X11Displays.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDir>
#include <algorithm>
#include <libudev.h>

namespace lumora {

namespace {

const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString lidClosed = QStringLiteral("LidClosed");

// A connector attribute's text; empty when it cannot be read.
QByteArray attribute(const QDir& connector, const QString& name) {
    const Result<std::optional<QByteArray>, FileProblem> read =
        readRegularFile(connector.filePath(name), 64);
    return read.ok() ? read.value().value_or(QByteArray()).trimmed() : QByteArray();
}

// What the connected panel connectors say: one that is enabled with `dpms` On shows the panel lit
// whatever else says otherwise; connected ones none of which is lit show it dark; without one,
// they cannot tell.
PanelConnectors panelConnectors(const QString& drmFolder) {
    const QDir folder(drmFolder);
    PanelConnectors seen = PanelConnectors::Unknown;
    // Entries are named card<N>-<connector>, beside card<N> itself and other devices.
    for (const QString& entry :
         folder.entryList(QDir::Dirs | QDir::System | QDir::NoDotAndDotDot)) {
        const qsizetype dash = entry.indexOf(QLatin1Char('-'));
        if (!entry.startsWith(QStringLiteral("card")) || dash < 0 ||
            !X11Displays::isPanelConnector(entry.mid(dash + 1)))
            continue;
        const QDir connector(folder.filePath(entry));
        // A desktop's board may offer a panel connector with nothing on it.
        if (attribute(connector, QStringLiteral("status")) != "connected")
            continue;
        if (attribute(connector, QStringLiteral("enabled")) == "enabled" &&
            attribute(connector, QStringLiteral("dpms")) == "On")
            return PanelConnectors::Lit;
        seen = PanelConnectors::Dark;
    }
    return seen;
}

} // namespace

LinuxBuiltinPanel::LinuxBuiltinPanel(Displays& displays, QString drmFolder,
                                     QDBusConnection systemBus, SystemSleep& sleep, QObject* parent)
    : BuiltinPanel(parent), m_displays(displays), m_drmFolder(std::move(drmFolder)),
      m_systemBus(std::move(systemBus)) {
    connect(&sleep, &SystemSleep::goingToSleep, this, [this] { setAsleep(true); });
    connect(&sleep, &SystemSleep::resumed, this, [this] { setAsleep(false); });
    watchLogind();
    watchConnectors();
    connect(&m_displays, &Displays::screenParametersChanged, this,
            &LinuxBuiltinPanel::screensChanged);
    screensChanged();
    m_wasKnownOff = isKnownOff();
}

LinuxBuiltinPanel::~LinuxBuiltinPanel() {
    m_ueventNotifier.reset();
    udev_monitor_unref(m_uevents);
    udev_unref(m_udev);
}

bool LinuxBuiltinPanel::isKnownOff() const {
    if (m_isAsleep || (m_sawBuiltinScreen && !m_showsBuiltinScreen))
        return true;
    // A lit connector wins over the lid: some run the laptop closed with its panel on.
    switch (panelConnectors(m_drmFolder)) {
    case PanelConnectors::Lit:
        return false;
    case PanelConnectors::Dark:
        return true;
    case PanelConnectors::Unknown:
        break;
    }
    return m_isLidClosed;
}

void LinuxBuiltinPanel::logindPropertiesChanged(const QString& interface,
                                                const QVariantMap& changed,
                                                const QStringList& invalidated) {
    if (interface != logindManager)
        return;
    if (changed.contains(lidClosed)) {
        m_isLidClosed = changed.value(lidClosed).toBool();
        update();
    } else if (invalidated.contains(lidClosed)) {
        askLid();
    }
}

void LinuxBuiltinPanel::setAsleep(bool isAsleep) {
    m_isAsleep = isAsleep;
    askLid();
    update();
}

void LinuxBuiltinPanel::screensChanged() {
    const QList<Screen> screens = m_displays.screens();
    m_showsBuiltinScreen = std::any_of(screens.cbegin(), screens.cend(), [this](const Screen& s) {
        return s.number && m_displays.isBuiltin(*s.number);
    });
    m_sawBuiltinScreen = m_sawBuiltinScreen || m_showsBuiltinScreen;
    askLid();
    update();
}

void LinuxBuiltinPanel::update() {
    const bool off = isKnownOff();
    if (off == m_wasKnownOff)
        return;
    m_wasKnownOff = off;
    emit changed();
}

void LinuxBuiltinPanel::watchLogind() {
    if (!m_systemBus.isConnected())
        return;
    // logind 252 (Debian 12) does not announce its lid property: the lid is also asked at the
    // start and whenever the panel may have changed (its connectors, the screens, sleep, resume).
    m_systemBus.connect(logindService, logindPath,
                        QStringLiteral("org.freedesktop.DBus.Properties"),
                        QStringLiteral("PropertiesChanged"), this,
                        SLOT(logindPropertiesChanged(QString, QVariantMap, QStringList)));
}

void LinuxBuiltinPanel::watchConnectors() {
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_uevents = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_uevents ||
        udev_monitor_filter_add_match_subsystem_devtype(m_uevents, "drm", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_uevents) < 0)
        return;
    m_ueventNotifier =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_uevents), QSocketNotifier::Read);
    connect(m_ueventNotifier.get(), &QSocketNotifier::activated, this, [this] {
        // The event only says that something changed: the attributes say what.
        if (udev_device* device = udev_monitor_receive_device(m_uevents))
            udev_device_unref(device);
        askLid();
        update();
    });
}

void LinuxBuiltinPanel::askLid() {
    if (!m_systemBus.isConnected())
        return;
    QDBusMessage get = QDBusMessage::createMethodCall(
        logindService, logindPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << logindManager << lidClosed;
    auto* watcher = new QDBusPendingCallWatcher(m_systemBus.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        // Without logind's answer the lid tells nothing: it counts as open.
        m_isLidClosed =
            reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
            qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
        update();
    });
}

} // namespace lumora
