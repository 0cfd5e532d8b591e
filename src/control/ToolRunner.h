#pragma once

#include "base/Result.h"
#include "control/Failure.h"

#include <QString>
#include <QStringList>
#include <chrono>

namespace lumora {

// Runs one outside tool as a child process and returns its trimmed standard output.
//
// The child gets the path as given (no shell, no PATH search), inherits the environment, the
// working directory and standard input, and writes into two separate pipes that are drained while
// it runs. The caller's thread keeps its event loop turning during the wait: timers and queued
// work run, user input waits until the tool has ended. A child that outlives the time limit is
// killed and the run fails with a message naming the tool.
class ToolRunner {
public:
    explicit ToolRunner(std::chrono::milliseconds timeLimit);

    // The answer as one readable line, as the status line shows it.
    Result<QString, Failure> run(const QString& executable, const QStringList& arguments) const;
    // The answer with its lines and tabs kept: for a tool whose output is data, not a message.
    Result<QString, Failure> runForLines(const QString& executable,
                                         const QStringList& arguments) const;

private:
    Result<QString, Failure> runProcess(const QString& executable, const QStringList& arguments,
                                        bool asOneLine) const;
    QString timeLimitMessage(const QString& executable) const;

    std::chrono::milliseconds m_timeLimit;
};

} // namespace lumora
