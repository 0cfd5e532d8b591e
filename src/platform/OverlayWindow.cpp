#include "platform/OverlayWindow.h"

#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

namespace lumora {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, false, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

// The window manager reads these when the window is first mapped: sticky, without taskbar or
// pager entries, on all desktops.
void makeSticky(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t states[] = {atom(connection, "_NET_WM_STATE_STICKY"),
                                 atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, atom(connection, "_NET_WM_STATE"),
                        XCB_ATOM_ATOM, 32, 3, states);
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    xcb_flush(connection);
}

} // namespace

void prepareOverlayWindow(QWidget* window) {
    window->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setFocusPolicy(Qt::NoFocus);
    // The offscreen platform offers the X11 interface too, but without a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        makeSticky(x11->connection(), xcb_window_t(window->winId()));
}

} // namespace lumora
