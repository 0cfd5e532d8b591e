#include "platform/RegularFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumora {

Result<std::optional<QByteArray>, FileProblem> readRegularFile(const QString& path,
                                                               qsizetype limit) {
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::optional<QByteArray>();
        return FileProblem{FileProblem::Kind::Unreadable,
                           QString::fromLocal8Bit(std::strerror(errno))};
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return FileProblem{FileProblem::Kind::NotRegular, {}};
    }
    // One byte more than allowed tells a file that is too large.
    QByteArray contents(limit + 1, Qt::Uninitialized);
    qsizetype used = 0;
    ssize_t count = 0;
    while (used < contents.size() &&
           (count = ::read(descriptor, contents.data() + used, size_t(contents.size() - used))) > 0)
        used += count;
    const int readError = count < 0 ? errno : 0;
    ::close(descriptor);
    if (readError != 0)
        return FileProblem{FileProblem::Kind::Unreadable,
                           QString::fromLocal8Bit(std::strerror(readError))};
    if (used > limit)
        return FileProblem{FileProblem::Kind::TooLarge, {}};
    contents.resize(used);
    return std::optional<QByteArray>(contents);
}

} // namespace lumora
