#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace lumora {

// Why a file could not be read as a regular file of sane size.
struct FileProblem {
    enum class Kind { NotRegular, TooLarge, Unreadable };

    Kind kind;
    QString reason; // the system's words, for Unreadable
};

// What the file at `path` holds, at most `limit` bytes; nothing when there is no such file.
// It is opened without blocking and read only when it is a regular file, so that a FIFO or a
// device in its place can neither hang nor flood us. sysfs attributes count as regular files
// (their size reads 0 until read), so the file is read to its end, not to its reported size.
Result<std::optional<QByteArray>, FileProblem> readRegularFile(const QString& path,
                                                               qsizetype limit);

} // namespace lumora
