#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

namespace lumora {

// A tool's output as text: strict UTF-8, trimmed of white space and line breaks at both ends.
// Nothing when the bytes are not valid UTF-8.
std::optional<QString> decodeToolText(const QByteArray& bytes);

// A luminance answer: an optional sign and ASCII digits, nothing else, within 64 bits.
std::optional<qint64> parseLuminanceAnswer(QStringView text);

} // namespace lumora
