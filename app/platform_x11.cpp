#include "app/platform_x11.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace qm {
namespace {

xcb_connection_t* x11Connection()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

} // namespace

void setSkipTaskbar(QWidget& window)
{
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t skip = internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;
    // Qt merges what it finds in this property of an unmapped window into the states it sets
    // when mapping, so the hint survives show().
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(window.winId()), state,
                        XCB_ATOM_ATOM, 32, 1, &skip);
    xcb_flush(connection);
}

void setStaysOnTop(QWidget& window, bool onTop)
{
    QWindow* handle = window.windowHandle();
    if (!handle)
        return;
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    // QWidget::setWindowFlags would hide the window; the QWindow call changes the state of a
    // mapped window in place (_NET_WM_STATE_ABOVE through the window manager).
    window.overrideWindowFlags(flags);
    handle->setFlags(flags);
}

} // namespace qm
