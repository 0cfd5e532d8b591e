#include "style/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

namespace lumora::theme {

namespace {

QFont sized(int pixels, QFont::Weight weight = QFont::Normal) {
    QFont font;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

} // namespace

QFont title() {
    return sized(22, QFont::DemiBold);
}
QFont headline() {
    return sized(15, QFont::DemiBold);
}
QFont body() {
    return sized(14);
}
QFont subheadline() {
    return sized(13);
}
QFont footnote() {
    return sized(12);
}

QColor yellow() {
    return {255, 204, 0};
}
QColor accent() {
    return {10, 122, 255};
}

void makeProminent(QWidget* button) {
    button->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                       " border-radius: 6px; padding: 5px 12px; }"
                       "QPushButton:pressed { background: %2; }"
                       "QPushButton:disabled { background: %3; }")
            .arg(accent().name(), accent().darker(120).name(), accent().lighter(160).name()));
}

void paintCard(QWidget* widget) {
    constexpr qreal cornerRadius = 12;
    QColor fill = widget->palette().color(QPalette::WindowText);
    fill.setAlphaF(0.07f);
    QPainterPath card;
    card.addRoundedRect(QRectF(widget->rect()), cornerRadius, cornerRadius);
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(card, fill);
}

void useSecondaryColor(QWidget* widget) {
    QPalette palette = widget->palette();
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(0.55f);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
}

} // namespace lumora::theme
