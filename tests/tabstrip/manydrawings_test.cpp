// Sessions with many drawings on every side of the frame: drawings opened one after another
// with ten-character names, every tab reached with the mouse through the scroll arrows, the
// selected tab always in view, and everything closed again.
#include <cstdio>
#include <string>
#include <tuple>
#include "arx/docman.h"
#include "support/tabs_fixture.h"
#include "gfx/canvas.h"
#include "win/tabctrl.h"

namespace {

using Case = std::tuple<int, int>;   // dock side, number of drawings

class ManyDrawingsFixture : public kvtest::TabsFixture {
protected:
    static std::string name(int i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "n%05d.dwg", (i + 1) * 922);
        return buf;
    }
    HWND bar() { return tabs().GetSafeHwnd(); }
    HWND arrows() { return tabs().RefreshScrollArrows(); }
    bool vertical() { return tabs().vertical; }
    // The part of the control where a tab can be seen and clicked: the client area less the
    // scroll arrows when they show.
    RECT visibleArea() {
        RECT client;
        GetClientRect(bar(), &client);
        HWND a = arrows();
        if (a && IsWindowVisible(a)) {
            RECT r;
            GetWindowRect(a, &r);
            POINT corner{r.left, r.top};
            ScreenToClient(bar(), &corner);
            if (vertical()) client.bottom = corner.y;
            else client.right = corner.x;
        }
        return client;
    }
    RECT rectOf(int i) {
        RECT r{};
        EXPECT_TRUE(SendMessage(bar(), TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)));
        return r;
    }
    bool inView(int i) {
        const RECT r = rectOf(i), v = visibleArea();
        return r.left >= v.left && r.top >= v.top && r.right <= v.right && r.bottom <= v.bottom;
    }
    // Presses the arrow towards tab i until it shows whole; false when the arrows cannot get
    // there within one press per tab.
    bool scrollTo(int i) {
        for (int presses = 0; presses <= tabs().GetItemCount(); ++presses) {
            if (inView(i)) return true;
            HWND a = arrows();
            if (!a || !IsWindowVisible(a)) return false;
            RECT r;
            GetClientRect(a, &r);
            const RECT t = rectOf(i), v = visibleArea();
            const bool forward = vertical() ? t.bottom > v.bottom : t.right > v.right;
            // Forward is the right arrow of a row and the lower arrow of a column.
            const POINT at = vertical() ? POINT{r.right / 2, forward ? r.bottom - 2 : 2}
                                        : POINT{forward ? r.right - 2 : 2, r.bottom / 2};
            SendMessage(a, WM_LBUTTONDOWN, 0, LPARAM((at.y << 16) | at.x));
            SendMessage(a, WM_LBUTTONUP, 0, LPARAM((at.y << 16) | at.x));
        }
        return inView(i);
    }
};

class ManyDrawings : public ManyDrawingsFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(ManyDrawings, EveryTabReachableAndTheSelectedOneInView) {
    const auto [side, count] = GetParam();
    setNumber("Docking position", DWORD(side));
    start();
    for (int i = 0; i < count; ++i) {
        run("@open \"" + drawing(name(i)) + "\"");
        settle();
        ASSERT_EQ(tabs().GetItemCount(), i + 1);
        ASSERT_EQ(tabs().GetCurSel(), i);
        ASSERT_TRUE(inView(i)) << "the new drawing's tab is out of view after " << i + 1;
    }
    // Each tab, reached through the arrows and clicked inside the bar, activates its drawing.
    for (int i : {0, count / 2, count - 1, 1}) {
        ASSERT_TRUE(scrollTo(i)) << "tab " << i << " out of reach";
        run("@click " + std::to_string(i));
        ASSERT_EQ(tabs().GetCurSel(), i);
        EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + name(i));
        EXPECT_TRUE(inView(i));
    }
    // Selecting from the keyboard keeps the selected tab in its own place, in view.
    run("@key Shift+Down over=bar");
    settle();
    EXPECT_EQ(tabs().GetCurSel(), count - 1);
    EXPECT_TRUE(inView(count - 1));
    run("@key Shift+Up over=bar");
    settle();
    EXPECT_EQ(tabs().GetCurSel(), 0);
    EXPECT_TRUE(inView(0));
    for (int i = 0; i < count; ++i) {
        RECT r = rectOf(i);
        EXPECT_GT(r.right, r.left);
        if (i > 0) {
            EXPECT_EQ(vertical() ? r.top : r.left, vertical() ? rectOf(i - 1).bottom : rectOf(i - 1).right);
        }
    }

    run("CLOSEALL");
    settle();
    EXPECT_EQ(tabs().GetItemCount(), 0);
    EXPECT_EQ(acDocManager->documentCount(), 0);
}

// Tabs as wide as a size can say: painting the bar takes what shows, on every side.
TEST_F(ManyDrawingsFixture, AbsurdTabWidthsPaintInBoundedTime) {
    start();
    for (int i = 0; i < 3; ++i) run("@open \"" + drawing(name(i)) + "\"");
    settle();
    for (int side : {kDockTop, kDockLeft, kDockBottom, kDockRight}) {
        tabs().ApplyDockStyle(side);
        tabs().SetFixedWidth(true, 0x7FFFFFFF);
        SendMessage(bar(), TCM_SETCURSEL, 2, 0);
        EXPECT_TRUE(inView(2) || rectOf(2).left == 0 || rectOf(2).top == 0);
        HDC dc = sim::desk::renderWindow(bar());
        ASSERT_NE(dc, nullptr);
        DeleteDC(dc);
    }
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    const int side = std::get<0>(info.param);
    const std::string s = side == 4096 ? "left" : side == 8192 ? "top" : side == 16384 ? "right" : "bottom";
    return s + std::to_string(std::get<1>(info.param));
}

// The dozen drawings that once hung the bar at the top, and larger sessions, on all four sides.
INSTANTIATE_TEST_SUITE_P(Sides, ManyDrawings,
                         ::testing::Combine(::testing::Values(8192, 32768, 4096, 16384),
                                            ::testing::Values(12, 20, 40, 100)),
                         caseName);

}  // namespace
