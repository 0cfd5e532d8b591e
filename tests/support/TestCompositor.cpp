#include "support/TestCompositor.h"

#include "kde-output-device-v2-server-protocol.h"
#include "kde-output-management-v2-server-protocol.h"
#include "wlr-output-management-unstable-v1-server-protocol.h"
#include <QPoint>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <wayland-server.h>

namespace lumora::test {

namespace {

struct Mode {
    int width;
    int height;
    int milliHertz;
};

struct Output;

// The client's device (KWin) or head (wlroots) of an output, with its modes' objects. The test
// has one client, for the compositor's whole life.
struct Binding {
    wl_resource* object;
    Output* output;
    std::vector<wl_resource*> modes{};
};

struct Output {
    QString name;
    std::vector<Mode> modes;
    QPoint position;
    std::size_t current = 0;
    std::list<Binding> bindings{};
};

// How either protocol tells an output's modes.
struct ModeEvents {
    const wl_interface* interface;
    void (*introduce)(wl_resource*, wl_resource*);
    void (*size)(wl_resource*, std::int32_t, std::int32_t);
    void (*refresh)(wl_resource*, std::int32_t);
    void (*removed)(wl_resource*);
    void (*current)(wl_resource*, wl_resource*);
};

const ModeEvents kdeModes{
    &kde_output_device_mode_v2_interface,   kde_output_device_v2_send_mode,
    kde_output_device_mode_v2_send_size,    kde_output_device_mode_v2_send_refresh,
    kde_output_device_mode_v2_send_removed, kde_output_device_v2_send_current_mode};
const ModeEvents wlrModes{&zwlr_output_mode_v1_interface,    zwlr_output_head_v1_send_mode,
                          zwlr_output_mode_v1_send_size,     zwlr_output_mode_v1_send_refresh,
                          zwlr_output_mode_v1_send_finished, zwlr_output_head_v1_send_current_mode};

// What one configuration asks for: modes by output and, wlroots, the heads it names.
struct Configuration {
    TestCompositor::State* state;
    std::uint32_t serial;
    std::map<Output*, std::size_t> modes{};
    std::set<Output*> named{};
    std::map<wl_resource*, Output*> heads{};
};

} // namespace

struct TestCompositor::State {
    Protocol protocol;
    Answers answers;
    const ModeEvents& modeEvents = protocol == Protocol::Kde ? kdeModes : wlrModes;
    wl_display* display = wl_display_create();
    int stop = eventfd(0, EFD_CLOEXEC);
    std::vector<Output> outputs{
        {"DP-1", {{2560, 1440, 60000}, {1920, 1080, 60000}, {2560, 1440, 59951}}, {0, 0}},
        {"HDMI-A-1", {{1920, 1080, 60000}, {1920, 1080, 50000}}, {2560, 0}}};
    wl_resource* manager = nullptr; // the one client's
    std::list<Configuration> configurations{};
    std::uint32_t serial = 1;
    mutable std::mutex mutex{};
    QStringList log{};
};

namespace {

using State = TestCompositor::State;

template <typename T> T& dataOf(wl_resource* resource) {
    return *static_cast<T*>(wl_resource_get_user_data(resource));
}

// Requests Lumora has no business making here.
template <typename... Args> void unexpected(wl_client*, wl_resource* resource, Args...) {
    wl_resource_post_error(resource, 0, "a request Lumora does not make");
}

void destroy(wl_client*, wl_resource* resource) {
    wl_resource_destroy(resource);
}

Binding& bind(Output& output, wl_client* client, const wl_interface& interface,
              std::uint32_t version, std::uint32_t id) {
    Binding& binding = output.bindings.emplace_back(
        Binding{wl_resource_create(client, &interface, int(version), id), &output});
    wl_resource_set_user_data(binding.object, &binding);
    return binding;
}

// The output's modes, as new objects in place of any announced before, and the current one. The
// old ones are told gone but kept: libwayland would give their ids again at once, before the
// client has read that they are gone.
void announceModes(Binding& binding, const ModeEvents& events) {
    const std::vector<wl_resource*> old = std::exchange(binding.modes, {});
    for (const Mode& mode : binding.output->modes) {
        wl_resource* object =
            wl_resource_create(wl_resource_get_client(binding.object), events.interface,
                               wl_resource_get_version(binding.object), 0);
        wl_resource_set_user_data(object, &binding);
        binding.modes.push_back(object);
        events.introduce(binding.object, object);
        events.size(object, mode.width, mode.height);
        events.refresh(object, mode.milliHertz);
    }
    events.current(binding.object, binding.modes[binding.output->current]);
    for (wl_resource* mode : old)
        events.removed(mode);
}

void announceSerial(State& state) {
    zwlr_output_manager_v1_send_done(state.manager, ++state.serial);
}

QString decide(State& state, const Configuration& configuration, bool refused) {
    if (refused)
        return "failed";
    if (configuration.serial != state.serial)
        return "cancelled";
    if (state.answers.cancelled > 0) {
        --state.answers.cancelled;
        announceSerial(state);
        return "cancelled";
    }
    if (state.answers.unanswered > 0) {
        --state.answers.unanswered;
        return "unanswered";
    }
    return "applied";
}

// Decides on the configuration and logs it with that answer.
QString answer(const Configuration& configuration) {
    State& state = *configuration.state;
    QStringList changes;
    bool refused = false;
    for (const auto& [output, mode] : configuration.modes) {
        if (output->current == mode)
            continue;
        const Mode& wanted = output->modes[mode];
        changes << QStringLiteral("%1 %2x%3@%4")
                       .arg(output->name)
                       .arg(wanted.width)
                       .arg(wanted.height)
                       .arg(wanted.milliHertz);
        refused = refused || output->name == state.answers.refused;
    }
    const QString answer = decide(state, configuration, refused);
    const std::scoped_lock lock(state.mutex);
    state.log << changes.join(", ") + ' ' + answer;
    return answer;
}

// Applies the configuration's modes and tells the client's devices or heads.
void applyModes(const Configuration& configuration) {
    State& state = *configuration.state;
    for (const auto& [output, mode] : configuration.modes) {
        output->current = mode;
        for (Binding& binding : output->bindings) {
            if (state.answers.renewModes)
                announceModes(binding, state.modeEvents);
            else
                state.modeEvents.current(binding.object, binding.modes[mode]);
            if (state.protocol == TestCompositor::Protocol::Kde)
                kde_output_device_v2_send_done(binding.object);
        }
    }
    if (state.protocol == TestCompositor::Protocol::Wlroots)
        announceSerial(state);
}

void createConfiguration(wl_client* client, wl_resource* creator, std::uint32_t id,
                         std::uint32_t serial, const wl_interface& interface,
                         const void* implementation) {
    State& state = dataOf<State>(creator);
    Configuration& configuration = state.configurations.emplace_back(Configuration{&state, serial});
    wl_resource* object =
        wl_resource_create(client, &interface, wl_resource_get_version(creator), id);
    wl_resource_set_implementation(object, implementation, &configuration, nullptr);
}

std::size_t indexOf(const Binding& binding, wl_resource* mode) {
    return std::size_t(std::find(binding.modes.cbegin(), binding.modes.cend(), mode) -
                       binding.modes.cbegin());
}

const struct kde_output_configuration_v2_interface kdeConfiguration = {
    .enable = unexpected,
    .mode =
        [](wl_client*, wl_resource* resource, wl_resource* device, wl_resource* mode) {
            const Binding& binding = dataOf<Binding>(device);
            dataOf<Configuration>(resource).modes[binding.output] = indexOf(binding, mode);
        },
    .transform = unexpected,
    .position = unexpected,
    .scale = unexpected,
    .apply =
        [](wl_client*, wl_resource* resource) {
            Configuration& configuration = dataOf<Configuration>(resource);
            const QString answered = answer(configuration);
            if (answered == "applied") {
                applyModes(configuration);
                kde_output_configuration_v2_send_applied(resource);
            } else if (answered == "failed") {
                kde_output_configuration_v2_send_failed(resource);
            }
        },
    .destroy = destroy,
    .overscan = unexpected,
    .set_vrr_policy = unexpected,
    .set_rgb_range = unexpected,
    .set_primary_output = unexpected,
    .set_priority = unexpected,
};

const struct kde_output_management_v2_interface kdeManagement = {
    .create_configuration =
        [](wl_client* client, wl_resource* resource, std::uint32_t id) {
            createConfiguration(client, resource, id, dataOf<State>(resource).serial,
                                kde_output_configuration_v2_interface, &kdeConfiguration);
        },
};

void bindKdeDevice(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    Output& output = *static_cast<Output*>(data);
    Binding& binding = bind(output, client, kde_output_device_v2_interface, version, id);
    announceModes(binding, kdeModes);
    kde_output_device_v2_send_enabled(binding.object, 1);
    if (version >= KDE_OUTPUT_DEVICE_V2_NAME_SINCE_VERSION)
        kde_output_device_v2_send_name(binding.object, qPrintable(output.name));
    kde_output_device_v2_send_done(binding.object);
}

void bindKdeManagement(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    wl_resource* management =
        wl_resource_create(client, &kde_output_management_v2_interface, int(version), id);
    wl_resource_set_implementation(management, &kdeManagement, data, nullptr);
}

const struct zwlr_output_configuration_head_v1_interface wlrHeadSettings = {
    .set_mode =
        [](wl_client*, wl_resource* resource, wl_resource* mode) {
            Configuration& configuration = dataOf<Configuration>(resource);
            Output* output = configuration.heads[resource];
            const Binding& binding = dataOf<Binding>(mode);
            if (binding.output != output)
                return wl_resource_post_error(resource,
                                              ZWLR_OUTPUT_CONFIGURATION_HEAD_V1_ERROR_INVALID_MODE,
                                              "a mode of another head");
            configuration.modes[output] = indexOf(binding, mode);
        },
    .set_custom_mode = unexpected,
    .set_position = [](wl_client*, wl_resource*, std::int32_t, std::int32_t) {},
    .set_transform = [](wl_client*, wl_resource*, std::int32_t) {},
    .set_scale = [](wl_client*, wl_resource*, wl_fixed_t) {},
};

// The protocol wants every head named once; here all are enabled.
const struct zwlr_output_configuration_v1_interface wlrConfiguration = {
    .enable_head =
        [](wl_client* client, wl_resource* resource, std::uint32_t id, wl_resource* head) {
            Configuration& configuration = dataOf<Configuration>(resource);
            Output* output = dataOf<Binding>(head).output;
            if (!configuration.named.insert(output).second)
                return wl_resource_post_error(
                    resource, ZWLR_OUTPUT_CONFIGURATION_V1_ERROR_ALREADY_CONFIGURED_HEAD,
                    "a head named twice");
            wl_resource* settings =
                wl_resource_create(client, &zwlr_output_configuration_head_v1_interface,
                                   wl_resource_get_version(resource), id);
            wl_resource_set_implementation(settings, &wlrHeadSettings, &configuration, nullptr);
            configuration.heads[settings] = output;
        },
    .disable_head = unexpected,
    .apply =
        [](wl_client*, wl_resource* resource) {
            Configuration& configuration = dataOf<Configuration>(resource);
            if (configuration.named.size() != configuration.state->outputs.size())
                return wl_resource_post_error(resource,
                                              ZWLR_OUTPUT_CONFIGURATION_V1_ERROR_UNCONFIGURED_HEAD,
                                              "a head left out");
            const QString answered = answer(configuration);
            if (answered == "applied") {
                zwlr_output_configuration_v1_send_succeeded(resource);
                applyModes(configuration);
            } else if (answered == "failed") {
                zwlr_output_configuration_v1_send_failed(resource);
            } else if (answered == "cancelled") {
                zwlr_output_configuration_v1_send_cancelled(resource);
            }
        },
    .test = unexpected,
    .destroy = destroy,
};

const struct zwlr_output_manager_v1_interface wlrManager = {
    .create_configuration =
        [](wl_client* client, wl_resource* resource, std::uint32_t id, std::uint32_t serial) {
            createConfiguration(client, resource, id, serial,
                                zwlr_output_configuration_v1_interface, &wlrConfiguration);
        },
    .stop = unexpected,
};

void bindWlrManager(wl_client* client, void* data, std::uint32_t version, std::uint32_t id) {
    State& state = *static_cast<State*>(data);
    wl_resource* manager = state.manager =
        wl_resource_create(client, &zwlr_output_manager_v1_interface, int(version), id);
    wl_resource_set_implementation(manager, &wlrManager, &state, nullptr);
    for (Output& output : state.outputs) {
        Binding& binding = bind(output, client, zwlr_output_head_v1_interface, version, 0);
        zwlr_output_manager_v1_send_head(manager, binding.object);
        zwlr_output_head_v1_send_name(binding.object, qPrintable(output.name));
        zwlr_output_head_v1_send_enabled(binding.object, 1);
        announceModes(binding, wlrModes);
        zwlr_output_head_v1_send_position(binding.object, output.position.x(), output.position.y());
    }
    zwlr_output_manager_v1_send_done(manager, state.serial);
}

} // namespace

TestCompositor::TestCompositor(Protocol protocol, Answers answers, const char* socket)
    : m_state(new State{protocol, std::move(answers)}) {
    State& state = *m_state;
    wl_display_add_socket(state.display, socket);
    if (protocol == Protocol::Kde) {
        for (Output& output : state.outputs)
            wl_global_create(state.display, &kde_output_device_v2_interface, 2, &output,
                             bindKdeDevice);
        wl_global_create(state.display, &kde_output_management_v2_interface, 3, &state,
                         bindKdeManagement);
    } else {
        wl_global_create(state.display, &zwlr_output_manager_v1_interface, 2, &state,
                         bindWlrManager);
    }
    wl_event_loop_add_fd(
        wl_display_get_event_loop(state.display), state.stop, WL_EVENT_READABLE,
        [](int, std::uint32_t, void* display) {
            wl_display_terminate(static_cast<wl_display*>(display));
            return 0;
        },
        state.display);
    m_thread = std::thread(wl_display_run, state.display);
}

TestCompositor::~TestCompositor() {
    eventfd_write(m_state->stop, 1);
    m_thread.join();
    wl_display_destroy_clients(m_state->display);
    wl_display_destroy(m_state->display);
    close(m_state->stop);
}

QStringList TestCompositor::log() const {
    const std::scoped_lock lock(m_state->mutex);
    return m_state->log;
}

} // namespace lumora::test
