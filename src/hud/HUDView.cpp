#include "hud/HUDView.h"

#include "hud/HUDGeometry.h"
#include "hud/HUDModel.h"
#include "hud/LevelBar.h"
#include "style/Icons.h"
#include "style/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace lumora {

namespace {

constexpr int sidePadding = 18;
constexpr int rowSpacing = 12;
constexpr int iconSpacing = 10;
constexpr qreal cornerRadius = 22;
// X11 has no blur behind windows without a compositor: a dark translucent fill stands for the
// material, over the overlay's faint black shade.
const QColor material(28, 28, 30, 200);
const QColor shade(0, 0, 0, qRound(0.15 * 255));
const QColor border(255, 255, 255, qRound(0.18 * 255));

QLabel* sunLabel(int size, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(icons::sun(size, Qt::white));
    return label;
}

} // namespace

HUDView::HUDView(const HUDModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setFixedSize(hud::overlaySize);
    setAttribute(Qt::WA_TranslucentBackground);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setFont(theme::headline());
    QPalette white = m_title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(white);

    m_bar = new LevelBar(this);
    m_bar->setObjectName(QStringLiteral("levelBar"));

    auto* row = new QHBoxLayout;
    row->setSpacing(iconSpacing);
    row->addWidget(sunLabel(13, this));
    row->addWidget(m_bar, 1);
    row->addWidget(sunLabel(15, this));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(sidePadding, 0, sidePadding, 0);
    layout->setSpacing(rowSpacing);
    layout->addStretch();
    layout->addWidget(m_title);
    layout->addLayout(row);
    layout->addStretch();

    connect(&m_model, &HUDModel::changed, this, &HUDView::render);
    render();
}

void HUDView::render() {
    const int room = hud::overlaySize.width() - 2 * sidePadding;
    m_title->setText(m_title->fontMetrics().elidedText(m_model.title(), Qt::ElideRight, room));
    m_bar->setLevel(m_model.level());
}

void HUDView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, shade);
    painter.fillPath(shape, material);
    // Stroked inside the edge: the path is inset by half the line width.
    QPainterPath edge;
    edge.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5,
                        cornerRadius - 0.5);
    painter.strokePath(edge, QPen(border, 1));
}

} // namespace lumora
