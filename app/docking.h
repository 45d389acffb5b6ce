#pragma once

namespace qm {

struct WindowRect
{
    int left;
    int top;
    int width;
    int height;

    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

struct ScreenSize
{
    int width;
    int height;
};

struct ScreenPoint
{
    int x;
    int y;
};

// Pixels of a hidden window that stay on screen.
constexpr int dockMargin = 2;
// The bottom edge counts from this far above the screen's bottom.
constexpr int dockBottomMargin = 30;

// The window's position after one docking tick: the top, left, right and bottom rules in that
// order, each on the geometry the earlier ones left. Width and height never change.
WindowRect dockStep(WindowRect window, ScreenSize screen, ScreenPoint pointer);
// Whether the window lies at or past an edge (such a window stays above the others).
bool atScreenEdge(WindowRect window, ScreenSize screen);

} // namespace qm
