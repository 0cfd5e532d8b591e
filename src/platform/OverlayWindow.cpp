#include "platform/OverlayWindow.h"

#include <QGuiApplication>
#include <QList>
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

QList<xcb_atom_t> currentStates(xcb_connection_t* connection, xcb_window_t window,
                                xcb_atom_t property) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, false, window, property, XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    QList<xcb_atom_t> states;
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        states = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return states;
}

// The window manager reads these when the window is mapped, and drops them when it is hidden:
// sticky, without taskbar or pager entries, on all desktops.
void makeSticky(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t property = atom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> states = currentStates(connection, window, property);
    for (const char* name :
         {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        if (const xcb_atom_t state = atom(connection, name); !states.contains(state))
            states.append(state);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.constData());
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
}

void showOverlayWindow(QWidget* window) {
    // Only a hidden window has lost its states; a shown one keeps them.
    if (window->isVisible())
        return;
    // The offscreen platform offers the X11 interface too, but without a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection())
        makeSticky(x11->connection(), xcb_window_t(window->winId()));
    window->show();
}

} // namespace lumora
