#include "app/docking.h"

namespace qm {
namespace {

// How far outside the window the pointer still counts as near, per side.
struct CatchBox
{
    int left;
    int top;
    int right;
    int bottom;
};

bool pointerNear(const WindowRect& w, ScreenPoint p, CatchBox c)
{
    return w.left - c.left < p.x && p.x < w.left + w.width + c.right && w.top - c.top < p.y &&
           p.y < w.top + w.height + c.bottom;
}

// The side facing the edge catches from 2 pixels (32 at the bottom edge), the others from 10.
constexpr CatchBox topCatch{10, 2, 10, 10};
constexpr CatchBox leftCatch{2, 10, 10, 10};
constexpr CatchBox rightCatch{10, 10, 2, 10};
constexpr CatchBox bottomCatch{10, 10, 10, 32};

} // namespace

WindowRect dockStep(WindowRect window, ScreenSize screen, ScreenPoint pointer)
{
    WindowRect w = window;

    if (w.top <= 0) {
        w.top = pointerNear(w, pointer, topCatch) ? 0 : dockMargin - w.height;
    }

    if (w.left <= 0) {
        w.left = pointerNear(w, pointer, leftCatch) ? 0 : dockMargin - w.width;
    }

    if (w.left + w.width >= screen.width) {
        w.left = pointerNear(w, pointer, rightCatch) ? screen.width - w.width : screen.width - dockMargin;
    }

    // The bottom edge only catches while the pointer is near, and hides only from the caught position.
    const int bottomShown = screen.height - w.height - dockBottomMargin;
    if (pointerNear(w, pointer, bottomCatch)) {
        if (w.top + w.height >= screen.height - dockBottomMargin) {
            w.top = bottomShown;
        }
    } else if (w.top == bottomShown) {
        w.top = screen.height - dockMargin;
    }
    return w;
}

bool atScreenEdge(WindowRect window, ScreenSize screen)
{
    return window.top <= 0 || window.left <= 0 || window.left + window.width >= screen.width ||
           window.top + window.height >= screen.height - dockBottomMargin;
}

} // namespace qm
