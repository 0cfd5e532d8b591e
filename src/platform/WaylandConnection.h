#pragma once

#include "base/Result.h"

#include <QSocketNotifier>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_interface;
struct wl_registry;

namespace lumora {

// A Wayland connection of Lumora's own to the compositor WAYLAND_DISPLAY names, beside the one Qt
// may have. What the compositor sends is dispatched from the event loop as it arrives, so that
// its state is at hand without a round trip; a caller that needs an answer waits for it here,
// until a deadline, without the event loop.
class WaylandConnection {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    // How long the compositor may take to answer a change of its outputs: a wake makes two, and
    // the event loop waits for them.
    static constexpr std::chrono::milliseconds answerTime{300};

    // Connected, with the compositor's globals listed before `deadline`; null without
    // WAYLAND_DISPLAY, or where the compositor cannot be reached or did not list them in time.
    static std::unique_ptr<WaylandConnection> open(Deadline deadline);
    ~WaylandConnection();

    wl_display* display() const { return m_display; }
    bool offers(const wl_interface& interface) const;
    // The global of that interface at the lower of the offered version and `version`; null where
    // the compositor offers none.
    void* bind(const wl_interface& interface, std::uint32_t version);

    // Dispatches what the compositor sends until `condition` holds; on failure, whether the
    // deadline passed (read as a change left unapplied) or the connection was lost.
    Result<void, QString> waitUntil(const std::function<bool()>& condition, Deadline deadline);
    // Waits until the compositor has answered everything sent before.
    Result<void, QString> roundtrip(Deadline deadline);

private:
    struct Global {
        std::uint32_t name;
        std::string interface;
        std::uint32_t version;
    };

    explicit WaylandConnection(wl_display* display);
    bool dispatch(std::chrono::milliseconds timeout);
    static void announced(void* data, wl_registry* registry, std::uint32_t name,
                          const char* interface, std::uint32_t version);
    static void removed(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* m_display;
    wl_registry* m_registry;
    std::vector<Global> m_globals;
    QSocketNotifier m_notifier;
};

} // namespace lumora
