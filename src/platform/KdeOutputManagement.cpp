#include "platform/KdeOutputManagement.h"

#include "platform/WaylandModes.h"

#include "kde-output-device-v2-client-protocol.h"
#include "kde-output-management-v2-client-protocol.h"
#include <algorithm>
#include <string_view>
#include <vector>
#include <wayland-client.h>

namespace lumora {

namespace kde {

struct Device;

struct Mode {
    Device* device;
    kde_output_device_mode_v2* proxy;
    DisplayMode mode;

    ~Mode() { kde_output_device_mode_v2_destroy(proxy); }
};

struct Device {
    Devices* devices;
    std::uint32_t global;
    kde_output_device_v2* proxy;
    QString name{};
    bool enabled = false;
    std::vector<std::unique_ptr<Mode>> modes{};
    const Mode* current = nullptr;

    ~Device() {
        modes.clear();
        kde_output_device_v2_destroy(proxy);
    }
};

// What KWin told about its monitors, kept current by the listeners below.
struct Devices {
    wl_registry* registry = nullptr;
    kde_output_management_v2* management = nullptr;
    std::vector<std::unique_ptr<Device>> list;
    quint64 nextModeId = 1;

    ~Devices() {
        list.clear();
        if (management)
            kde_output_management_v2_destroy(management);
        wl_registry_destroy(registry);
    }

    const Device* named(const QString& connector) const {
        const auto found = std::find_if(list.cbegin(), list.cend(), [&](const auto& device) {
            return device->name == connector;
        });
        return found != list.cend() ? found->get() : nullptr;
    }
};

} // namespace kde

namespace {

// Version 2 is the first to name the connector; the management's requests used here are all in
// version 1.
constexpr std::uint32_t deviceVersion = 2;
constexpr std::uint32_t managementVersion = 1;

kde::Mode& modeOf(void* data) {
    return *static_cast<kde::Mode*>(data);
}

kde::Device& deviceOf(void* data) {
    return *static_cast<kde::Device*>(data);
}

const kde_output_device_mode_v2_listener modeListener = {
    .size =
        [](void* data, kde_output_device_mode_v2*, std::int32_t width, std::int32_t height) {
            modeOf(data).mode.width = width;
            modeOf(data).mode.height = height;
        },
    .refresh = [](void* data, kde_output_device_mode_v2*,
                  std::int32_t milliHertz) { modeOf(data).mode.refreshRate = milliHertz / 1000.0; },
    .preferred = ignoreEvent,
    .removed =
        [](void* data, kde_output_device_mode_v2*) {
            kde::Device& device = *modeOf(data).device;
            if (device.current == data)
                device.current = nullptr;
            std::erase_if(device.modes, [&](const auto& mode) { return mode.get() == data; });
        },
};

const kde_output_device_v2_listener deviceListener = {
    .geometry = ignoreEvent,
    .current_mode =
        [](void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy) {
            deviceOf(data).current =
                proxy ? static_cast<kde::Mode*>(kde_output_device_mode_v2_get_user_data(proxy))
                      : nullptr;
        },
    .mode =
        [](void* data, kde_output_device_v2*, kde_output_device_mode_v2* proxy) {
            kde::Device& device = deviceOf(data);
            auto& mode = device.modes.emplace_back(new kde::Mode{
                &device,
                proxy,
                {.id = device.devices->nextModeId++, .width = 0, .height = 0, .refreshRate = 0}});
            kde_output_device_mode_v2_add_listener(proxy, &modeListener, mode.get());
        },
    .done = ignoreEvent,
    .scale = ignoreEvent,
    .edid = ignoreEvent,
    .enabled = [](void* data, kde_output_device_v2*,
                  std::int32_t enabled) { deviceOf(data).enabled = enabled != 0; },
    .uuid = ignoreEvent,
    .serial_number = ignoreEvent,
    .eisa_id = ignoreEvent,
    .capabilities = ignoreEvent,
    .overscan = ignoreEvent,
    .vrr_policy = ignoreEvent,
    .rgb_range = ignoreEvent,
    .name = [](void* data, kde_output_device_v2*,
               const char* name) { deviceOf(data).name = QString::fromUtf8(name); },
};

// Monitors come and go as globals of their own.
const wl_registry_listener registryListener = {
    .global =
        [](void* data, wl_registry* registry, std::uint32_t global, const char* interface,
           std::uint32_t version) {
            if (std::string_view(interface) != kde_output_device_v2_interface.name)
                return;
            auto& devices = *static_cast<kde::Devices*>(data);
            auto* proxy = static_cast<kde_output_device_v2*>(
                wl_registry_bind(registry, global, &kde_output_device_v2_interface,
                                 std::min(version, deviceVersion)));
            auto& device = devices.list.emplace_back(new kde::Device{&devices, global, proxy});
            kde_output_device_v2_add_listener(proxy, &deviceListener, device.get());
        },
    .global_remove =
        [](void* data, wl_registry*, std::uint32_t global) {
            std::erase_if(static_cast<kde::Devices*>(data)->list,
                          [&](const auto& device) { return device->global == global; });
        },
};

enum class Answer { None, Applied, Failed };

const kde_output_configuration_v2_listener configurationListener = {
    .applied = [](void* data,
                  kde_output_configuration_v2*) { *static_cast<Answer*>(data) = Answer::Applied; },
    .failed = [](void* data,
                 kde_output_configuration_v2*) { *static_cast<Answer*>(data) = Answer::Failed; },
};

} // namespace

KdeOutputManagement::KdeOutputManagement(std::unique_ptr<WaylandConnection> connection,
                                         WaylandConnection::Deadline deadline)
    : m_connection(std::move(connection)), m_devices(std::make_unique<kde::Devices>()) {
    m_devices->management = static_cast<kde_output_management_v2*>(
        m_connection->bind(kde_output_management_v2_interface, managementVersion));
    m_devices->registry = wl_display_get_registry(m_connection->display());
    wl_registry_add_listener(m_devices->registry, &registryListener, m_devices.get());
    // The first round trip announces the monitors, the second describes them.
    if (m_connection->roundtrip(deadline).ok())
        (void)m_connection->roundtrip(deadline);
}

KdeOutputManagement::~KdeOutputManagement() = default;

std::optional<DisplayMode> KdeOutputManagement::currentMode(const QString& connector) const {
    const kde::Device* device = m_devices->named(connector);
    if (!device || !device->enabled || !device->current)
        return std::nullopt;
    return device->current->mode;
}

QList<DisplayMode> KdeOutputManagement::allModes(const QString& connector) const {
    QList<DisplayMode> modes;
    if (const kde::Device* device = m_devices->named(connector)) {
        for (const auto& mode : device->modes)
            modes.append(mode->mode);
    }
    return modes;
}

Result<void, QString> KdeOutputManagement::setMode(const QString& connector,
                                                   const DisplayMode& mode) {
    const auto deadline = std::chrono::steady_clock::now() + WaylandConnection::answerTime;
    const kde::Device* device = m_devices->named(connector);
    if (!device)
        return QStringLiteral("桌面没有名为 %1 的显示器").arg(connector);
    const kde::Mode* target = modeFor(device->modes, mode);
    if (!target)
        return QStringLiteral("显示器 %1 没有这个模式").arg(connector);
    kde_output_configuration_v2* configuration =
        kde_output_management_v2_create_configuration(m_devices->management);
    Answer answer = Answer::None;
    kde_output_configuration_v2_add_listener(configuration, &configurationListener, &answer);
    kde_output_configuration_v2_mode(configuration, device->proxy, target->proxy);
    kde_output_configuration_v2_apply(configuration);
    const Result<void, QString> answered =
        m_connection->waitUntil([&] { return answer != Answer::None; }, deadline);
    kde_output_configuration_v2_destroy(configuration);
    wl_display_flush(m_connection->display());
    if (!answered.ok())
        return answered;
    if (answer == Answer::Failed)
        return QStringLiteral("桌面拒绝了显示器 %1 的模式 %2×%3 @ %4 Hz")
            .arg(connector)
            .arg(mode.width)
            .arg(mode.height)
            .arg(mode.refreshRate);
    return {};
}

} // namespace lumora
