#pragma once

#include <QWidget>

namespace lumora {

// A plain black window over a whole screen: no frame, above every other window, on every
// desktop, never focused, and transparent for clicks.
class BlackoutWindow : public QWidget {
    Q_OBJECT

public:
    BlackoutWindow();

    // Covers `geometry` and comes to the front. Where windows cannot be placed, it is made full
    // screen on the screen at `geometry` instead.
    void cover(const QRect& geometry, bool canPlace);
};

} // namespace lumora
