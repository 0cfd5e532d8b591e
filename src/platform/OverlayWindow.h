#pragma once

class QWidget;

namespace lumora {

// Makes a top-level widget an overlay: frameless, above ordinary windows, never focused, no
// taskbar entry and transparent for clicks. Call once, before the widget is first shown.
void prepareOverlayWindow(QWidget* window);

// Shows an overlay window, on every desktop and without taskbar or pager entries. Window managers
// forget these states whenever a window is hidden, so every showing sets them again.
void showOverlayWindow(QWidget* window);

} // namespace lumora
