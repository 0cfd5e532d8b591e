#pragma once

#include "control/ControllerConfig.h"
#include "support/Printers.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace lumora::test {

// A fake outside tool in a folder of its own: a real executable, run as a real child process,
// that answers by the rules a test gives it and logs every invocation.
class ScriptedTool {
public:
    explicit ScriptedTool(const QString& name = QStringLiteral("m1ddc"));

    QString path() const;
    QString folder() const { return m_folder.path(); }
    // Replaces the rules: "ARGUMENTS\tdirective\t..." per rule (see fakes/FakeTool.cpp).
    void script(const QStringList& rules) const;
    // Every invocation so far, its arguments joined by spaces.
    QStringList log() const;

    // A controller configuration that runs this tool, with a short time limit.
    ControllerConfig config() const;

    // Rules for two monitors that answer `brightness` to get and `maximum` to max.
    static QStringList monitorsAt(int brightness, int maximum);

private:
    QTemporaryDir m_folder;
    QString m_name;
};

// A log of commands to several monitors, monitor by monitor, each monitor's commands in the order
// they ran: the monitors' lanes run side by side, so only the order within one monitor is fixed.
// A monitor is named by the argument after "display" or "--sn".
QStringList inLanes(const QStringList& log);

} // namespace lumora::test
