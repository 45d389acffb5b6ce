#include "app/docking.h"

#include <gtest/gtest.h>

#include <ostream>

namespace qm {

void PrintTo(const WindowRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << ")";
}

namespace {

constexpr ScreenSize screen{1920, 1080};
constexpr ScreenPoint away{960, 700};

struct DockCase
{
    const char* name;
    WindowRect before;
    ScreenPoint pointer;
    WindowRect after;
};

// W = 280, H = 480 unless the case says otherwise; SW × SH = 1920 × 1080.
const DockCase dockCases[] = {
    // Top edge.
    {"top shown while pointer over", {820, 0, 280, 480}, {900, 100}, {820, 0, 280, 480}},
    {"top dragged past edge is held at 0", {820, -50, 280, 480}, {900, 10}, {820, 0, 280, 480}},
    {"top hides when pointer leaves", {820, 0, 280, 480}, away, {820, -478, 280, 480}},
    {"top hides straight from past the edge", {820, -200, 280, 480}, away, {820, -478, 280, 480}},
    {"top hidden, pointer in row 11 reveals", {820, -478, 280, 480}, {900, 11}, {820, 0, 280, 480}},
    {"top hidden, pointer in row 12 does not", {820, -478, 280, 480}, {900, 12}, {820, -478, 280, 480}},
    {"top hidden, pointer 9 px left of window reveals", {820, -478, 280, 480}, {811, 0}, {820, 0, 280, 480}},
    {"top hidden, pointer 10 px left of window does not", {820, -478, 280, 480}, {810, 0}, {820, -478, 280, 480}},
    {"top hidden, pointer 9 px right of window reveals", {820, -478, 280, 480}, {1109, 0}, {820, 0, 280, 480}},
    {"top hidden, pointer 10 px right of window does not", {820, -478, 280, 480}, {1110, 0}, {820, -478, 280, 480}},
    {"top shown, pointer 1 px above stays", {820, 0, 280, 480}, {900, -1}, {820, 0, 280, 480}},
    {"top shown, pointer 2 px above hides", {820, 0, 280, 480}, {900, -2}, {820, -478, 280, 480}},
    {"top hides strip open at -524", {820, 0, 280, 526}, away, {820, -524, 280, 526}},
    {"top strip open revealed", {820, -524, 280, 526}, {900, 5}, {820, 0, 280, 526}},
    // Left edge.
    {"left shown while pointer over", {0, 300, 280, 480}, {100, 400}, {0, 300, 280, 480}},
    {"left hides when pointer leaves", {0, 300, 280, 480}, away, {-278, 300, 280, 480}},
    {"left hidden, pointer in column 11 reveals", {-278, 300, 280, 480}, {11, 400}, {0, 300, 280, 480}},
    {"left hidden, pointer in column 12 does not", {-278, 300, 280, 480}, {12, 400}, {-278, 300, 280, 480}},
    {"left hidden, pointer 9 px below reveals", {-278, 300, 280, 480}, {0, 789}, {0, 300, 280, 480}},
    {"left hidden, pointer 10 px below does not", {-278, 300, 280, 480}, {0, 790}, {-278, 300, 280, 480}},
    // Right edge.
    {"right shown while pointer over", {1640, 300, 280, 480}, {1700, 400}, {1640, 300, 280, 480}},
    {"right dragged past edge is held", {1700, 300, 280, 480}, {1800, 400}, {1640, 300, 280, 480}},
    {"right hides when pointer leaves", {1640, 300, 280, 480}, away, {1918, 300, 280, 480}},
    {"right hidden, pointer at SW - 11 reveals", {1918, 300, 280, 480}, {1909, 400}, {1640, 300, 280, 480}},
    {"right hidden, pointer at SW - 12 does not", {1918, 300, 280, 480}, {1908, 400}, {1918, 300, 280, 480}},
    // Bottom edge: caught only while near, hidden only from exactly SH - H - 30.
    {"bottom 20 px above is lifted while near", {820, 580, 280, 480}, {900, 700}, {820, 570, 280, 480}},
    {"bottom 20 px above stays while away", {820, 580, 280, 480}, {900, 300}, {820, 580, 280, 480}},
    {"bottom 40 px above never caught", {820, 560, 280, 480}, {900, 700}, {820, 560, 280, 480}},
    {"bottom shown hides when pointer leaves", {820, 570, 280, 480}, {900, 300}, {820, 1078, 280, 480}},
    {"bottom shown, pointer 31 px below stays", {820, 570, 280, 480}, {900, 1081}, {820, 570, 280, 480}},
    {"bottom shown, pointer 32 px below hides", {820, 570, 280, 480}, {900, 1082}, {820, 1078, 280, 480}},
    {"bottom hidden, pointer at SH - 11 reveals", {820, 1078, 280, 480}, {900, 1069}, {820, 570, 280, 480}},
    {"bottom hidden, pointer at SH - 12 does not", {820, 1078, 280, 480}, {900, 1068}, {820, 1078, 280, 480}},
    {"bottom strip open shown at SH - 556", {820, 540, 280, 526}, {900, 700}, {820, 524, 280, 526}},
    // Corners: both axes in one tick.
    {"top-left corner hides both ways", {0, 0, 280, 480}, away, {-278, -478, 280, 480}},
    {"top-left corner revealed both ways", {-278, -478, 280, 480}, {1, 1}, {0, 0, 280, 480}},
    // The left step reads the left the step before it wrote: hidden at the left, the pointer is no
    // longer near the bottom, so the bottom hides too.
    {"left hide then bottom hide", {0, 570, 280, 480}, {100, 1070}, {-278, 1078, 280, 480}},
    // Monitors left of and above the primary one.
    {"monitor to the left, pointer over", {-1500, 300, 280, 480}, {-1400, 400}, {0, 300, 280, 480}},
    {"monitor to the left, pointer away", {-1500, 300, 280, 480}, away, {-278, 300, 280, 480}},
    {"monitor above, pointer over", {820, -800, 280, 480}, {900, -700}, {820, 0, 280, 480}},
    {"monitor above, pointer away", {820, -800, 280, 480}, away, {820, -478, 280, 480}},
    // Free windows never move.
    {"free, pointer over", {820, 300, 280, 480}, {900, 400}, {820, 300, 280, 480}},
    {"free, pointer away", {820, 300, 280, 480}, {10, 10}, {820, 300, 280, 480}},
    {"free one pixel from every edge", {1, 1, 280, 480}, {100, 100}, {1, 1, 280, 480}},
    {"free one pixel from right and bottom", {1639, 569, 280, 480}, {1700, 700}, {1639, 569, 280, 480}},
};

TEST(DockStep, EdgeTable)
{
    for (const DockCase& c : dockCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dockStep(c.before, screen, c.pointer), c.after);
    }
}

// The life of a window dragged to the top edge, tick after tick.
TEST(DockStep, TopEdgeRoundTrip)
{
    WindowRect w{820, 0, 280, 480};
    for (int tick = 0; tick < 3; ++tick) {
        w = dockStep(w, screen, {900, 200});
    }
    EXPECT_EQ(w.top, 0);
    for (int tick = 0; tick < 3; ++tick) {
        w = dockStep(w, screen, away);
        EXPECT_EQ(w.top, -478);
    }
    w = dockStep(w, screen, {1000, 0});
    EXPECT_EQ(w.top, 0);
    EXPECT_EQ(w.left, 820);
}

TEST(AtScreenEdge, Table)
{
    const struct
    {
        const char* name;
        WindowRect window;
        bool expected;
    } cases[] = {
        {"free", {820, 300, 280, 480}, false},          {"top", {820, 0, 280, 480}, true},
        {"top hidden", {820, -478, 280, 480}, true},    {"left", {0, 300, 280, 480}, true},
        {"right", {1640, 300, 280, 480}, true},         {"one short of right", {1639, 300, 280, 480}, false},
        {"bottom shown", {820, 570, 280, 480}, true},   {"one short of bottom", {820, 569, 280, 480}, false},
        {"bottom hidden", {820, 1078, 280, 480}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(atScreenEdge(c.window, screen), c.expected);
    }
}

} // namespace
} // namespace qm
