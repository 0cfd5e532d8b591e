// Follows a built-in brightness that keeps changing (dips to 0 included, so the backlight goes off
// and on and the covers come and go) for a set time, and prints what the process holds at the
// start and at the end: resident memory, descriptors, threads, live children, top-level windows.
// Usage: SoakBench [SECONDS] (default 60, after 20 s of warming up)

#include "BenchDesk.h"
#include "control/BrightnessController.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

using namespace lumora;
using namespace lumora::test;

namespace {

QString statusField(const char* name) {
    QFile file("/proc/self/status");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(name))
            return QString::fromLatin1(line.mid(qsizetype(strlen(name)))).trimmed();
    }
    return {};
}

int liveChildren() {
    int count = 0;
    const QString self = QString::number(getpid());
    for (const QString& pid : QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = stat.readAll().split(' ');
        if (fields.size() > 3 && fields[3] == self.toLatin1())
            ++count;
    }
    return count;
}

void print(const char* when, int changes) {
    std::printf("%-6s after %5d changes: RSS %s, fds %lld, threads %s, children %d, windows %lld\n",
                when, changes, qPrintable(statusField("VmRSS:")),
                qlonglong(QDir("/proc/self/fd").entryList(QDir::Files).size()),
                qPrintable(statusField("Threads:")), liveChildren(),
                qlonglong(QApplication::topLevelWidgets().size()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "default.warning=false");
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? QString(argv[1]).toInt() : 60;

    BenchDesk desk;
    ControllerConfig config = desk.config();
    const FakeBrightness& brightness = desk.brightness;
    BrightnessController controller(config, desk.displays, desk.loginItem);
    controller.toggleAutoSync();

    int changes = 0;
    QTimer changer;
    changer.callOnTimeout([&] { brightness.level(++changes % 9 == 0 ? 0 : 10 + changes % 80); });
    changer.start(600);
    // The first changes make what lives on (overlays, fonts, the cover windows' first showing).
    QEventLoop loop;
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    print("start", changes);
    for (int tenth = 1; tenth < 10; ++tenth) {
        QTimer::singleShot(seconds * 100, &loop, &QEventLoop::quit);
        loop.exec();
        print("", changes);
    }
    QTimer::singleShot(seconds * 100, &loop, &QEventLoop::quit);
    loop.exec();
    changer.stop();
    QTimer::singleShot(3000, &loop, &QEventLoop::quit); // the last overlay fades
    loop.exec();
    print("end", changes);
    return 0;
}
