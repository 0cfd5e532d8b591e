#pragma once

#include "platform/DesktopModes.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <memory>

namespace lumora {

namespace mutter {
struct Monitor;
struct State;
} // namespace mutter

// GNOME's display settings, through mutter's org.gnome.Mutter.DisplayConfig on the session bus. A
// mode is switched by re-applying the current layout with that one monitor's mode changed, as a
// temporary configuration: mutter neither saves it nor asks the user to confirm it.
//
// The monitors and their modes are kept as mutter last told them, and asked again in the
// background when mutter says they changed, so reading them costs a wake nothing. Only a switch
// waits for mutter, and never longer than answerLimit: a wake (a switch, the state asked again,
// the switch back) holds the window for less than a second however slowly mutter answers.
class MutterDisplayConfig : public QObject, public DesktopModes {
    Q_OBJECT

public:
    static constexpr int answerLimit = 300; // milliseconds
    // After mutter failed to answer, it is not asked again for this long: the rest of a wake
    // skips its screens at once.
    static constexpr int silenceTime = 1000; // milliseconds

    explicit MutterDisplayConfig(QDBusConnection bus, QObject* parent = nullptr);
    ~MutterDisplayConfig() override;

    // Whether mutter answers on `bus`.
    static bool isOffered(const QDBusConnection& bus);

    std::optional<DisplayMode> currentMode(const QString& connector) const override;
    QList<DisplayMode> allModes(const QString& connector) const override;
    Result<void, QString> setMode(const QString& connector, const DisplayMode& mode) override;

    // The properties ApplyMonitorsConfig gets back from those of GetCurrentState.
    static QVariantMap appliedProperties(const QVariantMap& current);

private slots:
    void monitorsChanged();

private:
    std::optional<mutter::Monitor> monitor(const QString& connector) const;
    // The state to act on: as kept, or asked again where it is stale.
    Result<mutter::State, QString> state() const;
    void noteSilence(const QDBusMessage& reply) const;

    QDBusConnection m_bus;
    mutable std::unique_ptr<mutter::State> m_state; // none while stale
    QPointer<QDBusPendingCallWatcher> m_asked;      // the newest question in the background
    mutable QDeadlineTimer m_silence{0};            // mutter is not asked until it expires
};

} // namespace lumora
