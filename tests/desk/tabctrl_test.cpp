// The desktop's tab control: layout, hit testing, scrolling and refusable selection changes;
// its scroll arrows; tabs of any size.
#include <gtest/gtest.h>
#include <vector>
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "sim/gfx/canvas.h"
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "win/tabctrl.h"

namespace {

class TabControlBase : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Desktop::get().reset();
        sim::desk::WindowManager::get().reset();
        CREATEWINDOW p;
        p.className = "KvWindow";
        p.rect = {0, 0, 400, 200};
        p.style = WS_VISIBLE;
        p.proc = [this](HWND, UINT msg, WPARAM, LPARAM lp) -> LRESULT {
            if (msg == WM_DRAWITEM) drawn.push_back(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->itemID);
            if (msg == WM_NOTIFY) {
                const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
                notes.push_back(hdr->code);
                if (hdr->code == TCN_SELCHANGING) return refuse ? 1 : 0;
            }
            return 0;
        };
        parent = CreateWindowEx(p);
        LOGFONT lf;
        lf.lfHeight = -12;
        lf.lfFaceName = "DejaVu Sans";
        font = CreateFontIndirect(&lf);
    }
    void TearDown() override {
        DestroyWindow(parent);
        DeleteObject(font);
    }
    HWND create(DWORD style, RECT rect = {0, 0, 400, 30}) {
        CREATEWINDOW c;
        c.className = WC_TABCONTROL;
        c.style = WS_CHILD | WS_VISIBLE | style;
        c.rect = rect;
        c.parent = parent;
        c.id = 7;
        HWND tab = CreateWindowEx(c);
        SendMessage(tab, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
        return tab;
    }
    void add(HWND tab, const std::string& text, LPARAM param = 0) {
        TCITEM item;
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.text = text;
        item.lParam = param;
        SendMessage(tab, TCM_INSERTITEM, SendMessage(tab, TCM_GETITEMCOUNT, 0, 0), reinterpret_cast<LPARAM>(&item));
    }
    // A control of `count` fixed-size tabs, `length` along their line and `thick` across it.
    HWND fixedTabs(DWORD style, RECT area, int length, int thick, int count) {
        HWND tab = create(style | TCS_FIXEDWIDTH, area);
        SendMessage(tab, TCM_SETITEMSIZE, 0, LPARAM((thick << 16) | length));
        SendMessage(tab, TCM_SETMINTABWIDTH, 0, length);
        for (int i = 0; i < count; ++i) add(tab, "n0092" + std::to_string(i) + ".dwg");
        return tab;
    }
    RECT rect(HWND tab, int i) {
        RECT r;
        EXPECT_TRUE(SendMessage(tab, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)));
        return r;
    }
    void click(HWND tab, int x, int y) { SendMessage(tab, WM_LBUTTONDOWN, 0, LPARAM((y << 16) | x)); }

    HWND parent = nullptr;
    HFONT font = nullptr;
    std::vector<UINT> notes;
    std::vector<UINT> drawn;   // items the owner was asked to draw
    bool refuse = false;
};

class TabControl : public TabControlBase {};

TEST_F(TabControl, FixedWidthAndItemSize) {
    HWND tab = create(TCS_FIXEDWIDTH | TCS_OWNERDRAWFIXED);
    SendMessage(tab, TCM_SETITEMSIZE, 0, LPARAM((22 << 16) | 126));
    SendMessage(tab, TCM_SETMINTABWIDTH, 0, 120);
    add(tab, "a");
    add(tab, "a much longer caption");
    EXPECT_EQ(rect(tab, 0).Width(), 126);
    EXPECT_EQ(rect(tab, 1).Width(), 126);
    EXPECT_EQ(rect(tab, 1).left, rect(tab, 0).right);
    EXPECT_EQ(rect(tab, 0).Height(), 22);
    SendMessage(tab, TCM_SETMINTABWIDTH, 0, 140);
    EXPECT_EQ(rect(tab, 0).Width(), 140);   // never below the minimum
}

TEST_F(TabControl, CaptionWidthWithPadding) {
    HWND tab = create(0);
    SendMessage(tab, TCM_SETPADDING, 0, LPARAM((4 << 16) | 4));
    SendMessage(tab, TCM_SETMINTABWIDTH, 0, 4);
    add(tab, "####plan.dwg");
    add(tab, "####a");
    const SIZE text = KvGetTextExtent(nullptr, font, "####plan.dwg");
    EXPECT_EQ(rect(tab, 0).Width(), text.cx + 8);
    EXPECT_LT(rect(tab, 1).Width(), rect(tab, 0).Width());
}

TEST_F(TabControl, BottomRowSitsAtTheBottom) {
    HWND tab = create(TCS_BOTTOM | TCS_FIXEDWIDTH, {0, 0, 400, 40});
    SendMessage(tab, TCM_SETITEMSIZE, 0, LPARAM((22 << 16) | 50));
    add(tab, "a");
    EXPECT_EQ(rect(tab, 0).bottom, 40);
}

TEST_F(TabControl, RowScrollsWithArrowsWhenTabsDoNotFit) {
    HWND tab = fixedTabs(0, {0, 0, 400, 30}, 60, 22, 5);
    HWND arrows = GetWindow(tab, GW_CHILD);
    ASSERT_NE(arrows, nullptr);
    EXPECT_FALSE(IsWindowVisible(arrows));
    for (int i = 5; i < 40; ++i) add(tab, "t" + std::to_string(i));
    EXPECT_TRUE(IsWindowVisible(arrows));
    // The right arrow moves the row by one tab.
    SendMessage(arrows, WM_LBUTTONDOWN, 0, LPARAM((5 << 16) | 30));
    EXPECT_EQ(rect(tab, 1).left, 0);
    // Selecting a tab out of view scrolls it in.
    SendMessage(tab, TCM_SETCURSEL, 39, 0);
    EXPECT_LE(rect(tab, 39).right, 400);
    EXPECT_GE(rect(tab, 39).left, 0);
}

TEST_F(TabControl, VerticalTabsRunDownInColumns) {
    HWND tab = fixedTabs(TCS_VERTICAL | TCS_MULTILINE, {0, 0, 60, 100}, 40, 24, 3);
    EXPECT_EQ(rect(tab, 0).top, 0);
    EXPECT_EQ(rect(tab, 1).top, 40);
    EXPECT_EQ(rect(tab, 0).Width(), 24);
    EXPECT_EQ(rect(tab, 2).left, 24);   // the third does not fit under the second
    EXPECT_EQ(SendMessage(tab, TCM_GETROWCOUNT, 0, 0), 2);
}

TEST_F(TabControl, HitTestAndRefusableSelection) {
    HWND tab = create(TCS_FIXEDWIDTH);
    SendMessage(tab, TCM_SETITEMSIZE, 0, LPARAM((22 << 16) | 50));
    SendMessage(tab, TCM_SETMINTABWIDTH, 0, 50);
    add(tab, "a", 11);
    add(tab, "b", 22);
    TCHITTESTINFO hit;
    hit.pt = {75, 10};
    EXPECT_EQ(SendMessage(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    hit.pt = {300, 10};
    EXPECT_EQ(SendMessage(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, TCHT_NOWHERE);

    SendMessage(tab, TCM_SETCURSEL, 0, 0);
    refuse = true;
    click(tab, 75, 10);
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(notes, std::vector<UINT>{TCN_SELCHANGING});
    refuse = false;
    notes.clear();
    click(tab, 75, 10);
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(notes, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));

    TCITEM item;
    item.mask = TCIF_PARAM;
    ASSERT_TRUE(SendMessage(tab, TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.lParam, 22);
    SendMessage(tab, TCM_DELETEITEM, 1, 0);
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), -1);
}

// What a real desktop does here (checked under Wine by the differential oracle).
TEST_F(TabControl, ArrowsOnTheRowAndSelectionKeptInView) {
    HWND tab = create(TCS_FIXEDWIDTH | TCS_OWNERDRAWFIXED);
    SendMessage(tab, TCM_SETITEMSIZE, 0, LPARAM((22 << 16) | 60));
    for (int i = 0; i < 14; ++i) add(tab, "t" + std::to_string(i));

    // The arrows end where the row ends (a top row), or start where it starts (a bottom row).
    HWND arrows = GetWindow(tab, GW_CHILD);
    RECT a;
    GetWindowRect(arrows, &a);
    EXPECT_EQ(a.bottom, 22);
    EXPECT_EQ(a.Height(), 17);
    HWND bottom = create(TCS_FIXEDWIDTH | TCS_BOTTOM, {0, 0, 300, 40});
    SendMessage(bottom, TCM_SETITEMSIZE, 0, LPARAM((20 << 16) | 50));
    for (int i = 0; i < 9; ++i) add(bottom, "b");
    GetWindowRect(GetWindow(bottom, GW_CHILD), &a);
    EXPECT_EQ(a.top, 20);

    // Shrinking the control keeps the selected tab in view; so does clicking a tab the arrows
    // half cover.
    SendMessage(tab, TCM_SETCURSEL, 12, 0);
    MoveWindow(tab, 0, 0, 900, 30, FALSE);
    EXPECT_EQ(rect(tab, 0).left, 0);
    MoveWindow(tab, 0, 0, 400, 30, FALSE);
    EXPECT_GE(rect(tab, 12).left, 0);
    EXPECT_LE(rect(tab, 12).right, 400 - 34);
    SendMessage(tab, TCM_SETCURSEL, 0, 0);
    click(tab, 370, 10);   // tab 6 runs from 360 to 420, under the arrows
    EXPECT_EQ(SendMessage(tab, TCM_GETCURSEL, 0, 0), 6);
    EXPECT_LE(rect(tab, 6).right, 400 - 34);

    // A tab inserted before the selection pushes it under the arrows: the row follows it.
    HWND row = create(TCS_FIXEDWIDTH, {0, 0, 400, 30});
    SendMessage(row, TCM_SETITEMSIZE, 0, LPARAM((24 << 16) | 64));
    for (int i = 0; i < 6; ++i) add(row, "r");
    SendMessage(row, TCM_SETCURSEL, 4, 0);
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.text = "new";
    SendMessage(row, TCM_INSERTITEM, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(SendMessage(row, TCM_GETCURSEL, 0, 0), 5);
    EXPECT_LE(rect(row, 5).right, 400 - 34);
}

}  // namespace

namespace {

class TabScrolling : public TabControlBase {};

// A row longer than the space beside the arrows but no longer than the control shows no arrows
// and never scrolls, whichever tab is selected.
TEST_F(TabScrolling, RowWithinTheArrowsOfFittingNeverScrolls) {
    HWND tab = fixedTabs(0, {0, 0, 400, 30}, 62, 22, 6);   // 372 of 400 pixels
    SendMessage(tab, TCM_SETCURSEL, 5, 0);
    EXPECT_FALSE(IsWindowVisible(GetWindow(tab, GW_CHILD)));
    EXPECT_EQ(rect(tab, 0).left, 0);
    EXPECT_EQ(rect(tab, 5).right, 372);
}

// A vertical multi-line control one column wide scrolls its column with an up-down pair at the
// bottom: the lower arrow brings later tabs, and a selected tab comes into view.
TEST_F(TabScrolling, NarrowVerticalControlScrollsOneColumn) {
    HWND tab = fixedTabs(TCS_VERTICAL | TCS_MULTILINE, {0, 0, 30, 200}, 40, 24, 10);
    HWND arrows = GetWindow(tab, GW_CHILD);
    ASSERT_TRUE(IsWindowVisible(arrows));
    EXPECT_FALSE(GetWindowLongPtr(arrows, GWL_STYLE) & UDS_HORZ);
    EXPECT_EQ(SendMessage(tab, TCM_GETROWCOUNT, 0, 0), 1);
    EXPECT_EQ(rect(tab, 9).left, 0);
    EXPECT_EQ(rect(tab, 9).top, 360);
    RECT a;
    GetClientRect(arrows, &a);
    SendMessage(arrows, WM_LBUTTONDOWN, 0, LPARAM(((a.bottom - 2) << 16) | 5));   // the lower arrow
    EXPECT_EQ(rect(tab, 1).top, 0);
    SendMessage(arrows, WM_LBUTTONDOWN, 0, LPARAM((2 << 16) | 5));                // the upper arrow
    EXPECT_EQ(rect(tab, 0).top, 0);
    SendMessage(tab, TCM_SETCURSEL, 9, 0);
    EXPECT_LE(rect(tab, 9).bottom, 200 - 34);
    EXPECT_GE(rect(tab, 9).top, 0);
    // Pressed further, the arrows stop once the last tab shows.
    for (int i = 0; i < 20; ++i) SendMessage(arrows, WM_LBUTTONDOWN, 0, LPARAM(((a.bottom - 2) << 16) | 5));
    EXPECT_LE(rect(tab, 9).bottom, 200 - 34);
    EXPECT_GT(rect(tab, 9).bottom, 200 - 34 - 40);
}

// Tabs of absurd widths: the layout neither overflows nor loops, scrolling reaches the last tab
// and painting ends.
TEST_F(TabScrolling, AbsurdTabWidthsStayBounded) {
    HWND tab = create(0);
    SendMessage(tab, TCM_SETMINTABWIDTH, 0, 0x7FFFFFFF);
    for (int i = 0; i < 5; ++i) add(tab, "t");
    for (int i = 1; i < 5; ++i) {
        EXPECT_GT(rect(tab, i).right, rect(tab, i).left);
        EXPECT_EQ(rect(tab, i).left, rect(tab, i - 1).right);
    }
    SendMessage(tab, TCM_SETCURSEL, 4, 0);
    EXPECT_EQ(rect(tab, 4).left, 0);
    HDC dc = sim::desk::renderWindow(tab);
    ASSERT_NE(dc, nullptr);
    DeleteDC(dc);
}

// Along a long scrolled line, a hit finds the tab whose rectangle holds the point, and painting
// asks the owner for exactly the tabs that show, in order: checked point by point against the
// rectangles the control reports, for a row, a row at the bottom and a scrolling column.
TEST_F(TabScrolling, HitsAndPaintingAlongALongScrolledLine) {
    struct Case {
        DWORD style;
        RECT area;
    };
    const Case cases[] = {{0, {0, 0, 400, 30}},
                          {TCS_BOTTOM, {0, 0, 400, 30}},
                          {TCS_VERTICAL | TCS_MULTILINE | TCS_RIGHT, {0, 0, 30, 300}}};
    for (const Case& k : cases) {
        HWND tab = create(k.style | TCS_OWNERDRAWFIXED, k.area);
        const int count = 300;
        for (int i = 0; i < count; ++i) add(tab, std::string(size_t(1 + i * 7 % 13), 'w'));
        for (int selected : {0, 170, count - 1}) {
            SendMessage(tab, TCM_SETCURSEL, WPARAM(selected), 0);
            std::vector<RECT> rects;
            for (int i = 0; i < count; ++i) rects.push_back(rect(tab, i));
            const bool row = !(k.style & TCS_VERTICAL);
            const int across = row ? (rects[0].top + rects[0].bottom) / 2 : (rects[0].left + rects[0].right) / 2;
            for (int along = -60; along < 460; ++along) {
                for (int off : {0, -40}) {   // on the line, and beside it
                    TCHITTESTINFO hit;
                    hit.pt = row ? POINT{along, across + off} : POINT{across + off, along};
                    int expected = -1;
                    for (int i = 0; i < count && expected < 0; ++i) {
                        const RECT& r = rects[size_t(i)];
                        if (hit.pt.x >= r.left && hit.pt.x < r.right && hit.pt.y >= r.top && hit.pt.y < r.bottom) expected = i;
                    }
                    EXPECT_EQ(SendMessage(tab, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), expected)
                        << "style " << k.style << ", selected " << selected << ", at " << hit.pt.x << "," << hit.pt.y;
                }
            }
            RECT client;
            GetClientRect(tab, &client);
            std::vector<UINT> showing;
            for (int i = 0; i < count; ++i) {
                const RECT& r = rects[size_t(i)];
                if (r.right > client.left && r.left < client.right && r.bottom > client.top && r.top < client.bottom)
                    showing.push_back(UINT(i));
            }
            drawn.clear();
            HDC dc = sim::desk::renderWindow(tab);
            ASSERT_NE(dc, nullptr);
            DeleteDC(dc);
            EXPECT_EQ(drawn, showing) << "style " << k.style << ", selected " << selected;
            EXPECT_FALSE(showing.empty());
        }
        DestroyWindow(tab);
    }
}

// The arrows of a row are a left-right pair: their two buttons meet in a vertical line.
TEST_F(TabScrolling, RowArrowsAreALeftRightPair) {
    HWND tab = fixedTabs(0, {0, 0, 400, 30}, 60, 22, 20);
    HWND arrows = GetWindow(tab, GW_CHILD);
    ASSERT_TRUE(IsWindowVisible(arrows));
    HDC dc = sim::desk::renderWindow(arrows);
    int w = 0, h = 0;
    const auto px = sim::gfx::canvasPixels(dc, &w, &h);
    DeleteDC(dc);
    ASSERT_GT(w, h);
    const std::uint32_t border = px[0];
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(px[size_t(y * w + w / 2 - 1)], border) << y;
        EXPECT_EQ(px[size_t(y * w + w / 2)], border) << y;
    }
}

}  // namespace
