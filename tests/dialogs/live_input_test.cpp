// What a live window relies on: mouse clicks on list and tree rows, popup menus tracked by the
// pointer, drag detection and the composed screen.
#include "dialogs/dialog_fixture.h"
#include "gfx/canvas.h"
#include "sim/desk/controls_internal.h"
#include "sim/gfx/canvas.h"
#include "win/input.h"
#include "win/menu.h"

using namespace dlgtest;

namespace {

class LiveInputTest : public ShownDialogFixture {
protected:
    // The middle of row N of a list or tree whose rows are `height` high and start at `top`.
    static LPARAM rowPoint(int x, int top, int height, int row) {
        return LPARAM(((top + row * height + height / 2) << 16) | x);
    }
    static int rowHeight(HWND control, int extra) {
        HFONT font = reinterpret_cast<HFONT>(SendMessage(control, WM_GETFONT, 0, 0));
        return sim::desk::fontHeight(font ? font : sim::desk::defaultControlFont()) + extra;
    }
};

}  // namespace

TEST_F(LiveInputTest, ClicksOnTreeAndListRows) {
    HWND tree = item(1012);
    const auto insert = [&](HTREEITEM parent, const std::string& text) {
        TVINSERTSTRUCT ins;
        ins.hParent = parent;
        ins.item.mask = TVIF_TEXT;
        ins.item.text = text;
        return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_INSERTITEM, 0, LPARAM(&ins)));
    };
    HTREEITEM shape = insert(TVI_ROOT, "Korvane Shape");
    HTREEITEM tabItem = insert(shape, "Tab Item");
    HTREEITEM start = insert(TVI_ROOT, "Start");
    const int rh = rowHeight(tree, 4);
    auto caret = [&] { return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)); };
    auto expanded = [&] {
        TVITEM it;
        it.mask = TVIF_STATE;
        it.hItem = shape;
        it.stateMask = TVIS_EXPANDED;
        SendMessage(tree, TVM_GETITEM, 0, LPARAM(&it));
        return (it.state & TVIS_EXPANDED) != 0;
    };
    // Row 1 is Start while Korvane Shape is closed; its button opens it, and row 1 is its child.
    SendMessage(tree, WM_LBUTTONDOWN, MK_LBUTTON, rowPoint(60, 2, rh, 1));
    EXPECT_EQ(caret(), start);
    SendMessage(tree, WM_LBUTTONDOWN, MK_LBUTTON, rowPoint(8, 2, rh, 0));
    EXPECT_TRUE(expanded());
    EXPECT_EQ(caret(), start);   // the button does not select
    SendMessage(tree, WM_LBUTTONDOWN, MK_LBUTTON, rowPoint(60, 2, rh, 1));
    EXPECT_EQ(caret(), tabItem);
    // A double click on a parent closes it (the dialog did not handle NM_DBLCLK); below the last
    // row nothing changes.
    SendMessage(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, rowPoint(60, 2, rh, 0));
    EXPECT_EQ(caret(), shape);
    EXPECT_FALSE(expanded());
    SendMessage(tree, WM_LBUTTONDOWN, MK_LBUTTON, rowPoint(60, 2, rh, 7));
    EXPECT_EQ(caret(), shape);

    HWND list = item(1011);
    for (const char* text : {"a.dwg", "b.dwg", "c.dwg"}) {
        LVITEM it;
        it.mask = LVIF_TEXT;
        it.iItem = int(SendMessage(list, LVM_GETITEMCOUNT, 0, 0));
        it.text = text;
        SendMessage(list, LVM_INSERTITEM, 0, LPARAM(&it));
    }
    const size_t clicksBefore = rec.messages.size();
    SendMessage(list, WM_LBUTTONDOWN, MK_LBUTTON, rowPoint(40, 1, rowHeight(list, 5), 2));
    EXPECT_EQ(SendMessage(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 2);
    EXPECT_GT(rec.messages.size(), clicksBefore);   // the dialog heard of it (NM_CLICK)
}

TEST_F(LiveInputTest, APointerPicksFromATrackedMenu) {
    HMENU bar = LoadMenu(module, 200);
    HMENU menu = GetSubMenu(bar, 0);
    ASSERT_NE(menu, nullptr);
    // Row geometry: Open at the top, the separator, greyed Close, the More submenu.
    auto open = sim::desk::menuRowAt(menu, {}, POINT{20, 5});
    ASSERT_TRUE(open);
    EXPECT_EQ(open->text, "Open");
    EXPECT_EQ(open->path, (std::vector<size_t>{0}));
    std::optional<sim::desk::MenuRow> more;
    for (int y = 0; y < 200 && !more; ++y)
        if (auto row = sim::desk::menuRowAt(menu, {}, POINT{20, y}); row && row->text == "More") more = row;
    ASSERT_TRUE(more);
    EXPECT_TRUE(more->flags & MF_POPUP);
    EXPECT_FALSE(sim::desk::menuRowAt(menu, {}, POINT{5000, 5}));
    // With More open, a point right of it is in the submenu's panel.
    std::optional<sim::desk::MenuRow> deep;
    for (int x = 0; x < 600 && !deep; x += 10)
        for (int y = 0; y < 200 && !deep; ++y)
            if (auto row = sim::desk::menuRowAt(menu, more->path, POINT{x, y}); row && row->path.size() == 2) deep = row;
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->text, "Deep");

    // The tracker's path arrives as the command the entry stands for, named by its text.
    std::vector<size_t> picked = deep->path;
    sim::desk::liveMenuTracker() = [&](HMENU, POINT) { return std::optional<std::vector<size_t>>(picked); };
    transcript.clear();
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, dlg), 40003);
    EXPECT_NE(transcript.find("[menu] More>Deep (40003)"), std::string::npos);
    picked = {2};   // greyed
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, dlg), 0);
    sim::desk::liveMenuTracker() = [](HMENU, POINT) { return std::optional<std::vector<size_t>>(); };
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, dlg), 0);
    EXPECT_NE(transcript.find("[menu] dismissed"), std::string::npos);
    // A queued pick still comes first.
    sim::desk::queueMenuPick("Open");
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, dlg), 40001);
    sim::desk::liveMenuTracker() = nullptr;
    DestroyMenu(bar);
}

TEST_F(LiveInputTest, DragDetectionAndTheComposedScreen) {
    auto& desk = sim::Desktop::get();
    std::vector<POINT> asked;
    desk.dragDetector = [&](POINT screen) {
        asked.push_back(screen);
        return true;
    };
    HWND edit = item(1001);
    EXPECT_TRUE(DragDetect(edit, POINT{3, 4}));
    POINT expected{3, 4};
    ClientToScreen(edit, &expected);
    ASSERT_EQ(asked.size(), 1u);   // in screen coordinates
    EXPECT_EQ(asked[0].x, expected.x);
    EXPECT_EQ(asked[0].y, expected.y);
    desk.dragDetector = nullptr;

    // The screen shows the dialog over the frame where the dialog stands.
    HDC screen = sim::desk::renderScreen();
    HDC frame = sim::desk::renderWindow(sim::desk::WindowManager::get().frame());
    RECT r, fr;
    GetWindowRect(dlg, &r);
    GetWindowRect(sim::desk::WindowManager::get().frame(), &fr);
    const int x = (r.left + r.right) / 2 - fr.left, y = (r.top + r.bottom) / 2 - fr.top;
    EXPECT_NE(GetPixel(screen, x, y), GetPixel(frame, x, y));
    HDC dialog = sim::desk::renderWindow(dlg);
    EXPECT_EQ(GetPixel(screen, x, y), GetPixel(dialog, x - (r.left - fr.left), y - (r.top - fr.top)));
    DeleteDC(dialog);
    DeleteDC(frame);
    DeleteDC(screen);
}
