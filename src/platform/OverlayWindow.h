#pragma once

class QWidget;

namespace lumora {

// Makes a top-level widget an overlay: frameless, above ordinary windows, never focused, no
// taskbar entry, transparent for clicks, and on every desktop. Call before the widget is shown.
void prepareOverlayWindow(QWidget* window);

} // namespace lumora
