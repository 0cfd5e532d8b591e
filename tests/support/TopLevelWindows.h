#pragma once

#include <QList>
#include <QRect>

class QWidget;

namespace lumora::test {

// Top-level windows with this object name, left to right: all of them, or the visible ones.
QList<QWidget*> windowsNamed(const char* objectName);
QList<QWidget*> visibleWindows(const char* objectName);

QList<QRect> frames(const QList<QWidget*>& windows);

} // namespace lumora::test
