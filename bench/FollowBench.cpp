// Prints how fast following reacts and what it costs while nothing changes, side by side:
//  - latency from a change of the built-in brightness to both monitors set, over 50 changes
//    made at evenly spread moments of the 0.2 s poll, with change events and with the poll alone;
//  - CPU time of an idle tick (reading unchanged) next to a bare Qt timer that makes the same
//    library call (dlopen, dlsym, call, dlclose), in alternating rounds of one run, and the CPU
//    share of following at rest;
//  - with our DDC tools on two emulated monitors with DDC/CI's timing, the step that reads each
//    monitor back beside the one that only sends: change event to both monitors set, the DDC span
//    of a step (its first I2C message to the second monitor's Set VCP), and a held brightness key
//    (a change every 50 ms for 1 s) from its last change until both monitors hold that level;
//    then, with the first monitor timing out on every message, each change to the second set.

#include "BenchDesk.h"
#include "BuildConfig.h"
#include "control/BrightnessController.h"
#include "platform/BacklightEvents.h"
#include "support/EmulatedMonitors.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <dlfcn.h>
#include <limits>
#include <optional>
#include <string_view>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

using namespace lumora;
using namespace lumora::test;

namespace {

constexpr int changes = 50;
constexpr int rounds = 5;
constexpr int roundSeconds = 4;

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Milliseconds from a change until both monitors hold `level`.
double followLatency(BrightnessController& controller, const std::function<void()>& change,
                     int level) {
    QElapsedTimer clock;
    QEventLoop loop;
    // Each monitor holds what its curve gives for the level (the level itself by default).
    const auto check = [&] {
        const auto& monitors = controller.monitors();
        if (monitors[0].brightness == controller.curve(0).luminanceFor(level) &&
            monitors[1].brightness == controller.curve(1).luminanceFor(level))
            loop.quit();
    };
    // The announcement comes before the write: look once the write has happened.
    const auto connection = QObject::connect(&controller, &BrightnessController::objectWillChange,
                                             &loop, [&] { QTimer::singleShot(0, &loop, check); });
    clock.start();
    change();
    loop.exec();
    QObject::disconnect(connection);
    return double(clock.nsecsElapsed()) / 1e6;
}

struct Spread {
    double median;
    double worst;
};

Spread spread(std::vector<double> found) {
    std::sort(found.begin(), found.end());
    return {found[found.size() / 2], found.back()};
}

Spread latencies(BrightnessController& controller, const FakeBrightness& brightness,
                 const std::function<void()>& announce, int changes = ::changes) {
    std::vector<double> found;
    for (int i = 0; i < changes; ++i) {
        runFor(i * 200 / changes);
        const int level = 20 + (i % 2 ? 40 : 0) + i % 7;
        found.push_back(followLatency(
            controller,
            [&] {
                brightness.level(level);
                announce();
            },
            level));
    }
    return spread(found);
}

// A bare Qt timer doing what an idle tick must at least do: the library call, with the
// library kept loaded.
class BareTick : public QObject {
public:
    explicit BareTick(QByteArray library) : m_library(std::move(library)) {
        m_timer.callOnTimeout(this, [this] {
            void* handle = dlopen(m_library.constData(), RTLD_LAZY | RTLD_NODELETE);
            using Get = int32_t (*)(uint32_t, float*);
            float value = 0;
            if (const auto get =
                    reinterpret_cast<Get>(dlsym(handle, "DisplayServicesGetBrightness")))
                get(1, &value);
            dlclose(handle);
            ++ticks;
        });
    }
    void start() { m_timer.start(200); }
    void stop() { m_timer.stop(); }
    int ticks = 0;

private:
    QByteArray m_library;
    QTimer m_timer;
};

#ifdef LUMORA_DDC_MONITOR_PRELOAD

// Milliseconds from the first I2C message after `since` to the second monitor's Set VCP.
double ddcSpan(const EmulatedMonitors& monitors, qint64 since) {
    qint64 first = std::numeric_limits<qint64>::max();
    qint64 set = 0;
    for (const int bus : {4, 5}) {
        for (const EmulatedMonitors::Message& message : monitors.messages(bus, since)) {
            first = std::min(first, message.start);
            if (bus == 5 && message.isSet() && !set)
                set = message.start;
        }
    }
    return set ? double(set - first) / 1000 : 0;
}

// Waits until `done`, for at most `limit` milliseconds.
void waitUntil(const std::function<bool()>& done, int limit) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < limit)
        runFor(1);
}

double millisecondsSince(qint64 start) {
    return double(EmulatedMonitors::now() - start) / 1000;
}

// The application on the emulated monitors with our DDC tools, its brightness changes announced
// as the kernel would.
class BusDesk {
public:
    BusDesk(BenchDesk& desk, bool readBackLater) : m_desk(desk) {
        ControllerConfig config = desk.config();
        config.executable = config.detectionTool = QStringLiteral(LUMORA_DDC);
        config.applicationFolder = QFileInfo(config.executable).path();
        config.setsWithoutReadBack = readBackLater;
        config.toolTimeLimit = std::chrono::seconds(10);
        controller.emplace(config, desk.displays, desk.loginItem);
        QObject::connect(&m_events, &BacklightEvents::changed, &*controller,
                         &BrightnessController::builtinBrightnessChanged);
        desk.brightness.level(50);
        controller->toggleAutoSync();
    }
    ~BusDesk() {
        controller->toggleAutoSync();
        ::close(m_counter);
    }

    void change(int level) const {
        m_desk.brightness.level(level);
        const uint64_t one = 1;
        (void)write(m_counter, &one, sizeof one);
    }

    std::optional<BrightnessController> controller;

private:
    BenchDesk& m_desk;
    const int m_counter = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    BacklightEvents m_events{m_counter, QSocketNotifier::Read};
};

struct DdcFigures {
    Spread event;
    Spread span;
    double heldSettled;
    qsizetype heldSets;
};

DdcFigures followOnTheBus(const EmulatedMonitors& monitors, BenchDesk& desk, bool readBackLater) {
    BusDesk bus(desk, readBackLater);
    constexpr int steps = 15;
    std::vector<double> spans;
    std::vector<double> latency;
    for (int i = 0; i < steps; ++i) {
        runFor(300); // the monitors are at rest, the last read-back done
        const int level = 20 + (i % 2 ? 40 : 0) + i % 7;
        const qint64 since = EmulatedMonitors::now();
        latency.push_back(followLatency(
            *bus.controller, [&] { bus.change(level); }, level));
        spans.push_back(ddcSpan(monitors, since));
    }

    runFor(1000);
    // The key is held in the kernel's time, not ours: the changes come from a thread of their own
    // while the main thread follows them, and the clock starts at the last change itself.
    const qint64 since = EmulatedMonitors::now();
    constexpr int held = 20;
    std::atomic<qint64> lastChange = 0;
    std::thread key([&] {
        for (int i = 0; i < held; ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            bus.change(30 + i);
        }
        lastChange = EmulatedMonitors::now();
    });
    const QString last = QString::number(30 + held - 1);
    waitUntil([&] { return lastChange != 0; }, 3000);
    waitUntil([&] { return monitors.holds(4, "10") == last && monitors.holds(5, "10") == last; },
              3000);
    const double heldSettled = millisecondsSince(lastChange);
    key.join();
    qsizetype sets = 0;
    for (const EmulatedMonitors::Message& message : monitors.messages(5, since))
        sets += message.isSet();
    return {spread(latency), spread(spans), heldSettled, sets};
}

// Change event to both monitors set, sending only, where both monitors follow a curve of their
// own (limits 10 and 90): the mapping must cost the follow path nothing.
Spread followThroughCurves(BenchDesk& desk) {
    BusDesk bus(desk, true);
    for (const qsizetype monitor : {0, 1}) {
        bus.controller->setCurveMinimum(monitor, 10);
        bus.controller->setCurveMaximum(monitor, 90);
    }
    std::vector<double> latency;
    for (int i = 0; i < 15; ++i) {
        runFor(300);
        const int level = 20 + (i % 2 ? 40 : 0) + i % 7;
        latency.push_back(followLatency(
            *bus.controller, [&] { bus.change(level); }, level));
    }
    return spread(latency);
}

// With the first monitor timing out on every message (1 s each), from each change to the second
// monitor holding its level.
Spread followBesideAStalledMonitor(const EmulatedMonitors& monitors, BenchDesk& desk) {
    BusDesk bus(desk, true);
    monitors.timeoutAfter(4, 1000);
    monitors.fault(4, "timeout");
    std::vector<double> latency;
    for (int i = 0; i < 8; ++i) {
        const int level = 20 + (i % 2 ? 40 : 0) + i % 7;
        const qint64 changed = EmulatedMonitors::now();
        bus.change(level);
        waitUntil([&] { return monitors.holds(5, "10") == QString::number(level); }, 5000);
        latency.push_back(millisecondsSince(changed));
        runFor(700);
    }
    monitors.fault(4, "");
    return spread(latency);
}

void printFollowOnTheBus() {
    if (std::string_view(build::displaySerials) != build::placeholderSerials)
        return; // the tools of this build number monitors by configured serials
    EmulatedMonitors monitors;
    monitors.add(4, "DELL U2720Q", "CFV9N13");
    monitors.add(5, "LG HDR 4K", "205NTAB1K123");
    monitors.withBusTiming();
    BenchDesk desk;
    const DdcFigures before = followOnTheBus(monitors, desk, false);
    const DdcFigures after = followOnTheBus(monitors, desk, true);
    std::printf("our DDC tools, two emulated monitors with DDC/CI timing, change events:\n");
    std::printf("                          read back in the step   send only (--noverify)\n");
    std::printf("  event to both set       %6.1f / %6.1f ms        %6.1f / %6.1f ms  "
                "(median / worst; goal: 50 / 120)\n",
                before.event.median, before.event.worst, after.event.median, after.event.worst);
    std::printf("  DDC span of a step      %6.1f / %6.1f ms        %6.1f / %6.1f ms  "
                "(goal: median 40)\n",
                before.span.median, before.span.worst, after.span.median, after.span.worst);
    std::printf("  held key, settled after %6.1f ms                 %6.1f ms           "
                "(from the last change; goal: 100)\n",
                before.heldSettled, after.heldSettled);
    std::printf("  held key, sets to the second monitor for 20 changes: %lld and %lld\n",
                qint64(before.heldSets), qint64(after.heldSets));
    const Spread curved = followThroughCurves(desk);
    std::printf("  event to both set, each monitor through a curve of its own: %.1f / %.1f ms\n",
                curved.median, curved.worst);
    const Spread stalled = followBesideAStalledMonitor(monitors, desk);
    std::printf("  first monitor timing out (1 s a message), change to the second set: "
                "%.1f / %.1f ms (median / worst; goal: under 500)\n",
                stalled.median, stalled.worst);
}

#endif

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns at every raise and opacity change of the overlay.
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication application(argc, argv);

    BenchDesk desk;
    ControllerConfig config = desk.config();
    const FakeBrightness& brightness = desk.brightness;
    BrightnessController controller(config, desk.displays, desk.loginItem);
    const int counter = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    BacklightEvents events(counter, QSocketNotifier::Read);
    QObject::connect(&events, &BacklightEvents::changed, &controller,
                     &BrightnessController::builtinBrightnessChanged);
    controller.toggleAutoSync();

    const Spread withEvents = latencies(controller, brightness, [&] {
        const uint64_t one = 1;
        (void)write(counter, &one, sizeof one);
    });
    const Spread pollAlone = latencies(controller, brightness, [] {});
    std::printf("follow latency over %d changes (built-in change -> both monitors set)\n", changes);
    std::printf("               median     worst\n");
    std::printf("  events     %6.1f ms %6.1f ms  (goal: at most 10 and 30)\n", withEvents.median,
                withEvents.worst);
    std::printf("  poll alone %6.1f ms %6.1f ms\n", pollAlone.median, pollAlone.worst);

    controller.toggleAutoSync();
    config.brightnessLibrary = QStringLiteral(LUMORA_CONSTANT_BRIGHTNESS);
    BrightnessController resting(config, desk.displays, desk.loginItem);
    resting.toggleAutoSync();
    QTimer* syncTimer = resting.findChild<QTimer*>("syncTimer");
    int ticks = 0;
    QObject::connect(syncTimer, &QTimer::timeout, [&] { ++ticks; });
    BareTick bare(QByteArrayLiteral(LUMORA_CONSTANT_BRIGHTNESS));
    runFor(2500); // the last overlay has faded
    ticks = 0;

    double ourCpu = 0;
    double bareCpu = 0;
    for (int round = 0; round < rounds; ++round) {
        double start = cpuSeconds();
        runFor(roundSeconds * 1000);
        ourCpu += cpuSeconds() - start;
        syncTimer->stop();
        bare.start();
        start = cpuSeconds();
        runFor(roundSeconds * 1000);
        bareCpu += cpuSeconds() - start;
        bare.stop();
        syncTimer->start();
    }
    const double ours = ourCpu / ticks * 1e6;
    const double baseline = bareCpu / bare.ticks * 1e6;
    std::printf("following at rest, %d rounds of %d s each, alternating:\n", rounds, roundSeconds);
    std::printf("  idle tick         %6.1f us CPU (%d ticks)\n", ours, ticks);
    std::printf("  bare Qt timer     %6.1f us CPU (%d ticks)\n", baseline, bare.ticks);
    std::printf("  ratio             %6.2f (goal: at most 1.2)\n", ours / baseline);
    std::printf("  CPU share         %6.3f %% of one core (goal: under 0.1)\n",
                ourCpu / (rounds * roundSeconds) * 100);
#ifdef LUMORA_DDC_MONITOR_PRELOAD
    printFollowOnTheBus();
#endif
    return 0;
}
