#pragma once

#include "base/Result.h"
#include "control/MonitorCurve.h"

#include <QMap>
#include <QString>

namespace lumora {

// A monitor's curve as kept between runs, and whether the user's adjustments still teach it.
struct StoredCurve {
    MonitorCurve curve;
    bool learning = false;

    bool operator==(const StoredCurve&) const = default;
};

// The curves found in the file, by monitor identity. `repaired`: parts of the file were unsound
// and left out, for the status line to say once.
struct LoadedCurves {
    QMap<QString, StoredCurve> curves;
    bool repaired = false;
};

// Keeps the curves of all monitors in one file, `curves` in the given folder. A monitor's identity
// is whatever names it steadily (its EDID's maker, product and serial, or a configured serial).
class CurveStore {
public:
    explicit CurveStore(QString folder);

    // Lumora's folder in the user's configuration: $XDG_CONFIG_HOME/lumora, ~/.config/lumora.
    static QString defaultFolder();

    QString filePath() const;

    // The curves as far as the file is sound; none when there is no file. Fails only when the
    // file cannot be read at all.
    Result<LoadedCurves, QString> load() const;

    // Replaces the file with `curves`. Curves left as they came under learning off are not kept,
    // nor those under an empty identity; when nothing is left to keep, there is no file at all.
    Result<void, QString> save(const QMap<QString, StoredCurve>& curves) const;

private:
    Result<void, QString> remove() const;

    QString m_folder;
};

} // namespace lumora
