// Times our DDC tools beside the ddcutil command doing the same thing on the same emulated
// monitors, with realistic bus timing (100 kHz, replies ready 40 ms after their request), and
// counts the I2C messages each call puts on the buses. Prints a Markdown table. Runs are 60 ms
// apart, so that none waits out the pause the previous one's set asked for.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

constexpr int runs = 7;
// The monitor on /dev/i2c-5 is known by its EDID over I2C; the one on /dev/i2c-4 has a DRM
// connector that keeps its EDID.
const QString serial = "2222222222222", connectedSerial = "1111111111111";

struct Figure {
    double milliseconds = 0; // the median
    double messages = 0;     // per call
};

class Desk {
public:
    Desk() {
        for (const int bus : {4, 5}) {
            QDir(root.path()).mkpath(QString("state/i2c-%1/vcp").arg(bus));
            touch(QString("state/i2c-%1/serial").arg(bus), bus == 4 ? connectedSerial : serial);
        }
        touch("state/i2c-4/connector", "DP-1");
        touch("state/bus-timing", "");
        touch("state/reply-delay", "");
        QDir(root.path()).mkpath("home");
        QDir(root.path()).mkpath("run");
        chmod(root.filePath("run").toUtf8(), 0700);
    }

    void forgetCache() const { QFile::remove(root.filePath("home/.cache/lumora/ddc-displays")); }

    Figure measure(const QString& program, const QStringList& arguments, bool cached) const {
        std::vector<double> times;
        const long before = messages();
        for (int i = 0; i < runs; ++i) {
            if (!cached)
                forgetCache();
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            times.push_back(run(program, arguments));
        }
        std::sort(times.begin(), times.end());
        return {times[times.size() / 2], double(messages() - before) / runs};
    }

    double run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", LUMORA_DDC_MONITOR_PRELOAD);
        environment.insert("LUMORA_DDC_EMULATOR", root.filePath("state"));
        environment.insert("HOME", root.filePath("home"));
        environment.insert("XDG_RUNTIME_DIR", root.filePath("run"));
        environment.remove("XDG_CACHE_HOME");
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(program, arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            std::fprintf(stderr, "failed: %s %s\n%s", qPrintable(program),
                         qPrintable(arguments.join(' ')), process.readAllStandardError().data());
        return double(timer.nsecsElapsed()) / 1e6;
    }

private:
    void touch(const QString& name, const QString& text) const {
        QFile file(root.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(text.toUtf8());
    }
    long messages() const {
        long total = 0;
        for (const int bus : {4, 5}) {
            QFile file(root.filePath(QString("state/i2c-%1/messages").arg(bus)));
            if (file.open(QIODevice::ReadOnly))
                total += file.readAll().trimmed().toLong();
        }
        return total;
    }

    QTemporaryDir root;
};

struct Operation {
    const char* name;
    QString ours;
    QStringList ourArguments;
    QStringList ddcutilArguments;
};

QString cell(const Figure& figure) {
    return QString("%1 ms, %2 msgs").arg(figure.milliseconds, 0, 'f', 0).arg(figure.messages);
}

} // namespace

int main() {
    const Desk desk;
    const QList<Operation> operations = {
        {"get luminance",
         LUMORA_DDC,
         {"--sn", serial, "get", "luminance"},
         {"getvcp", "10", "--sn", serial}},
        {"set luminance, read back",
         LUMORA_DDC,
         {"--sn", serial, "set", "luminance", "40"},
         {"setvcp", "10", "40", "--sn", serial}},
        {"set luminance --noverify",
         LUMORA_DDC,
         {"--noverify", "--sn", serial, "set", "luminance", "40"},
         {"setvcp", "10", "40", "--sn", serial, "--noverify"}},
        {"set luminance --noverify, DRM connector",
         LUMORA_DDC,
         {"--noverify", "--sn", connectedSerial, "set", "luminance", "40"},
         {"setvcp", "10", "40", "--sn", connectedSerial, "--noverify"}},
        {"panelctl setvcp --noverify",
         LUMORA_PANELCTL,
         {"setvcp", "--noverify", "--sn", serial, "0xD6", "1"},
         {"setvcp", "d6", "1", "--sn", serial, "--noverify"}},
    };
    std::printf(
        "| Operation | ours, cached | ours, uncached | ddcutil 1.4.1 | cached / ddcutil |\n");
    std::printf("|---|---|---|---|---|\n");
    for (const Operation& operation : operations) {
        const Figure uncached = desk.measure(operation.ours, operation.ourArguments, false);
        const Figure cached = desk.measure(operation.ours, operation.ourArguments, true);
        const Figure ddcutil = desk.measure("ddcutil", operation.ddcutilArguments, true);
        std::printf("| %s | %s | %s | %s | %.2f |\n", operation.name, qPrintable(cell(cached)),
                    qPrintable(cell(uncached)), qPrintable(cell(ddcutil)),
                    cached.milliseconds / ddcutil.milliseconds);
    }
    return 0;
}
