#include "platform/Edid.h"

namespace lumora::edid {

namespace {

constexpr int baseBlockSize = 128;
constexpr int descriptorSize = 18;
constexpr int firstDescriptor = 54;
constexpr int textStart = 5;

} // namespace

std::optional<QString> descriptorText(const QByteArray& edid, quint8 tag) {
    static const QByteArray header = QByteArray::fromHex("00ffffffffffff00");
    if (edid.size() < baseBlockSize || !edid.startsWith(header))
        return std::nullopt;
    for (int offset = firstDescriptor; offset + descriptorSize <= baseBlockSize;
         offset += descriptorSize) {
        const QByteArray descriptor = edid.mid(offset, descriptorSize);
        // Display descriptors start with a zero pixel clock; detailed timings do not.
        if (descriptor[0] != 0 || descriptor[1] != 0 || quint8(descriptor[3]) != tag)
            continue;
        QByteArray text = descriptor.mid(textStart);
        if (const qsizetype end = text.indexOf('\n'); end >= 0)
            text.truncate(end);
        // A broken or hostile EDID must not put control characters on the screen.
        text.removeIf(
            [](char c) { return quint8(c) < 0x20 || (quint8(c) >= 0x7F && quint8(c) < 0xA0); });
        return QString::fromLatin1(text).trimmed();
    }
    return std::nullopt;
}

} // namespace lumora::edid
