// Prints how fast following reacts and what it costs while nothing changes:
//  - latency from a change of the built-in brightness to both monitors set, over 50 changes
//    made at random moments of the 0.2 s poll;
//  - CPU time of an idle tick (reading unchanged), and the CPU share of following at rest, with
//    a brightness library that answers at once.

#include "control/BrightnessController.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/FakeBrightness.h"
#include "support/ScriptedTool.h"
#include "support/ThreeScreens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace lumora;
using namespace lumora::test;

namespace {

constexpr int changes = 50;
constexpr int idleSeconds = 10;

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

struct CpuTime {
    double user = 0;
    double system = 0;
};

CpuTime cpuTime() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
}

// Milliseconds from now until both monitors hold `level`.
double followLatency(BrightnessController& controller, const FakeBrightness& brightness,
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
    brightness.level(level);
    loop.exec();
    QObject::disconnect(connection);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns at every raise and opacity change of the overlay.
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication application(argc, argv);

    ScriptedTool m1ddc("m1ddc");
    ScriptedTool panelctl("panelctl");
    m1ddc.script(ScriptedTool::monitorsAt(50, 100) << "display * set luminance *\tout=$5");
    panelctl.script({"**"});
    FakeBrightness brightness;
    brightness.level(50);
    FakeDisplays displays;
    setUpThreeScreens(displays);
    FakeLoginItem loginItem;
    ControllerConfig config = m1ddc.config();
    config.applicationFolder = panelctl.folder();
    BrightnessController controller(config, displays, loginItem);
    controller.toggleAutoSync();

    // Changes fall at evenly spread moments of the poll period.
    std::vector<double> latencies;
    for (int i = 0; i < changes; ++i) {
        runFor(i * 200 / changes);
        latencies.push_back(followLatency(controller, brightness, 20 + (i % 2 ? 40 : 0) + i % 7));
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("follow latency over %d changes (built-in change -> both monitors set)\n", changes);
    std::printf("  median %6.1f ms (goal: at most 120)\n", latencies[changes / 2]);
    std::printf("  worst  %6.1f ms (goal: at most 230)\n", latencies.back());

    controller.toggleAutoSync();
    config.brightnessLibrary = QStringLiteral(LUMORA_CONSTANT_BRIGHTNESS);
    BrightnessController resting(config, displays, loginItem);
    resting.toggleAutoSync();
    runFor(2500); // the last overlay has faded
    int ticks = 0;
    QObject::connect(resting.findChild<QTimer*>("syncTimer"), &QTimer::timeout, [&] { ++ticks; });
    const CpuTime before = cpuTime();
    runFor(idleSeconds * 1000);
    const CpuTime after = cpuTime();
    const double user = after.user - before.user;
    const double system = after.system - before.system;
    const double cpu = user + system;
    std::printf("following at rest for %d s: %d ticks\n", idleSeconds, ticks);
    std::printf("  CPU per idle tick %6.1f us (goal: at most 100): user %.1f, system %.1f\n",
                cpu / ticks * 1e6, user / ticks * 1e6, system / ticks * 1e6);
    std::printf("  CPU share         %6.3f %% of one core (goal: under 0.1)\n",
                cpu / idleSeconds * 100);
    return 0;
}
