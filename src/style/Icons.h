#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// Small symbol images drawn in code, so the window looks the same without an icon theme.
namespace lumora::icons {

QPixmap sun(int size, const QColor& color);
QPixmap minus(const QColor& color);
QPixmap plus(const QColor& color);
QPixmap refresh(const QColor& color);

// A button's icon from one of the symbols above, in `color`, and in `disabled` while the button
// is disabled.
QIcon forButton(QPixmap (*symbol)(const QColor&), const QColor& color, const QColor& disabled);

} // namespace lumora::icons
