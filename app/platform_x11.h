#pragma once

class QWidget;

// Window-system bits that Qt does not offer. Each does nothing off X11 (e.g. offscreen tests).
namespace qm {

// Keeps the window out of the taskbar (_NET_WM_STATE_SKIP_TASKBAR). Call on a created window
// before it is first shown; the window manager reads the state when it maps the window.
void setSkipTaskbar(QWidget& window);
// Switches the window's stays-on-top state in place, without hiding or recreating it.
void setStaysOnTop(QWidget& window, bool onTop);

} // namespace qm
