#include "platform/WaylandOutputs.h"

#include "platform/X11Displays.h"

#include "xdg-output-unstable-v1-client-protocol.h"
#include <algorithm>
#include <list>
#include <memory>
#include <string_view>
#include <wayland-client.h>

namespace lumora::wayland {

namespace {

// What the compositor told about one output, filled in by the listeners below.
struct OutputReply {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    QString name;
    QPoint position;
    QSize modeSize;
    std::optional<QPoint> logicalPosition;
    std::optional<QSize> logicalSize;

    ~OutputReply() {
        if (xdgOutput)
            zxdg_output_v1_destroy(xdgOutput);
        if (output)
            wl_output_destroy(output);
    }
};

struct Listing {
    zxdg_output_manager_v1* xdgOutputs = nullptr;
    std::list<OutputReply> outputs; // stable addresses for the listeners

    ~Listing() {
        outputs.clear();
        if (xdgOutputs)
            zxdg_output_manager_v1_destroy(xdgOutputs);
    }
};

OutputReply& reply(void* data) {
    return *static_cast<OutputReply*>(data);
}

const wl_output_listener outputListener = {
    .geometry = [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                   const char*, const char*, int32_t) { reply(data).position = QPoint(x, y); },
    .mode =
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
            if (flags & WL_OUTPUT_MODE_CURRENT)
                reply(data).modeSize = QSize(width, height);
        },
    .done = [](void*, wl_output*) {},
    .scale = [](void*, wl_output*, int32_t) {},
    .name = [](void* data, wl_output*,
               const char* name) { reply(data).name = QString::fromUtf8(name); },
    .description = [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener xdgOutputListener = {
    .logical_position = [](void* data, zxdg_output_v1*, int32_t x,
                           int32_t y) { reply(data).logicalPosition = QPoint(x, y); },
    .logical_size = [](void* data, zxdg_output_v1*, int32_t width,
                       int32_t height) { reply(data).logicalSize = QSize(width, height); },
    .done = [](void*, zxdg_output_v1*) {},
    .name = [](void* data, zxdg_output_v1*,
               const char* name) { reply(data).name = QString::fromUtf8(name); },
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

void announced(void* data, wl_registry* registry, uint32_t id, const char* interface,
               uint32_t version) {
    Listing& listing = *static_cast<Listing*>(data);
    const std::string_view name(interface);
    // Version 4 of wl_output and version 2 of xdg-output carry the connector's name.
    if (name == wl_output_interface.name) {
        OutputReply& output = listing.outputs.emplace_back();
        output.output = static_cast<wl_output*>(
            wl_registry_bind(registry, id, &wl_output_interface, std::min(version, 4u)));
        wl_output_add_listener(output.output, &outputListener, &output);
    } else if (name == zxdg_output_manager_v1_interface.name) {
        listing.xdgOutputs = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
            registry, id, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
    }
}

const wl_registry_listener registryListener = {
    .global = announced,
    .global_remove = [](void*, wl_registry*, uint32_t) {},
};

QRect frameAt(const QPoint& position, const QSize& size) {
    return boundedFrame(position.x(), position.y(), size.width(), size.height());
}

Output outputFrom(const OutputReply& reply) {
    const QRect physical = frameAt(reply.position, reply.modeSize);
    QRect logical = physical;
    if (reply.logicalPosition && reply.logicalSize)
        logical = frameAt(*reply.logicalPosition, *reply.logicalSize);
    return {.name = reply.name, .logical = logical, .physical = physical};
}

using Connection =
    std::unique_ptr<wl_display, decltype([](wl_display* d) { wl_display_disconnect(d); })>;
using Registry =
    std::unique_ptr<wl_registry, decltype([](wl_registry* r) { wl_registry_destroy(r); })>;

} // namespace

QRect boundedFrame(int x, int y, int width, int height) {
    constexpr int limit = 1 << 24;
    return QRect(std::clamp(x, -limit, limit), std::clamp(y, -limit, limit),
                 std::clamp(width, 0, limit), std::clamp(height, 0, limit));
}

Result<QList<Output>, QString> compositorOutputs() {
    const Connection connection(wl_display_connect(nullptr));
    if (!connection)
        return QStringLiteral("连接不上 Wayland 合成器");
    Listing listing;
    const Registry registry(wl_display_get_registry(connection.get()));
    wl_registry_add_listener(registry.get(), &registryListener, &listing);
    // The first round trip announces the globals, the second their outputs' descriptions.
    if (wl_display_roundtrip(connection.get()) < 0)
        return QStringLiteral("Wayland 合成器没有列出它的输出");
    for (OutputReply& output : listing.outputs) {
        if (!listing.xdgOutputs)
            break;
        output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(listing.xdgOutputs, output.output);
        zxdg_output_v1_add_listener(output.xdgOutput, &xdgOutputListener, &output);
    }
    if (wl_display_roundtrip(connection.get()) < 0)
        return QStringLiteral("Wayland 合成器没有描述它的输出");
    QList<Output> outputs;
    for (const OutputReply& output : listing.outputs)
        outputs.append(outputFrom(output));
    return outputs;
}

std::optional<QString> connectorAt(const QRect& frame, const QList<Output>& outputs) {
    std::optional<QString> found;
    for (const Output& output : outputs) {
        if (output.name.isEmpty() || (output.logical != frame && output.physical != frame))
            continue;
        if (!found || X11Displays::isPanelConnector(output.name))
            found = output.name;
    }
    return found;
}

} // namespace lumora::wayland
