#include "platform/MutterDisplayConfig.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>
#include <algorithm>

namespace lumora::mutter {

const QString service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
const QString path = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
// ApplyMonitorsConfig's method: applied at once, neither saved nor put to the user to confirm.
constexpr uint temporary = 1;

struct Mode {
    QString id;
    DisplayMode mode;
    bool isCurrent = false;
};

struct Monitor {
    QString connector;
    QList<Mode> modes;
};

struct LogicalMonitor {
    int x = 0;
    int y = 0;
    double scale = 1;
    uint transform = 0;
    bool primary = false;
    QStringList connectors;
};

struct State {
    uint serial = 0;
    QList<Monitor> monitors;
    QList<LogicalMonitor> logicalMonitors;
    QVariantMap properties;
};

// What ApplyMonitorsConfig takes for one monitor, (ssa{sv}), and for one logical monitor,
// (iiduba(ssa{sv})).
struct MonitorChoice {
    QString connector;
    QString mode;
};

struct LogicalMonitorChoice {
    LogicalMonitor place;
    QList<MonitorChoice> monitors;
};

} // namespace lumora::mutter

Q_DECLARE_METATYPE(lumora::mutter::MonitorChoice)
Q_DECLARE_METATYPE(lumora::mutter::LogicalMonitorChoice)

namespace lumora::mutter {

QDBusArgument& operator<<(QDBusArgument& argument, const MonitorChoice& choice) {
    argument.beginStructure();
    argument << choice.connector << choice.mode << QVariantMap();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MonitorChoice& choice) {
    QVariantMap properties;
    argument.beginStructure();
    argument >> choice.connector >> choice.mode >> properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const LogicalMonitorChoice& choice) {
    const LogicalMonitor& place = choice.place;
    argument.beginStructure();
    argument << place.x << place.y << place.scale << place.transform << place.primary
             << choice.monitors;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, LogicalMonitorChoice& choice) {
    LogicalMonitor& place = choice.place;
    argument.beginStructure();
    argument >> place.x >> place.y >> place.scale >> place.transform >> place.primary >>
        choice.monitors;
    argument.endStructure();
    return argument;
}

namespace {

// A mutter mode id as a number: the same text gives the same number in every run.
quint64 modeId(const QString& mutterMode) {
    quint64 hash = 14695981039346656037ull;
    for (const char byte : mutterMode.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 1099511628211ull;
    }
    return hash;
}

// (siiddada{sv}): id, width, height, refresh rate, preferred scale, scales, properties.
Mode readMode(const QDBusArgument& argument) {
    Mode mode;
    double preferredScale = 0;
    QList<double> scales;
    QVariantMap properties;
    argument.beginStructure();
    argument >> mode.id >> mode.mode.width >> mode.mode.height >> mode.mode.refreshRate >>
        preferredScale >> scales >> properties;
    argument.endStructure();
    mode.mode.id = modeId(mode.id);
    mode.isCurrent = properties.value(QStringLiteral("is-current")).toBool();
    return mode;
}

// (ssss): connector, vendor, product, serial.
QString readConnector(const QDBusArgument& argument) {
    QString connector, vendor, product, serial;
    argument.beginStructure();
    argument >> connector >> vendor >> product >> serial;
    argument.endStructure();
    return connector;
}

// ((ssss)a(siiddada{sv})a{sv})
Monitor readMonitor(const QDBusArgument& argument) {
    Monitor monitor;
    QVariantMap properties;
    argument.beginStructure();
    monitor.connector = readConnector(argument);
    argument.beginArray();
    while (!argument.atEnd())
        monitor.modes.append(readMode(argument));
    argument.endArray();
    argument >> properties;
    argument.endStructure();
    return monitor;
}

// (iiduba(ssss)a{sv})
LogicalMonitor readLogicalMonitor(const QDBusArgument& argument) {
    LogicalMonitor logical;
    QVariantMap properties;
    argument.beginStructure();
    argument >> logical.x >> logical.y >> logical.scale >> logical.transform >> logical.primary;
    argument.beginArray();
    while (!argument.atEnd())
        logical.connectors.append(readConnector(argument));
    argument.endArray();
    argument >> properties;
    argument.endStructure();
    return logical;
}

template <typename T, typename Read> QList<T> readArray(const QVariant& value, Read read) {
    const QDBusArgument argument = qvariant_cast<QDBusArgument>(value);
    QList<T> items;
    argument.beginArray();
    while (!argument.atEnd())
        items.append(read(argument));
    argument.endArray();
    return items;
}

QDBusMessage getCurrentState() {
    return QDBusMessage::createMethodCall(service, path, service,
                                          QStringLiteral("GetCurrentState"));
}

Result<State, QString> readState(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage)
        return QStringLiteral("GNOME 的显示设置没有回答：%1").arg(reply.errorMessage());
    if (reply.signature() !=
        QStringLiteral("ua((ssss)a(siiddada{sv})a{sv})a(iiduba(ssss)a{sv})a{sv}"))
        return QStringLiteral("GNOME 的显示设置回答了未知的格式 %1").arg(reply.signature());
    const QVariantList values = reply.arguments();
    State state{.serial = values[0].toUInt(),
                .monitors = readArray<Monitor>(values[1], readMonitor),
                .logicalMonitors = readArray<LogicalMonitor>(values[2], readLogicalMonitor),
                .properties = {}};
    qvariant_cast<QDBusArgument>(values[3]) >> state.properties;
    return state;
}

std::optional<Monitor> monitorOn(const State& state, const QString& connector) {
    const auto found =
        std::find_if(state.monitors.cbegin(), state.monitors.cend(),
                     [&](const Monitor& monitor) { return monitor.connector == connector; });
    return found != state.monitors.cend() ? std::optional(*found) : std::nullopt;
}

QString currentModeOf(const Monitor& monitor) {
    const auto current = std::find_if(monitor.modes.cbegin(), monitor.modes.cend(),
                                      [](const Mode& mode) { return mode.isCurrent; });
    return current != monitor.modes.cend() ? current->id : QString();
}

// The layout of `state` with the monitor on `connector` in `modeId`.
QList<LogicalMonitorChoice> layoutWith(const State& state, const QString& connector,
                                       const QString& modeId) {
    QList<LogicalMonitorChoice> layout;
    for (const LogicalMonitor& logical : state.logicalMonitors) {
        LogicalMonitorChoice choice{.place = logical, .monitors = {}};
        for (const QString& name : logical.connectors) {
            const QString mode = name == connector
                                     ? modeId
                                     : currentModeOf(monitorOn(state, name).value_or(Monitor()));
            choice.monitors.append({.connector = name, .mode = mode});
        }
        layout.append(choice);
    }
    return layout;
}

} // namespace

} // namespace lumora::mutter

namespace lumora {

MutterDisplayConfig::MutterDisplayConfig(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    qDBusRegisterMetaType<mutter::MonitorChoice>();
    qDBusRegisterMetaType<QList<mutter::MonitorChoice>>();
    qDBusRegisterMetaType<mutter::LogicalMonitorChoice>();
    qDBusRegisterMetaType<QList<mutter::LogicalMonitorChoice>>();
    m_bus.connect(mutter::service, mutter::path, mutter::service, QStringLiteral("MonitorsChanged"),
                  this, SLOT(monitorsChanged()));
}

MutterDisplayConfig::~MutterDisplayConfig() = default;

bool MutterDisplayConfig::isOffered(const QDBusConnection& bus) {
    return bus.isConnected() && bus.interface()->isServiceRegistered(mutter::service).value();
}

void MutterDisplayConfig::monitorsChanged() {
    m_state.reset();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(mutter::getCurrentState()), this);
    m_asked = watcher;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        // Only the answer to the newest question counts, and only while nothing newer is known.
        if (Result<mutter::State, QString> answered = mutter::readState(watcher->reply());
            answered.ok() && !m_state && watcher == m_asked)
            m_state = std::make_unique<mutter::State>(std::move(answered.value()));
    });
}

Result<mutter::State, QString> MutterDisplayConfig::state() const {
    if (m_state)
        return *m_state;
    if (!m_silence.hasExpired())
        return QStringLiteral("GNOME 的显示设置没有回答");
    const QDBusMessage reply = m_bus.call(mutter::getCurrentState(), QDBus::Block, answerLimit);
    noteSilence(reply);
    Result<mutter::State, QString> answered = mutter::readState(reply);
    if (answered.ok())
        m_state = std::make_unique<mutter::State>(answered.value());
    return answered;
}

void MutterDisplayConfig::noteSilence(const QDBusMessage& reply) const {
    // A refusal is an answer; only a question left unanswered silences mutter.
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply"))
        m_silence.setRemainingTime(silenceTime);
}

std::optional<DisplayMode> MutterDisplayConfig::currentMode(const QString& connector) const {
    const std::optional<mutter::Monitor> found = monitor(connector);
    if (!found)
        return std::nullopt;
    for (const mutter::Mode& mode : found->modes) {
        if (mode.isCurrent)
            return mode.mode;
    }
    return std::nullopt;
}

QList<DisplayMode> MutterDisplayConfig::allModes(const QString& connector) const {
    QList<DisplayMode> modes;
    for (const mutter::Mode& mode : monitor(connector).value_or(mutter::Monitor()).modes)
        modes.append(mode.mode);
    return modes;
}

std::optional<mutter::Monitor> MutterDisplayConfig::monitor(const QString& connector) const {
    const Result<mutter::State, QString> current = state();
    if (!current.ok())
        return std::nullopt;
    return mutter::monitorOn(current.value(), connector);
}

QVariantMap MutterDisplayConfig::appliedProperties(const QVariantMap& current) {
    // The layout mode (logical or physical pixels) is handed back as mutter gave it, and only
    // where it may be handed: mutter refuses one it does not know (0).
    const QString layoutMode = QStringLiteral("layout-mode");
    QVariantMap properties;
    if (current.value(QStringLiteral("supports-changing-layout-mode")).toBool() &&
        current.contains(layoutMode))
        properties.insert(layoutMode, current.value(layoutMode));
    return properties;
}

Result<void, QString> MutterDisplayConfig::setMode(const QString& connector,
                                                   const DisplayMode& mode) {
    const Result<mutter::State, QString> state = this->state();
    if (!state.ok())
        return state.failure();
    std::optional<QString> modeName;
    for (const mutter::Mode& candidate :
         mutter::monitorOn(state.value(), connector).value_or(mutter::Monitor()).modes) {
        if (candidate.mode.id == mode.id)
            modeName = candidate.id;
    }
    if (!modeName)
        return QStringLiteral("GNOME 的显示设置里 %1 没有这个模式").arg(connector);
    QDBusMessage call = QDBusMessage::createMethodCall(
        mutter::service, mutter::path, mutter::service, QStringLiteral("ApplyMonitorsConfig"));
    call << state.value().serial << mutter::temporary
         << QVariant::fromValue(mutter::layoutWith(state.value(), connector, *modeName))
         << appliedProperties(state.value().properties);
    // The layout changes whatever the answer: the next question asks mutter again, and an
    // answer still on its way tells of the layout before.
    m_state.reset();
    m_asked = nullptr;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, answerLimit);
    noteSilence(reply);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return QStringLiteral("GNOME 没有接受 %1 的模式：%2").arg(connector, reply.errorMessage());
    return {};
}

} // namespace lumora
