#pragma once

#include "base/Result.h"
#include "control/Failure.h"
#include "control/Wording.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <sys/stat.h>

namespace lumora {

// Reads the built-in display's brightness as a whole percentage through the brightness library:
// opened, asked and closed again on every call.
//
// The library is loaded from a private copy, made again whenever the file changes on disk. A
// mapping of the file itself would take the application down when the file is overwritten in
// place, as some install steps do; the copy also lets a call that finds the library already
// loaded skip the mapping, which keeps the poll cheap.
class BrightnessProbe {
public:
    explicit BrightnessProbe(QString library, Wording wording = {});

    Result<qint64, Failure> read(quint32 display);

private:
    // The path to open: the current private copy, or the library itself when no copy can be made.
    QByteArray loadablePath();
    // A new private copy of the library; empty when none could be made.
    QString copyLibrary();

    QString m_library;
    const Wording m_wording;
    QByteArray m_libraryPath; // m_library for the system calls, encoded once
    QTemporaryDir m_copies;
    std::optional<struct stat> m_copied; // the file as it was when last copied
    QByteArray m_copy;
    int m_generation = 0;
};

// A raw brightness fraction as a level from 0 to 100; nothing when it is not a finite number.
std::optional<qint64> brightnessLevel(float raw);

} // namespace lumora
