#include "platform/DrmEdid.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora::drm {

namespace {

// An EDID is at most 256 blocks of 128 bytes.
constexpr qsizetype edidLimit = 256 * 128;

// The start of a sysfs attribute, read only when it is a regular file and without blocking, so
// that nothing planted in a test folder or a strange kernel can hang or flood us.
QByteArray attribute(const QString& path, qsizetype limit) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return {};
    QByteArray contents;
    struct stat status {};
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        // sysfs reports a size of 0 for attributes it makes when read: read to the end.
        contents.resize(limit);
        qsizetype used = 0;
        ssize_t count = 0;
        while (used < limit &&
               (count = ::read(descriptor, contents.data() + used, size_t(limit - used))) > 0)
            used += count;
        contents.resize(used);
    }
    ::close(descriptor);
    return contents;
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
