#include "control/MonitorFinder.h"

namespace lumora {

MonitorFinder::MonitorFinder(QString tool, const ToolRunner& runner)
    : m_tool(std::move(tool)), m_runner(runner) {}

Result<QList<FoundMonitor>, Failure> MonitorFinder::find() const {
    const Result<QString, Failure> answer =
        m_runner.runForLines(m_tool, {QStringLiteral("detect"), QStringLiteral("--tabs")});
    if (!answer.ok())
        return answer.failure();
    return parseDetection(answer.value());
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
