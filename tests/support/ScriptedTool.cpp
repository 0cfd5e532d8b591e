#include "support/ScriptedTool.h"

#include <QFile>
#include <algorithm>

namespace lumora::test {

ScriptedTool::ScriptedTool(const QString& name) : m_name(name) {
    QFile::link(QStringLiteral(LUMORA_FAKE_TOOL), path());
    script({});
}

QString ScriptedTool::path() const {
    return m_folder.filePath(m_name);
}

void ScriptedTool::script(const QStringList& rules) const {
    QFile file(path() + QStringLiteral(".script"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(rules.join(u'\n').toUtf8() + '\n');
}

QStringList ScriptedTool::log() const {
    QFile file(path() + QStringLiteral(".log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QStringList inLanes(const QStringList& log) {
    const auto monitor = [](const QString& command) {
        const QStringList words = command.split(u' ');
        for (qsizetype at = 0; at + 1 < words.size(); ++at) {
            if (words[at] == QStringLiteral("display") || words[at] == QStringLiteral("--sn"))
                return words[at + 1];
        }
        return QString();
    };
    QStringList sorted = log;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const QString& a, const QString& b) { return monitor(a) < monitor(b); });
    return sorted;
}

ControllerConfig ScriptedTool::config() const {
    using namespace std::chrono_literals;
    ControllerConfig config = ControllerConfig::standard();
    config.executable = path();
    config.detectionTool.clear();
    config.setsWithoutReadBack = false;
    config.wording = {};
    config.curvesFolder = folder() + QStringLiteral("/config");
    config.toolTimeLimit = 2s;
    config.brightnessLibrary = QStringLiteral(LUMORA_FAKE_BRIGHTNESS_LIBRARY);
    return config;
}

QStringList ScriptedTool::monitorsAt(int brightness, int maximum) {
    return {
        QStringLiteral("display * get luminance\tout=%1\\n").arg(brightness),
        QStringLiteral("display * max luminance\tout=%1\\n").arg(maximum),
    };
}

} // namespace lumora::test
