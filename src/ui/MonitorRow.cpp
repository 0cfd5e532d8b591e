#include "ui/MonitorRow.h"

#include "style/Icons.h"
#include "style/Theme.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lumora {

namespace {

constexpr int spacing = 14;
constexpr QSize buttonSize(40, 28);

QPushButton* stepButton(const QString& objectName, const QIcon& icon, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setIcon(icon);
    button->setFixedSize(buttonSize);
    return button;
}

} // namespace

MonitorRow::MonitorRow(QWidget* parent) : QFrame(parent) {
    m_name = new QLabel(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setFont(theme::headline());
    m_brightness = new QLabel(this);
    m_brightness->setObjectName(QStringLiteral("brightness"));
    m_brightness->setFont(theme::subheadline());
    theme::useSecondaryColor(m_brightness);

    m_stepDown =
        stepButton(QStringLiteral("stepDown"),
                   icons::forButton(icons::minus, palette().color(QPalette::ButtonText),
                                    palette().color(QPalette::Disabled, QPalette::ButtonText)),
                   this);
    m_stepUp =
        stepButton(QStringLiteral("stepUp"),
                   icons::forButton(icons::plus, Qt::white, QColor(255, 255, 255, 180)), this);
    theme::makeProminent(m_stepUp);
    connect(m_stepDown, &QPushButton::clicked, this, [this] { emit change(-step); });
    connect(m_stepUp, &QPushButton::clicked, this, [this] { emit change(step); });
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* calibrate = new QAction(QStringLiteral("校准"), this);
    calibrate->setObjectName(QStringLiteral("calibrate"));
    connect(calibrate, &QAction::triggered, this, &MonitorRow::calibrate);
    addAction(calibrate);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_name);
    texts->addWidget(m_brightness);

    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(spacing);
    layout->setContentsMargins(spacing, spacing, spacing, spacing);
    layout->addLayout(texts);
    layout->addStretch();
    layout->addWidget(m_stepDown);
    layout->addWidget(m_stepUp);
}

void MonitorRow::showMonitor(const Monitor& monitor, bool isWorking) {
    m_monitor = monitor;
    m_name->setText(monitor.name);
    m_brightness->setText(brightnessText(monitor));
    m_stepDown->setAccessibleName(QStringLiteral("调暗 ") + monitor.name);
    m_stepUp->setAccessibleName(QStringLiteral("调亮 ") + monitor.name);
    setEnabled(!isWorking && monitor.brightness.has_value());
}

QString MonitorRow::brightnessText(const Monitor& monitor) {
    if (!monitor.isConnected)
        return QStringLiteral("未连接");
    if (!monitor.brightness || !monitor.maximum)
        return QStringLiteral("读取中…");
    return QStringLiteral("亮度 %1 / %2").arg(*monitor.brightness).arg(*monitor.maximum);
}

void MonitorRow::paintEvent(QPaintEvent*) {
    theme::paintCard(this);
}

} // namespace lumora
