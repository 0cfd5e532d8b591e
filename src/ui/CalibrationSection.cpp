#include "ui/CalibrationSection.h"

#include "style/Theme.h"
#include "ui/CurvePlot.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace lumora {

namespace {

constexpr int spacing = 14;
constexpr int labelSpacing = 6;

QSpinBox* limitBox(const QString& objectName, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(objectName);
    // A number typed digit by digit is one change, not one per digit.
    box->setKeyboardTracking(false);
    return box;
}

QLayout* labelled(const QString& text, QSpinBox* box, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(theme::subheadline());
    label->setBuddy(box);
    auto* layout = new QHBoxLayout;
    layout->setSpacing(labelSpacing);
    layout->addWidget(label);
    layout->addWidget(box);
    return layout;
}

} // namespace

CalibrationSection::CalibrationSection(QWidget* parent) : QFrame(parent) {
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setFont(theme::headline());
    m_plot = new CurvePlot(this);
    m_plot->setObjectName(QStringLiteral("plot"));

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(spacing);
    layout->setContentsMargins(spacing, spacing, spacing, spacing);
    layout->addWidget(m_name);
    layout->addWidget(m_plot, 1);
    layout->addLayout(controls());
}

QLayout* CalibrationSection::controls() {
    m_minimum = limitBox(QStringLiteral("minimum"), this);
    m_maximum = limitBox(QStringLiteral("maximum"), this);
    m_learning = new QCheckBox(QStringLiteral("学习我的调整"), this);
    m_learning->setObjectName(QStringLiteral("learning"));
    m_reset = new QPushButton(QStringLiteral("重置"), this);
    m_reset->setObjectName(QStringLiteral("reset"));
    connect(m_minimum, &QSpinBox::valueChanged, this,
            [this](int value) { emit minimumChanged(value); });
    connect(m_maximum, &QSpinBox::valueChanged, this,
            [this](int value) { emit maximumChanged(value); });
    connect(m_learning, &QCheckBox::clicked, this, &CalibrationSection::learningChanged);
    connect(m_reset, &QPushButton::clicked, this, &CalibrationSection::resetRequested);

    auto* layout = new QHBoxLayout;
    layout->setSpacing(spacing);
    layout->addLayout(labelled(QStringLiteral("最低亮度"), m_minimum, this));
    layout->addLayout(labelled(QStringLiteral("最高亮度"), m_maximum, this));
    layout->addStretch();
    layout->addWidget(m_learning);
    layout->addWidget(m_reset);
    return layout;
}

void CalibrationSection::showEntry(const CalibrationEntry& entry,
                                   std::optional<qint64> currentLevel) {
    const MonitorCurve& curve = entry.curve;
    m_name->setText(entry.name);
    m_plot->showCurve(curve, currentLevel);
    showLimits(curve);
    m_learning->setChecked(entry.learning);
    m_reset->setEnabled(!curve.points().isEmpty());
    m_minimum->setAccessibleName(QStringLiteral("%1 最低亮度").arg(entry.name));
    m_maximum->setAccessibleName(QStringLiteral("%1 最高亮度").arg(entry.name));
}

// Each box offers only what keeps the minimum at or below the maximum.
void CalibrationSection::showLimits(const MonitorCurve& curve) {
    // Showing the limits is not the user changing them.
    const QSignalBlocker minimumBlocker(m_minimum);
    const QSignalBlocker maximumBlocker(m_maximum);
    m_minimum->setRange(0, int(curve.maximum()));
    m_minimum->setValue(int(curve.minimum()));
    m_maximum->setRange(int(curve.minimum()), int(curve.monitorMaximum()));
    m_maximum->setValue(int(curve.maximum()));
}

void CalibrationSection::paintEvent(QPaintEvent*) {
    theme::paintCard(this);
}

} // namespace lumora
