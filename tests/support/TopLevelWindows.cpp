#include "support/TopLevelWindows.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

namespace lumora::test {

QList<QWidget*> windowsNamed(const char* objectName) {
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(objectName))
            windows << widget;
    }
    std::sort(windows.begin(), windows.end(),
              [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    return windows;
}

QList<QWidget*> visibleWindows(const char* objectName) {
    QList<QWidget*> windows = windowsNamed(objectName);
    windows.removeIf([](QWidget* window) { return !window->isVisible(); });
    return windows;
}

QList<QRect> frames(const QList<QWidget*>& windows) {
    QList<QRect> result;
    for (QWidget* window : windows)
        result << window->geometry();
    return result;
}

} // namespace lumora::test
