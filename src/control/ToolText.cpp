#include "control/ToolText.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <limits>

namespace lumora {

std::optional<QString> decodeToolText(const QByteArray& bytes) {
    // Keep a leading byte-order mark as a character: it is not white space, so such an answer
    // stays invalid instead of being quietly accepted.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom |
                                                       QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    // QString::trimmed strips exactly tab, U+000A to U+000D, U+0085 and the Unicode space, line
    // and paragraph separators.
    return text.trimmed();
}

QString readableLine(const QString& text) {
    constexpr qsizetype longest = 240;
    QString line;
    bool inControl = false;
    for (const QChar c : text) {
        const bool control = c.category() == QChar::Other_Control ||
                             c.category() == QChar::Separator_Line ||
                             c.category() == QChar::Separator_Paragraph;
        if (control && !inControl)
            line += u' ';
        else if (!control)
            line += c;
        inControl = control;
        if (line.size() > longest) {
            // Never half a character: a cut between a surrogate pair would leave an invalid one.
            const qsizetype kept = line[longest - 1].isHighSurrogate() ? longest - 1 : longest;
            return line.left(kept) + QStringLiteral("…");
        }
    }
    return line;
}

QString startFailureMessage(const QString& executable, const QString& reason) {
    const QFileInfo file(executable);
    QString why;
    if (!file.exists())
        why = QStringLiteral("找不到该程序");
    else if (file.isDir())
        why = QStringLiteral("这是一个文件夹，不是程序");
    else if (!file.isExecutable())
        why = QStringLiteral("没有执行权限");
    else
        why = QStringLiteral("系统拒绝运行（%1）").arg(reason);
    return QStringLiteral("无法启动 %1：%2").arg(executable, why);
}

std::optional<qint64> parseLuminanceAnswer(QStringView text) {
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.sliced(1);
    if (text.isEmpty())
        return std::nullopt;

    // Accumulate towards the sign so that the most negative value parses too.
    qint64 value = 0;
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    constexpr qint64 highest = std::numeric_limits<qint64>::max();
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c.unicode() - u'0';
        if (negative ? value < (lowest + digit) / 10 : value > (highest - digit) / 10)
            return std::nullopt;
        value = value * 10 + (negative ? -digit : digit);
    }
    return value;
}

} // namespace lumora
