#pragma once

#include "base/Result.h"
#include "control/Failure.h"
#include "control/ToolRunner.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace lumora {

// A monitor the DDC tools found, by the number the luminance tool addresses it with.
struct FoundMonitor {
    qint64 number = 0;
    QString serial;
    QString name; // the EDID product name; may be empty

    bool operator==(const FoundMonitor&) const = default;
};

// Asks our own DDC tool which monitors it numbers 2 and 3 (`lumora-ddc detect --tabs`). A
// detection scans every bus and so also renews the tool's cache: after it, a monitor that came
// back is reached at once.
class MonitorFinder {
public:
    MonitorFinder(QString tool, const ToolRunner& runner);

    using Found = Result<QList<FoundMonitor>, Failure>;

    // Asks and waits for the answer.
    Found find() const;
    // Asks and returns at once; `done` gets the answer. The search belongs to `owner`.
    void start(QObject* owner, std::function<void(Found)> done) const;

private:
    QString m_tool;
    const ToolRunner& m_runner;
};

// The numbered monitors of a detection's lines: NUMBER, SERIAL, NAME, BUS, DDC separated by tabs.
// Lines without a number, or that do not read as such a line, are left out.
QList<FoundMonitor> parseDetection(const QString& text);

} // namespace lumora
