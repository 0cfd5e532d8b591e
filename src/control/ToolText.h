#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace lumora {

// A tool's output as text: strict UTF-8, trimmed of white space and line breaks at both ends.
// Nothing when the bytes are not valid UTF-8.
std::optional<QString> decodeToolText(const QByteArray& bytes);

// `text` as one line of readable length for the status line: each run of control characters
// (line breaks included) becomes one space, and a long text is cut with an ellipsis.
QString readableLine(const QString& text);

// Why `executable` could not be started, in words for the status line: the program as given and
// the reason found on disk, or the platform's own `reason` when the file looks runnable.
QString startFailureMessage(const QString& executable, const QString& reason);

// A luminance answer: an optional sign and ASCII digits, nothing else, within 64 bits.
std::optional<qint64> parseLuminanceAnswer(QStringView text);

} // namespace lumora
