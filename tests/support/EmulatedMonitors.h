#pragma once

#include <QString>
#include <QTemporaryDir>

namespace lumora::test {

// Monitors emulated at the i2c-dev level (fakes/ddcmonitor) for the DDC tools this process runs:
// the tools it starts from now on see them, and keep their cache and bus pauses in a home and a
// runtime folder of their own.
class EmulatedMonitors {
public:
    EmulatedMonitors();
    ~EmulatedMonitors();

    // A monitor on /dev/i2c-<bus> with an EDID product name and serial.
    void add(int bus, const QString& name, const QString& serial) const;
    // DDC/CI's own timing: 90 µs a byte, replies ready 40 ms after their request.
    void withBusTiming() const;
    void fault(int bus, const QString& words) const;
    // What the monitor holds of a feature ("10" luminance, "d6" power mode); "" before any set.
    QString holds(int bus, const QString& feature) const;
    // The monitor changes a feature by itself, as from its own buttons.
    void setHolds(int bus, const QString& feature, const QString& value) const;
    // One line per I2C message the monitor's bus carried (see fakes/ddcmonitor).
    QStringList log(int bus) const;
    // The messages of log(), from `since` on (microseconds of CLOCK_MONOTONIC, see now()).
    struct Message {
        qint64 start = 0; // microseconds
        bool isWrite = false;
        QString address; // "0x37"
        QString bytes;   // the first 16 in hexadecimal
        int error = 0;   // errno, 0 when done

        // A Set VCP Feature request to the monitor.
        bool isSet() const { return isWrite && address == "0x37" && bytes.mid(4, 2) == "03"; }
    };
    QList<Message> messages(int bus, qint64 since) const;
    static qint64 now();
    // Messages to the monitor time out after `milliseconds` (with the fault "timeout").
    void timeoutAfter(int bus, int milliseconds) const;

private:
    QString folder(int bus) const;
    void write(const QString& file, const QString& text) const;

    QTemporaryDir m_root;
};

} // namespace lumora::test
