#include "platform/XdgAutostart.h"

#include "platform/RegularFile.h"
#include "platform/XdgConfigHome.h"

#include <QDir>
#include <QSaveFile>

namespace lumora {

namespace {

// Characters that make an argument need quotes in an Exec value.
const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
// Characters escaped with a backslash inside quotes.
const QString quotedEscapes = QStringLiteral("\"`$\\");

// The string-level escapes of desktop entry values.
QString escapeValue(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapeValue(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == u's'   ? QChar(u' ')
                : next == u'n' ? QChar(u'\n')
                : next == u't' ? QChar(u'\t')
                : next == u'r' ? QChar(u'\r')
                               : next;
    }
    return text;
}

// The keys of the [Desktop Entry] group, with their values unescaped.
QMap<QString, QString> desktopEntry(const QByteArray& contents) {
    QMap<QString, QString> keys;
    bool inGroup = false;
    for (const QString& rawLine : QString::fromUtf8(contents).split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    return keys;
}

// A desktop entry is a few hundred bytes; anything far larger is not one.
constexpr qsizetype entryLimit = 64 * 1024;

// The entry's bytes; nothing when there is no entry; the reason when it is not a file we read.
Result<std::optional<QByteArray>, QString> readEntryFile(const QString& path) {
    const Result<std::optional<QByteArray>, FileProblem> read = readRegularFile(path, entryLimit);
    if (read.ok())
        return read.value();
    switch (read.failure().kind) {
    case FileProblem::Kind::NotRegular:
        return QStringLiteral("%1 不是普通文件").arg(path);
    case FileProblem::Kind::TooLarge:
        return QStringLiteral("%1 太大，不像登录项").arg(path);
    case FileProblem::Kind::Unreadable:
        break;
    }
    return QStringLiteral("无法读取 %1：%2").arg(path, read.failure().reason);
}

// The desktop's own switches for an autostart entry.
bool switchedOff(const QMap<QString, QString>& keys) {
    return keys.value(QStringLiteral("Hidden")) == QStringLiteral("true") ||
           keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QStringLiteral("false");
}

} // namespace

XdgAutostart::XdgAutostart(QString executable, QString folder)
    : m_executable(std::move(executable)), m_folder(std::move(folder)) {}

QString XdgAutostart::defaultFolder() {
    return xdgConfigHome() + QStringLiteral("/autostart");
}

QString XdgAutostart::entryPath() const {
    return QDir(m_folder).filePath(QStringLiteral("lumora.desktop"));
}

bool XdgAutostart::isEnabled() const {
    const Result<std::optional<QByteArray>, QString> entry = readEntryFile(entryPath());
    if (!entry.ok() || !entry.value())
        return false;
    const QMap<QString, QString> keys = desktopEntry(*entry.value());
    return !switchedOff(keys) && programOf(keys.value(QStringLiteral("Exec"))) == m_executable;
}

Result<void, QString> XdgAutostart::registerApp() {
    // An entry the user switched off, or a file we cannot read as one, is the user's: left alone.
    const Result<std::optional<QByteArray>, QString> entry = readEntryFile(entryPath());
    if (!entry.ok())
        return entry.failure();
    if (entry.value() && switchedOff(desktopEntry(*entry.value())))
        return QStringLiteral("登录项已在桌面的自启动设置中关闭（%1）").arg(entryPath());
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("无法创建文件夹 %1").arg(m_folder);
    const QString contents = QStringLiteral("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Lumora\n"
                                            "Comment=让外接显示器的亮度跟随笔记本屏幕\n"
                                            "Exec=%1\n"
                                            "Terminal=false\n"
                                            "X-GNOME-Autostart-enabled=true\n")
                                 .arg(escapeValue(execValue(m_executable)));
    QSaveFile file(entryPath());
    if (file.open(QIODevice::WriteOnly) && file.write(contents.toUtf8()) >= 0 && file.commit())
        return {};
    return QStringLiteral("无法写入 %1：%2").arg(entryPath(), file.errorString());
}

QString XdgAutostart::execValue(const QString& program) {
    QString argument = program;
    argument.replace(u'%', QStringLiteral("%%"));
    if (std::none_of(argument.cbegin(), argument.cend(),
                     [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (quotedEscapes.contains(c))
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

QString XdgAutostart::programOf(const QString& execValue) {
    QString program;
    if (!execValue.startsWith(u'"')) {
        program = execValue.section(u' ', 0, 0);
    } else {
        qsizetype i = 1;
        for (; i < execValue.size() && execValue[i] != u'"'; ++i) {
            if (execValue[i] == u'\\' && i + 1 < execValue.size())
                ++i;
            program += execValue[i];
        }
        if (i == execValue.size())
            return {};
    }
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

} // namespace lumora
