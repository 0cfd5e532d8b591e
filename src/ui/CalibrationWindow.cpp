#include "ui/CalibrationWindow.h"

#include <QVBoxLayout>

namespace lumora {

namespace {
constexpr int spacing = 20;
constexpr int padding = 28;
} // namespace

CalibrationWindow::CalibrationWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("校准"));
    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(spacing);
    m_layout->setContentsMargins(padding, padding, padding, padding);
}

void CalibrationWindow::showEntries(const QList<CalibrationEntry>& entries,
                                    std::optional<qint64> currentLevel) {
    while (m_sections.size() > entries.size())
        delete m_sections.takeLast();
    while (m_sections.size() < entries.size())
        m_sections.append(makeSection());
    for (qsizetype index = 0; index < entries.size(); ++index)
        m_sections[index]->showEntry(entries[index], currentLevel);
}

CalibrationSection* CalibrationWindow::makeSection() {
    const int monitor = int(m_sections.size());
    auto* section = new CalibrationSection(this);
    section->setObjectName(QStringLiteral("monitor-%1").arg(monitor));
    m_layout->addWidget(section);
    connect(section, &CalibrationSection::minimumChanged, this,
            [this, monitor](qint64 luminance) { emit minimumChanged(monitor, luminance); });
    connect(section, &CalibrationSection::maximumChanged, this,
            [this, monitor](qint64 luminance) { emit maximumChanged(monitor, luminance); });
    connect(section, &CalibrationSection::learningChanged, this,
            [this, monitor](bool learning) { emit learningChanged(monitor, learning); });
    connect(section, &CalibrationSection::resetRequested, this,
            [this, monitor] { emit resetRequested(monitor); });
    return section;
}

} // namespace lumora
