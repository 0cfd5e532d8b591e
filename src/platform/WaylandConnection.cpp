#include "platform/WaylandConnection.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <wayland-client.h>

namespace lumora {

namespace {

const wl_callback_listener syncListener = {
    .done = [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; },
};

} // namespace

std::unique_ptr<WaylandConnection> WaylandConnection::open(Deadline deadline) {
    // Without WAYLAND_DISPLAY libwayland would still try "wayland-0": an X11 session has none.
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    if (!connection->roundtrip(deadline).ok())
        return nullptr;
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display)
    : m_display(display), m_registry(wl_display_get_registry(display)),
      m_notifier(wl_display_get_fd(display), QSocketNotifier::Read) {
    static const wl_registry_listener listener = {.global = announced, .global_remove = removed};
    wl_registry_add_listener(m_registry, &listener, this);
    QObject::connect(&m_notifier, &QSocketNotifier::activated, [this] {
        // A lost connection stays readable: it is read no more.
        if (!dispatch(std::chrono::milliseconds(0)))
            m_notifier.setEnabled(false);
    });
}

WaylandConnection::~WaylandConnection() {
    wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

void WaylandConnection::announced(void* data, wl_registry*, std::uint32_t name,
                                  const char* interface, std::uint32_t version) {
    static_cast<WaylandConnection*>(data)->m_globals.push_back({name, interface, version});
}

void WaylandConnection::removed(void* data, wl_registry*, std::uint32_t name) {
    std::erase_if(static_cast<WaylandConnection*>(data)->m_globals,
                  [&](const Global& global) { return global.name == name; });
}

bool WaylandConnection::offers(const wl_interface& interface) const {
    return std::any_of(m_globals.cbegin(), m_globals.cend(),
                       [&](const Global& global) { return global.interface == interface.name; });
}

void* WaylandConnection::bind(const wl_interface& interface, std::uint32_t version) {
    for (const Global& global : m_globals) {
        if (global.interface == interface.name)
            return wl_registry_bind(m_registry, global.name, &interface,
                                    std::min(global.version, version));
    }
    return nullptr;
}

Result<void, QString> WaylandConnection::waitUntil(const std::function<bool()>& condition,
                                                   Deadline deadline) {
    using namespace std::chrono;
    while (!condition()) {
        const milliseconds left = ceil<milliseconds>(deadline - steady_clock::now());
        if (left <= milliseconds(0))
            return QStringLiteral("桌面没有在 0.3 秒内应用显示模式");
        if (!dispatch(left))
            return QStringLiteral("与 Wayland 合成器的连接已断开");
    }
    return {};
}

Result<void, QString> WaylandConnection::roundtrip(Deadline deadline) {
    bool answered = false;
    wl_callback* callback = wl_display_sync(m_display);
    wl_callback_add_listener(callback, &syncListener, &answered);
    Result<void, QString> waited = waitUntil([&] { return answered; }, deadline);
    wl_callback_destroy(callback);
    return waited;
}

// Reads what arrives within `timeout` and dispatches it, and first whatever was read before;
// false once the connection is lost.
bool WaylandConnection::dispatch(std::chrono::milliseconds timeout) {
    if (wl_display_prepare_read(m_display) != 0)
        return wl_display_dispatch_pending(m_display) >= 0;
    // The requests made since the last dispatch go out before their answers are awaited.
    wl_display_flush(m_display);
    pollfd fd{.fd = wl_display_get_fd(m_display), .events = POLLIN, .revents = 0};
    const int ready = poll(&fd, 1, int(timeout.count()));
    if (ready <= 0) {
        wl_display_cancel_read(m_display);
        return ready == 0 || errno == EINTR;
    }
    return wl_display_read_events(m_display) >= 0 && wl_display_dispatch_pending(m_display) >= 0;
}

} // namespace lumora
