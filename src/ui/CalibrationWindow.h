#pragma once

#include "ui/CalibrationSection.h"

#include <QList>
#include <QWidget>
#include <optional>

class QVBoxLayout;

namespace lumora {

// The window where the user sees and bounds each monitor's curve, one section per monitor. It
// keeps nothing: a change is reported with the monitor's place in the entries last shown, and
// shows once the caller gives it back through showEntries().
class CalibrationWindow : public QWidget {
    Q_OBJECT

public:
    explicit CalibrationWindow(QWidget* parent = nullptr);

    // `currentLevel`: the built-in display's level now, when known.
    void showEntries(const QList<CalibrationEntry>& entries, std::optional<qint64> currentLevel);

signals:
    void minimumChanged(int monitor, qint64 luminance);
    void maximumChanged(int monitor, qint64 luminance);
    void learningChanged(int monitor, bool learning);
    void resetRequested(int monitor);

private:
    CalibrationSection* makeSection();

    QVBoxLayout* m_layout;
    QList<CalibrationSection*> m_sections;
};

} // namespace lumora
