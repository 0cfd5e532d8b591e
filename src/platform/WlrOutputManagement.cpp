#include "platform/WlrOutputManagement.h"

#include "platform/WaylandModes.h"

#include "wlr-output-management-unstable-v1-client-protocol.h"
#include <QPoint>
#include <algorithm>
#include <optional>
#include <vector>
#include <wayland-client.h>

namespace lumora {

namespace wlr {

struct Head;

struct Mode {
    Head* head;
    zwlr_output_mode_v1* proxy;
    DisplayMode mode;

    ~Mode() { zwlr_output_mode_v1_destroy(proxy); }
};

struct Head {
    Heads* heads;
    zwlr_output_head_v1* proxy;
    QString name{};
    bool enabled = false;
    const Mode* current = nullptr;
    QPoint position{};
    std::int32_t transform = 0;
    wl_fixed_t scale = wl_fixed_from_int(1);
    std::vector<std::unique_ptr<Mode>> modes{};

    ~Head() {
        modes.clear();
        zwlr_output_head_v1_destroy(proxy);
    }
};

// What the compositor told about its heads, kept current by the listeners below.
struct Heads {
    zwlr_output_manager_v1* manager = nullptr;
    std::vector<std::unique_ptr<Head>> list;
    // The configuration a new one starts from: the last one the compositor announced.
    std::uint32_t serial = 0;
    quint64 nextModeId = 1;

    ~Heads() {
        list.clear();
        if (manager)
            zwlr_output_manager_v1_destroy(manager);
    }

    const Head* named(const QString& connector) const {
        const auto found = std::find_if(list.cbegin(), list.cend(),
                                        [&](const auto& head) { return head->name == connector; });
        return found != list.cend() ? found->get() : nullptr;
    }
};

} // namespace wlr

namespace {

// Version 2 only adds the monitor's make, model and serial, which the connector's name makes
// unneeded.
constexpr std::uint32_t managerVersion = 1;

wlr::Mode& modeOf(void* data) {
    return *static_cast<wlr::Mode*>(data);
}

wlr::Head& headOf(void* data) {
    return *static_cast<wlr::Head*>(data);
}

const zwlr_output_mode_v1_listener modeListener = {
    .size =
        [](void* data, zwlr_output_mode_v1*, std::int32_t width, std::int32_t height) {
            modeOf(data).mode.width = width;
            modeOf(data).mode.height = height;
        },
    .refresh = [](void* data, zwlr_output_mode_v1*,
                  std::int32_t milliHertz) { modeOf(data).mode.refreshRate = milliHertz / 1000.0; },
    .preferred = ignoreEvent,
    .finished =
        [](void* data, zwlr_output_mode_v1*) {
            wlr::Head& head = *modeOf(data).head;
            if (head.current == data)
                head.current = nullptr;
            std::erase_if(head.modes, [&](const auto& mode) { return mode.get() == data; });
        },
};

const zwlr_output_head_v1_listener headListener = {
    .name = [](void* data, zwlr_output_head_v1*,
               const char* name) { headOf(data).name = QString::fromUtf8(name); },
    .description = ignoreEvent,
    .physical_size = ignoreEvent,
    .mode =
        [](void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy) {
            wlr::Head& head = headOf(data);
            auto& mode = head.modes.emplace_back(new wlr::Mode{
                &head,
                proxy,
                {.id = head.heads->nextModeId++, .width = 0, .height = 0, .refreshRate = 0}});
            zwlr_output_mode_v1_add_listener(proxy, &modeListener, mode.get());
        },
    .enabled = [](void* data, zwlr_output_head_v1*,
                  std::int32_t enabled) { headOf(data).enabled = enabled != 0; },
    .current_mode =
        [](void* data, zwlr_output_head_v1*, zwlr_output_mode_v1* proxy) {
            headOf(data).current =
                proxy ? static_cast<wlr::Mode*>(zwlr_output_mode_v1_get_user_data(proxy)) : nullptr;
        },
    .position = [](void* data, zwlr_output_head_v1*, std::int32_t x,
                   std::int32_t y) { headOf(data).position = QPoint(x, y); },
    .transform = [](void* data, zwlr_output_head_v1*,
                    std::int32_t transform) { headOf(data).transform = transform; },
    .scale = [](void* data, zwlr_output_head_v1*, wl_fixed_t scale) { headOf(data).scale = scale; },
    .finished =
        [](void* data, zwlr_output_head_v1*) {
            std::erase_if(headOf(data).heads->list,
                          [&](const auto& head) { return head.get() == data; });
        },
    .make = nullptr,
    .model = nullptr,
    .serial_number = nullptr,
};

wlr::Heads& headsOf(void* data) {
    return *static_cast<wlr::Heads*>(data);
}

const zwlr_output_manager_v1_listener managerListener = {
    .head =
        [](void* data, zwlr_output_manager_v1*, zwlr_output_head_v1* proxy) {
            wlr::Heads& heads = headsOf(data);
            auto& head = heads.list.emplace_back(new wlr::Head{&heads, proxy});
            zwlr_output_head_v1_add_listener(proxy, &headListener, head.get());
        },
    .done = [](void* data, zwlr_output_manager_v1*,
               std::uint32_t serial) { headsOf(data).serial = serial; },
    .finished =
        [](void* data, zwlr_output_manager_v1*) {
            wlr::Heads& heads = headsOf(data);
            heads.list.clear();
            zwlr_output_manager_v1_destroy(heads.manager);
            heads.manager = nullptr;
        },
};

enum class Answer { None, Succeeded, Failed, Cancelled };

const zwlr_output_configuration_v1_listener configurationListener = {
    .succeeded =
        [](void* data, zwlr_output_configuration_v1*) {
            *static_cast<Answer*>(data) = Answer::Succeeded;
        },
    .failed = [](void* data,
                 zwlr_output_configuration_v1*) { *static_cast<Answer*>(data) = Answer::Failed; },
    .cancelled =
        [](void* data, zwlr_output_configuration_v1*) {
            *static_cast<Answer*>(data) = Answer::Cancelled;
        },
};

// The head enabled as it is, in `mode` where there is one: a head may run a mode it does not list.
zwlr_output_configuration_head_v1* enable(zwlr_output_configuration_v1* configuration,
                                          const wlr::Head& head, const wlr::Mode* mode) {
    zwlr_output_configuration_head_v1* settings =
        zwlr_output_configuration_v1_enable_head(configuration, head.proxy);
    if (mode)
        zwlr_output_configuration_head_v1_set_mode(settings, mode->proxy);
    zwlr_output_configuration_head_v1_set_position(settings, head.position.x(), head.position.y());
    zwlr_output_configuration_head_v1_set_transform(settings, head.transform);
    zwlr_output_configuration_head_v1_set_scale(settings, head.scale);
    return settings;
}

// Applies a configuration of every head as it is but `connector`'s, in `mode`, made from the last
// serial, and waits for the compositor's answer until `deadline`.
Result<Answer, QString> apply(wlr::Heads& heads, WaylandConnection& connection,
                              const QString& connector, const DisplayMode& mode,
                              WaylandConnection::Deadline deadline) {
    const wlr::Head* target = heads.named(connector);
    if (!heads.manager || !target)
        return QStringLiteral("桌面没有名为 %1 的显示器").arg(connector);
    if (!target->enabled)
        return QStringLiteral("显示器 %1 没有开着").arg(connector);
    const wlr::Mode* wanted = modeFor(target->modes, mode);
    if (!wanted)
        return QStringLiteral("显示器 %1 没有这个模式").arg(connector);
    zwlr_output_configuration_v1* configuration =
        zwlr_output_manager_v1_create_configuration(heads.manager, heads.serial);
    Answer answer = Answer::None;
    zwlr_output_configuration_v1_add_listener(configuration, &configurationListener, &answer);
    std::vector<zwlr_output_configuration_head_v1*> settings;
    for (const auto& head : heads.list) {
        if (head->enabled)
            settings.push_back(
                enable(configuration, *head, head.get() == target ? wanted : head->current));
        else
            zwlr_output_configuration_v1_disable_head(configuration, head->proxy);
    }
    zwlr_output_configuration_v1_apply(configuration);
    const Result<void, QString> answered =
        connection.waitUntil([&] { return answer != Answer::None; }, deadline);
    for (zwlr_output_configuration_head_v1* each : settings)
        zwlr_output_configuration_head_v1_destroy(each);
    zwlr_output_configuration_v1_destroy(configuration);
    wl_display_flush(connection.display());
    if (!answered.ok())
        return answered.failure();
    return answer;
}

} // namespace

WlrOutputManagement::WlrOutputManagement(std::unique_ptr<WaylandConnection> connection,
                                         WaylandConnection::Deadline deadline)
    : m_connection(std::move(connection)), m_heads(std::make_unique<wlr::Heads>()) {
    m_heads->manager = static_cast<zwlr_output_manager_v1*>(
        m_connection->bind(zwlr_output_manager_v1_interface, managerVersion));
    if (m_heads->manager)
        zwlr_output_manager_v1_add_listener(m_heads->manager, &managerListener, m_heads.get());
    (void)m_connection->roundtrip(deadline);
}

WlrOutputManagement::~WlrOutputManagement() = default;

std::optional<DisplayMode> WlrOutputManagement::currentMode(const QString& connector) const {
    const wlr::Head* head = m_heads->named(connector);
    if (!head || !head->enabled || !head->current)
        return std::nullopt;
    return head->current->mode;
}

QList<DisplayMode> WlrOutputManagement::allModes(const QString& connector) const {
    QList<DisplayMode> modes;
    if (const wlr::Head* head = m_heads->named(connector)) {
        for (const auto& mode : head->modes)
            modes.append(mode->mode);
    }
    return modes;
}

Result<void, QString> WlrOutputManagement::setMode(const QString& connector,
                                                   const DisplayMode& mode) {
    const auto deadline = std::chrono::steady_clock::now() + WaylandConnection::answerTime;
    Result<Answer, QString> answer = apply(*m_heads, *m_connection, connector, mode, deadline);
    if (answer.ok() && answer.value() == Answer::Cancelled) {
        // The outputs changed since the serial the configuration was made from: once more, from
        // the serial that came with the change.
        const Result<void, QString> caughtUp = m_connection->roundtrip(deadline);
        if (!caughtUp.ok())
            return caughtUp;
        answer = apply(*m_heads, *m_connection, connector, mode, deadline);
    }
    if (!answer.ok())
        return answer.failure();
    switch (answer.value()) {
    case Answer::Succeeded:
        // The compositor tells the new mode after its answer: in before the caller asks.
        (void)m_connection->roundtrip(deadline);
        return {};
    case Answer::Cancelled:
        return QStringLiteral("桌面两次取消了显示器 %1 的模式切换").arg(connector);
    default:
        return QStringLiteral("桌面拒绝了显示器 %1 的模式 %2×%3 @ %4 Hz")
            .arg(connector)
            .arg(mode.width)
            .arg(mode.height)
            .arg(mode.refreshRate);
    }
}

} // namespace lumora
