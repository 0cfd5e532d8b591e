#pragma once

#include "platform/Edid.h"

#include <QByteArray>

namespace lumora::test {

// A 128-byte EDID base block whose only display descriptor names the product.
inline QByteArray edidNamed(const QByteArray& product) {
    QByteArray edid(128, '\0');
    edid.replace(0, 8, QByteArray::fromHex("00ffffffffffff00"));
    // Descriptor 1 is a detailed timing; descriptor 2 carries the product name.
    edid[54] = 0x01;
    QByteArray descriptor(18, '\0');
    descriptor[3] = char(edid::productNameTag);
    descriptor.replace(5, 13, (product + '\n').leftJustified(13, ' '));
    edid.replace(72, 18, descriptor);
    return edid;
}

} // namespace lumora::test
