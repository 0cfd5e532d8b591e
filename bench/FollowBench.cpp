// Prints how fast following reacts and what it costs while nothing changes, side by side:
//  - latency from a change of the built-in brightness to both monitors set, over 50 changes
//    made at evenly spread moments of the 0.2 s poll, with change events and with the poll alone;
//  - CPU time of an idle tick (reading unchanged) next to a bare Qt timer that makes the same
//    library call (dlopen, dlsym, call, dlclose), in alternating rounds of one run, and the CPU
//    share of following at rest.

#include "BenchDesk.h"
#include "control/BrightnessController.h"
#include "platform/BacklightEvents.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <dlfcn.h>
#include <sys/eventfd.h>
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
    const auto check = [&] {
        const auto& monitors = controller.monitors();
        if (monitors[0].brightness == level && monitors[1].brightness == level)
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

Spread latencies(BrightnessController& controller, const FakeBrightness& brightness,
                 const std::function<void()>& announce) {
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
    std::sort(found.begin(), found.end());
    return {found[changes / 2], found.back()};
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
    return 0;
}
