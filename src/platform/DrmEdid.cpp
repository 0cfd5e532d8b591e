#include "platform/DrmEdid.h"

#include "platform/RegularFile.h"

#include <QDir>
#include <QRegularExpression>

namespace lumora::drm {

namespace {

// An EDID is at most 256 blocks of 128 bytes.
constexpr qsizetype edidLimit = 256 * 128;

// A sysfs attribute's bytes; empty when it cannot be read as a regular file of sane size.
QByteArray attribute(const QString& path, qsizetype limit) {
    const Result<std::optional<QByteArray>, FileProblem> read = readRegularFile(path, limit);
    return read.ok() ? read.value().value_or(QByteArray()) : QByteArray();
}

} // namespace

QByteArray connectorEdid(const QString& drmFolder, const QString& connector) {
    const QDir folder(drmFolder);
    const QRegularExpression entryName(QStringLiteral("^card[0-9]+-") +
                                       QRegularExpression::escape(connector) + QLatin1Char('$'));
    QByteArray edid;
    int connected = 0;
    for (const QString& entry : folder.entryList(QDir::Dirs | QDir::System)) {
        if (!entryName.match(entry).hasMatch() ||
            attribute(folder.filePath(entry + QStringLiteral("/status")), 64).trimmed() !=
                "connected")
            continue;
        ++connected;
        edid = attribute(folder.filePath(entry + QStringLiteral("/edid")), edidLimit);
    }
    return connected == 1 ? edid : QByteArray();
}

} // namespace lumora::drm
