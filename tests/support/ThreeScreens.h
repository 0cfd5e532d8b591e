#pragma once

#include "platform/Screen.h"

#include <QRect>

namespace lumora::test {

class FakeDisplays;

// The desk of the tests and benchmarks, left to right: the built-in panel (display 1), then two
// external screens, "Mi 27 NU" (display 2) and "Mi Monitor" (display 3), each available whole.
inline const QRect builtinFrame(0, 0, 1920, 1080);
inline const QRect wideFrame(1920, 0, 2560, 1440);
inline const QRect monitorFrame(4480, 0, 1920, 1080);

inline const Screen builtinScreen{.number = 1,
                                  .name = QStringLiteral("Built-in Retina Display"),
                                  .geometry = builtinFrame,
                                  .availableGeometry = builtinFrame,
                                  .serial = {}};
inline const Screen wideScreen{.number = 2,
                               .name = QStringLiteral("Mi 27 NU"),
                               .geometry = wideFrame,
                               .availableGeometry = wideFrame,
                               .serial = {}};
inline const Screen monitorScreen{.number = 3,
                                  .name = QStringLiteral("Mi Monitor"),
                                  .geometry = monitorFrame,
                                  .availableGeometry = monitorFrame,
                                  .serial = {}};

// Puts the three screens on `displays`, the built-in one as the main display.
void setUpThreeScreens(FakeDisplays& displays);

} // namespace lumora::test
