#include "control/MonitorFinder.h"

namespace lumora {

MonitorFinder::MonitorFinder(QString tool, const ToolRunner& runner)
    : m_tool(std::move(tool)), m_runner(runner) {}

namespace {

const QStringList detectArguments = {QStringLiteral("detect"), QStringLiteral("--tabs")};

MonitorFinder::Found found(const Result<QString, Failure>& answer) {
    if (!answer.ok())
        return answer.failure();
    return parseDetection(answer.value());
}

} // namespace

MonitorFinder::Found MonitorFinder::find() const {
    return found(m_runner.run(m_tool, detectArguments, ToolRunner::Answer::Lines));
}

void MonitorFinder::start(QObject* owner, std::function<void(Found)> done) const {
    m_runner.start(m_tool, detectArguments, ToolRunner::Answer::Lines, owner,
                   [done](Result<QString, Failure> answer) { done(found(answer)); });
}

QList<FoundMonitor> parseDetection(const QString& text) {
    QList<FoundMonitor> found;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() != 5)
            continue;
        bool isNumber = false;
        const qint64 number = fields[0].toLongLong(&isNumber);
        if (!isNumber || number <= 0)
            continue;
        found.append({.number = number, .serial = fields[1], .name = fields[2].trimmed()});
    }
    return found;
}

} // namespace lumora
