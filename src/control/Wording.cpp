#include "control/Wording.h"

namespace lumora {

QString Wording::withBuiltin(const QString& text) const {
    const bool latin = !builtinDisplay.isEmpty() && builtinDisplay[0].unicode() < 0x80;
    return text + (latin ? QStringLiteral(" ") : QString()) + builtinDisplay;
}

Wording Wording::outOfTheBox(const QString& maker) {
    Wording wording;
    wording.description = QStringLiteral("控制当前连接的外接显示器");
    if (!maker.contains(QStringLiteral("Apple"), Qt::CaseInsensitive))
        wording.builtinDisplay = QStringLiteral("内置显示屏");
    return wording;
}

} // namespace lumora
