#pragma once

#include <QString>

namespace lumora {

// How the texts name the desk: the built-in display, and what the window controls. The monitors
// configured at build time sit beside a MacBook; out of the box the desk is whatever is there.
struct Wording {
    QString builtinDisplay = QStringLiteral("MacBook 主屏");
    QString description = QStringLiteral("控制当前连接的两台小米显示器");

    bool operator==(const Wording&) const = default;

    // `text` followed by the built-in display's name, spaced as Chinese text is beside a Latin
    // word: "同步到" gives "同步到 MacBook 主屏" or "同步到内置显示屏".
    QString withBuiltin(const QString& text) const;

    // Out of the box: a MacBook's panel keeps its name where the firmware names Apple as the
    // machine's maker (`maker` is the DMI system vendor, empty where there is none).
    static Wording outOfTheBox(const QString& maker);
};

} // namespace lumora
