#pragma once

class QWidget;

namespace lumora {

// Makes a top-level widget an overlay: frameless, above ordinary windows, never focused, no
// taskbar entry and transparent for clicks. Call once, before the widget is first shown.
//
// On X11 (XWayland too) the window manager does not manage it (override-redirect): it goes
// exactly where it is put, on every desktop, outside task bars and switchers, and never takes the
// focus, whatever the window manager would do with a managed window.
void prepareOverlayWindow(QWidget* window);

} // namespace lumora
