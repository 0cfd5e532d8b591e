#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <filesystem>
#include <memory>

namespace lumora {

// Tells when the built-in panel's brightness may have changed, without polling: the kernel
// wakes pollers of a backlight's actual_brightness attribute at every change (brightness keys,
// firmware hot keys, a desktop writing the level).
//
// changed() fires on the main thread after each wake-up; a burst of changes may fire it once.
// When the descriptor fails (the device went away), it stops for good and says so with
// stopped(): the caller's poll goes on alone.
class BacklightEvents : public QObject {
    Q_OBJECT

public:
    // Watches `descriptor`, which it then owns, for readiness of `type`; after each wake-up it
    // reads the descriptor again from its start, as a sysfs attribute needs to be re-armed.
    BacklightEvents(int descriptor, QSocketNotifier::Type type, QObject* parent = nullptr);
    ~BacklightEvents() override;

    // Events for the device the brightness library reads, under a folder laid out like
    // /sys/class/backlight; nothing when there is no such device or its attribute is not a
    // sysfs attribute that notifies (a plain file would wake a poller all the time).
    static std::unique_ptr<BacklightEvents> forBacklight(const std::filesystem::path& folder);

    bool isWatching() const { return m_notifier.isEnabled(); }

signals:
    void changed();
    void stopped();

private:
    void wake();
    // Reads what the descriptor holds now; false when it failed for good.
    bool rearm();

    int m_descriptor;
    QSocketNotifier m_notifier;
};

} // namespace lumora
