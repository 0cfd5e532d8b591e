#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace lumora::edid {

inline constexpr quint8 productNameTag = 0xFC;
inline constexpr quint8 serialTextTag = 0xFF;

// The text of the first display descriptor with `tag` in an EDID base block: up to 13 bytes,
// ended by a line feed and padded with spaces.
std::optional<QString> descriptorText(const QByteArray& edid, quint8 tag);

} // namespace lumora::edid
