#include "support/EmulatedMonitors.h"

#include <QDir>
#include <QFile>
#include <ctime>
#include <sys/stat.h>

namespace lumora::test {

EmulatedMonitors::EmulatedMonitors() {
    QDir(m_root.path()).mkpath("state");
    QDir(m_root.path()).mkpath("home");
    QDir(m_root.path()).mkpath("run");
    chmod(m_root.filePath("run").toUtf8(), 0700);
    qputenv("LD_PRELOAD", LUMORA_DDC_MONITOR_PRELOAD);
    qputenv("LUMORA_DDC_EMULATOR", m_root.filePath("state").toUtf8());
    qputenv("HOME", m_root.filePath("home").toUtf8());
    qputenv("XDG_RUNTIME_DIR", m_root.filePath("run").toUtf8());
    qunsetenv("XDG_CACHE_HOME");
}

EmulatedMonitors::~EmulatedMonitors() {
    qunsetenv("LD_PRELOAD");
    qunsetenv("LUMORA_DDC_EMULATOR");
}

void EmulatedMonitors::add(int bus, const QString& name, const QString& serial) const {
    QDir(m_root.path()).mkpath(folder(bus) + "/vcp");
    write(folder(bus) + "/name", name);
    write(folder(bus) + "/serial", serial);
}

void EmulatedMonitors::withBusTiming() const {
    write(m_root.filePath("state/bus-timing"), "");
    write(m_root.filePath("state/reply-delay"), "");
}

void EmulatedMonitors::fault(int bus, const QString& words) const {
    write(folder(bus) + "/faults", words);
}

QString EmulatedMonitors::holds(int bus, const QString& feature) const {
    QFile in(folder(bus) + "/vcp/" + feature);
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()).section(' ', 0, 0) : "";
}

void EmulatedMonitors::setHolds(int bus, const QString& feature, const QString& value) const {
    write(folder(bus) + "/vcp/" + feature, value + " 100");
}

QStringList EmulatedMonitors::log(int bus) const {
    QFile in(folder(bus) + "/log");
    if (!in.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(in.readAll()).split('\n', Qt::SkipEmptyParts);
}

QList<EmulatedMonitors::Message> EmulatedMonitors::messages(int bus, qint64 since) const {
    QList<Message> found;
    for (const QString& line : log(bus)) {
        const QStringList fields = line.split(' ');
        if (fields.size() < 7 || fields[0].toLongLong() < since)
            continue;
        found.append({.start = fields[0].toLongLong(),
                      .isWrite = fields[2] == "write",
                      .address = fields[3],
                      .bytes = fields[5],
                      .error = fields[6].toInt()});
    }
    return found;
}

qint64 EmulatedMonitors::now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void EmulatedMonitors::timeoutAfter(int bus, int milliseconds) const {
    write(folder(bus) + "/timeout-ms", QString::number(milliseconds));
}

QString EmulatedMonitors::folder(int bus) const {
    return m_root.filePath("state/i2c-" + QString::number(bus));
}

void EmulatedMonitors::write(const QString& file, const QString& text) const {
    QFile out(file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(text.toUtf8());
}

} // namespace lumora::test
