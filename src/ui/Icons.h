#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// Small symbol images drawn in code, so the window looks the same without an icon theme.
namespace lumora::icons {

QPixmap sun(int size, const QColor& color);
QIcon minus(const QColor& color);
QIcon plus(const QColor& color);
QIcon refresh(const QColor& color);

} // namespace lumora::icons
