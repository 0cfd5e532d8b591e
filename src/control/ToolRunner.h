#pragma once

#include "base/Result.h"
#include "control/Failure.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

namespace lumora {

// Runs one outside tool as a child process and answers its trimmed standard output.
//
// The child gets the path as given (no shell, no PATH search), inherits the environment, the
// working directory and standard input, and writes into two separate pipes that are drained while
// it runs. A child that outlives the time limit is killed and the run fails with a message naming
// the tool. A tool that exits with a non-zero status fails with its standard error and that status.
class ToolRunner {
public:
    enum class Answer {
        OneLine, // one readable line, as the status line shows it
        Lines,   // lines and tabs kept: for a tool whose output is data, not a message
    };
    using Done = std::function<void(Result<QString, Failure>)>;

    explicit ToolRunner(std::chrono::milliseconds timeLimit);

    // Starts the tool and returns at once; `done` gets the answer once the tool has ended. The run
    // belongs to `owner`: destroying the owner first stops the tool, and `done` is never called.
    void start(const QString& executable, const QStringList& arguments, Answer answer,
               QObject* owner, Done done) const;
    // Runs the tool and waits for its answer. The caller's thread keeps its event loop turning
    // during the wait: timers and queued work run, user input waits until the tool has ended.
    Result<QString, Failure> run(const QString& executable, const QStringList& arguments,
                                 Answer answer = Answer::OneLine) const;

private:
    QString timeLimitMessage(const QString& executable) const;

    std::chrono::milliseconds m_timeLimit;
};

} // namespace lumora
