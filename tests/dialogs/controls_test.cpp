// The controls' messages and notifications, the user's actions on them, and how a dialog paints.
#include <algorithm>
#include <filesystem>
#include "dialogs/dialog_fixture.h"
#include "gfx/canvas.h"
#include "sim/desk/windows.h"
#include "win/imagelist.h"
#include "win/input.h"
#include "sim/gfx/canvas.h"

using namespace dlgtest;

namespace {

class ControlsTest : public ShownDialogFixture {
protected:
    void addRow(HWND lv, const std::string& a, const std::string& b, LPARAM param) {
        LVITEM it;
        it.mask = LVIF_TEXT | LVIF_PARAM;
        it.iItem = int(SendMessage(lv, LVM_GETITEMCOUNT, 0, 0));
        it.text = a;
        it.lParam = param;
        const int at = int(SendMessage(lv, LVM_INSERTITEM, 0, LPARAM(&it)));
        LVITEM sub;
        sub.iSubItem = 1;
        sub.text = b;
        SendMessage(lv, LVM_SETITEMTEXT, WPARAM(at), LPARAM(&sub));
    }
    std::string rowText(HWND lv, int row, int column = 0) {
        LVITEM it;
        it.iSubItem = column;
        SendMessage(lv, LVM_GETITEMTEXT, WPARAM(row), LPARAM(&it));
        return it.text;
    }
};

int compareParams(LPARAM a, LPARAM b, LPARAM descending) { return descending ? int(b - a) : int(a - b); }
int alwaysLess(LPARAM, LPARAM, LPARAM) { return -1; }

}  // namespace

TEST_F(ControlsTest, CheckBoxesAndRadioGroups) {
    SendMessage(item(1002), BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1002), BST_CHECKED);
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED)), 1);
    CheckDlgButton(dlg, 1002, BST_UNCHECKED);   // programmatic: no notification
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED)), 1);

    // An automatic radio button clears the others of its group, not those of the next group.
    CheckDlgButton(dlg, 1014, BST_CHECKED);
    EXPECT_TRUE(run("@dialog check 1003 on"));
    EXPECT_TRUE(run("@dialog check 1004 on"));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1003), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1004), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1014), BST_CHECKED);
    EXPECT_FALSE(run("@dialog check 1004 off"));   // cleared only by choosing another
    CheckRadioButton(dlg, 1003, 1005, 1005);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1004), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1005), BST_CHECKED);
    // Disabled controls cannot be used by the person.
    EnableWindow(item(1002), FALSE);
    EXPECT_FALSE(run("@dialog check 1002 on"));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1002), BST_UNCHECKED);
}

TEST_F(ControlsTest, EditBoxesNotifyAndTypeAsAPersonWould) {
    SetDlgItemText(dlg, 1001, "*.dwg");
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1001, EN_CHANGE)), 1);
    EXPECT_EQ(GetDlgItemText(dlg, 1001), "*.dwg");
    SendMessage(item(1001), EM_LIMITTEXT, 4, 0);
    EXPECT_TRUE(run("@dialog set 1001 abcdefgh"));
    EXPECT_EQ(GetDlgItemText(dlg, 1001), "abcd");
    // A number box refuses what is not a digit.
    EXPECT_TRUE(run("@dialog set 1010 12x4"));
    EXPECT_EQ(GetDlgItemText(dlg, 1010), "124");
    SendMessage(item(1001), EM_SETREADONLY, TRUE, 0);
    EXPECT_FALSE(run("@dialog set 1001 zz"));
    EXPECT_FALSE(run("@dialog set 1000 label"));   // static text takes no typing

    BOOL ok = FALSE;
    SetDlgItemText(dlg, 1001, "-42");
    EXPECT_EQ(int(GetDlgItemInt(dlg, 1001, &ok, TRUE)), -42);
    EXPECT_TRUE(ok);
    EXPECT_EQ(GetDlgItemInt(dlg, 1001, &ok, FALSE), 0u);
    EXPECT_FALSE(ok);
    SetDlgItemText(dlg, 1001, "99999999999");
    GetDlgItemInt(dlg, 1001, &ok, FALSE);
    EXPECT_FALSE(ok);
}

TEST_F(ControlsTest, ListAndComboBoxes) {
    HWND list = item(1006);
    for (const char* s : {"beta", "alpha", "gamma"}) SendMessage(list, LB_ADDSTRING, 0, LPARAM(s));
    EXPECT_EQ(SendMessage(list, LB_INSERTSTRING, 1, LPARAM("delta")), 1);
    EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 4);
    std::string text;
    SendMessage(list, LB_GETTEXT, 2, LPARAM(&text));
    EXPECT_EQ(text, "alpha");
    EXPECT_EQ(SendMessage(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("GAMMA")), 3);
    EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 9, 0), LB_ERR);
    SendMessage(list, LB_SETITEMDATA, 3, 77);
    SendMessage(list, LB_SETCURSEL, 3, 0);   // programmatic: no notification
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1006, LBN_SELCHANGE)), 0);
    SendMessage(list, LB_DELETESTRING, 0, 0);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);   // the selection moves with its entry
    EXPECT_EQ(SendMessage(list, LB_GETITEMDATA, 2, 0), 77);
    EXPECT_TRUE(run("@dialog select 1006 alpha"));
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1006, LBN_SELCHANGE)), 1);
    EXPECT_FALSE(run("@dialog select 1006 omega"));

    HWND combo = item(1007);
    for (const char* s : {"SOLID", "DASH", "DOT"}) SendMessage(combo, CB_ADDSTRING, 0, LPARAM(s));
    SendMessage(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(GetWindowText(combo), "DASH");
    EXPECT_TRUE(run("@dialog select 1007 2"));
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(GetWindowText(combo), "DOT");
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1007, CBN_SELCHANGE)), 1);
    // A drop-down list's text can only name one of its entries.
    EXPECT_TRUE(run("@dialog set 1007 solid"));
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 0);
    SendMessage(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(GetWindowText(combo), "");
}

TEST_F(ControlsTest, ProgressBarAndUpDown) {
    HWND bar = item(1008);
    EXPECT_EQ(SendMessage(bar, PBM_GETRANGE, FALSE, 0), 100);
    SendMessage(bar, PBM_SETRANGE32, 0, 5);
    EXPECT_EQ(SendMessage(bar, PBM_SETPOS, 9, 0), 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 5);   // kept inside the range
    SendMessage(bar, PBM_SETSTEP, 1, 0);
    SendMessage(bar, PBM_SETPOS, 4, 0);
    SendMessage(bar, PBM_STEPIT, 0, 0);
    EXPECT_EQ(SendMessage(bar, PBM_GETPOS, 0, 0), 5);

    // The up-down took the edit box created before it as its buddy and sits on its right edge:
    // at its own fixed width whatever the template says, the edit box giving up that width and
    // the two sharing the box's 2-pixel border. Nothing is written into the box until a
    // position is set.
    HWND spin = item(1009), buddy = item(1010);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessage(spin, UDM_GETBUDDY, 0, 0)), buddy);
    RECT templateBox{135, 108, 175, 122};
    MapDialogRect(dlg, &templateBox);
    const RECT box = clientRect(dlg, buddy), arrows = clientRect(dlg, spin);
    EXPECT_EQ(box.left, templateBox.left);
    EXPECT_EQ(box.right, templateBox.right - 16);
    EXPECT_EQ(arrows.left, box.right - 2);
    EXPECT_EQ(arrows.right - arrows.left, 16);
    EXPECT_EQ(arrows.top, box.top);
    EXPECT_EQ(arrows.bottom, box.bottom);
    EXPECT_EQ(GetWindowText(buddy), "");
    SendMessage(spin, UDM_SETRANGE32, 0, 5000);
    SendMessage(spin, UDM_SETPOS32, 0, 1234);
    EXPECT_EQ(GetWindowText(buddy), "1,234");
    SetWindowText(buddy, "77");
    EXPECT_EQ(SendMessage(spin, UDM_GETPOS32, 0, 0), 77);
    EXPECT_TRUE(run("@dialog set 1009 9000"));
    EXPECT_EQ(SendMessage(spin, UDM_GETPOS32, 0, 0), 5000);
    EXPECT_EQ(GetWindowText(buddy), "5,000");
    EXPECT_EQ(rec.count(WM_NOTIFY, 1009), 1);   // UDN_DELTAPOS
}

TEST_F(ControlsTest, ListViewColumnsCheckBoxesAndRefusedSelection) {
    HWND lv = item(1011);
    LVCOLUMN col;
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.text = "Name";
    col.cx = 100;
    SendMessage(lv, LVM_INSERTCOLUMN, 0, LPARAM(&col));
    col.text = "Filepath";
    SendMessage(lv, LVM_INSERTCOLUMN, 1, LPARAM(&col));
    SendMessage(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    addRow(lv, "a", "/s/a.scr", 3);
    addRow(lv, "b", "/s/b.scr", 1);
    addRow(lv, "c", "/s/c.scr", 2);
    EXPECT_EQ(SendMessage(lv, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(rowText(lv, 1, 1), "/s/b.scr");
    // New rows start unchecked (state image 1); ticking one shows as state image 2.
    EXPECT_EQ(SendMessage(lv, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK), LRESULT(INDEXTOSTATEIMAGEMASK(1)));
    EXPECT_TRUE(run("@dialog check 1011 on b"));
    EXPECT_EQ(SendMessage(lv, LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK), LRESULT(INDEXTOSTATEIMAGEMASK(2)));
    EXPECT_FALSE(run("@dialog check 1011 on"));   // which row?

    EXPECT_TRUE(run("@dialog select 1011 2"));
    EXPECT_EQ(SendMessage(lv, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 2);
    EXPECT_EQ(SendMessage(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);

    // A parent that refuses LVN_ITEMCHANGING keeps the selection where it is.
    HWND frame = CreateDialogParam(module, 103, nullptr,
                                   [](HWND d, UINT m, WPARAM, LPARAM lp) -> INT_PTR {
                                       if (m == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == LVN_ITEMCHANGING) {
                                           SetWindowLongPtr(d, DWLP_MSGRESULT, TRUE);
                                           return TRUE;
                                       }
                                       return FALSE;
                                   },
                                   0);
    CREATEWINDOW c;
    c.className = WC_LISTVIEW;
    c.style = WS_CHILD | WS_VISIBLE | LVS_REPORT;
    c.rect = {0, 0, 100, 100};
    c.parent = frame;
    c.id = 50;
    HWND refusing = CreateWindowEx(c);
    addRow(refusing, "x", "", 0);
    LVITEM sel;
    sel.stateMask = sel.state = LVIS_SELECTED;
    EXPECT_FALSE(SendMessage(refusing, LVM_SETITEMSTATE, 0, LPARAM(&sel)));
    EXPECT_EQ(SendMessage(refusing, LVM_GETSELECTEDCOUNT, 0, 0), 0);
}

TEST_F(ControlsTest, ListViewSortsByTheCallersComparison) {
    HWND lv = item(1011);
    LVCOLUMN col;
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.text = "Name";
    SendMessage(lv, LVM_INSERTCOLUMN, 0, LPARAM(&col));
    addRow(lv, "a", "", 3);
    addRow(lv, "b", "", 1);
    addRow(lv, "c", "", 2);
    LVITEM sel;
    sel.stateMask = sel.state = LVIS_SELECTED;
    SendMessage(lv, LVM_SETITEMSTATE, 0, LPARAM(&sel));   // "a" selected
    EXPECT_TRUE(SendMessage(lv, LVM_SORTITEMS, 0, LPARAM(&compareParams)));
    EXPECT_EQ(rowText(lv, 0), "b");
    EXPECT_EQ(rowText(lv, 1), "c");
    EXPECT_EQ(rowText(lv, 2), "a");
    EXPECT_EQ(SendMessage(lv, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED), 2);   // state moves with the row
    SendMessage(lv, LVM_SORTITEMS, 1, LPARAM(&compareParams));
    EXPECT_EQ(rowText(lv, 0), "a");
    // A comparison that contradicts itself still leaves every row exactly once.
    for (int i = 0; i < 40; ++i) addRow(lv, "r" + std::to_string(i), "", i);
    SendMessage(lv, LVM_SORTITEMSEX, 0, LPARAM(&alwaysLess));
    std::vector<std::string> names;
    for (int i = 0; i < int(SendMessage(lv, LVM_GETITEMCOUNT, 0, 0)); ++i) names.push_back(rowText(lv, i));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
    EXPECT_EQ(names.size(), 43u);

    // Header clicks reach the parent as LVN_COLUMNCLICK.
    EXPECT_TRUE(run("@dialog column 1011 0"));
    EXPECT_EQ(rec.count(WM_NOTIFY, 1011) > 0, true);
    EXPECT_FALSE(run("@dialog column 1011 5"));
    SendMessage(lv, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(SendMessage(lv, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ControlsTest, ListViewArrowKeysMoveOneFocusAndIconsKeepTheirMask) {
    HWND lv = item(1011);
    for (const char* name : {"a", "b", "c"}) addRow(lv, name, "", 0);
    auto focused = [&] { return SendMessage(lv, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED); };
    auto selected = [&] { return SendMessage(lv, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED); };
    SendMessage(lv, WM_KEYDOWN, VK_DOWN, 0);   // nothing focused yet: the first row
    EXPECT_EQ(focused(), 0);
    SendMessage(lv, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(focused(), 1);
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(SendMessage(lv, LVM_GETSELECTEDCOUNT, 0, 0), 1);
    // Focusing another row takes the focus away from the first, so the arrows start there.
    LVITEM state;
    state.stateMask = state.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessage(lv, LVM_SETITEMSTATE, 2, LPARAM(&state));
    EXPECT_EQ(SendMessage(lv, LVM_GETITEMSTATE, 1, LVIS_FOCUSED), 0);
    SendMessage(lv, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(focused(), 1);
    SendMessage(lv, WM_KEYDOWN, VK_END, 0);
    SendMessage(lv, WM_KEYDOWN, VK_DOWN, 0);   // stays on the last row
    EXPECT_EQ(focused(), 2);

    // A two-picture strip with a magenta background: two images, the magenta gone.
    std::vector<std::uint32_t> px(32 * 16, 0xFFFF00FFu);
    px[0] = 0xFF102030u;
    HBITMAP strip = KvCreateBitmap(32, 16, px.data());
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 4);
    EXPECT_EQ(ImageList_AddMasked(images, strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    SendMessage(lv, LVM_SETIMAGELIST, LVSIL_SMALL, LPARAM(images));
    SendMessage(lv, LVM_SETBKCOLOR, 0, LPARAM(RGB(1, 2, 3)));
    HDC dc = KvCreateBufferDC(nullptr, 20, 20);
    FillSolidRect(dc, RECT{0, 0, 20, 20}, RGB(9, 9, 9));
    EXPECT_TRUE(ImageList_Draw(images, 0, dc, 2, 2, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(9, 9, 9));
    EXPECT_FALSE(ImageList_Draw(images, 2, dc, 0, 0, ILD_NORMAL));
    DeleteDC(dc);
    HDC shot = sim::desk::renderWindow(lv);
    EXPECT_EQ(GetPixel(shot, 10, KvGetCanvasSize(shot).cy - 3), RGB(1, 2, 3));   // the background asked for
    DeleteDC(shot);
    SendMessage(lv, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    ImageList_Destroy(images);
    DeleteObject(strip);
}

TEST_F(ControlsTest, TreeViewHierarchySelectionAndDeletion) {
    HWND tree = item(1012);
    const auto insert = [&](HTREEITEM parent, const std::string& text) {
        TVINSERTSTRUCT ins;
        ins.hParent = parent;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM;
        ins.item.text = text;
        ins.item.lParam = LPARAM(text.size());
        return reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_INSERTITEM, 0, LPARAM(&ins)));
    };
    HTREEITEM shape = insert(TVI_ROOT, "Korvane Shape");
    HTREEITEM tabItem = insert(shape, "Tab Item");
    insert(shape, "Tab Style");
    HTREEITEM start = insert(TVI_ROOT, "Start");
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), shape);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(shape))), start);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(shape))), tabItem);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(tabItem))), shape);

    EXPECT_TRUE(run("@dialog select 1012 Korvane Shape>Tab Style"));
    HTREEITEM caret = reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    TVITEM got;
    got.mask = TVIF_TEXT | TVIF_STATE;
    got.hItem = caret;
    got.stateMask = TVIS_EXPANDED;
    SendMessage(tree, TVM_GETITEM, 0, LPARAM(&got));
    EXPECT_EQ(got.text, "Tab Style");
    got.hItem = shape;
    SendMessage(tree, TVM_GETITEM, 0, LPARAM(&got));
    EXPECT_TRUE(got.state & TVIS_EXPANDED);   // a selected item's parents open
    EXPECT_FALSE(run("@dialog select 1012 Korvane Shape>Nothing"));

    SendMessage(tree, TVM_DELETEITEM, 0, LPARAM(shape));
    EXPECT_EQ(SendMessage(tree, TVM_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessage(tree, TVM_GETNEXTITEM, TVGN_CARET, 0), 0);   // the selected child went too
    transcript.clear();
    run("@dialog dump");
    EXPECT_NE(transcript.find("1012 SysTreeView32 \"\" items=1 sel=none"), std::string::npos);
}

TEST_F(ControlsTest, DialogPaintsAsAPlainWindowsDialog) {
    SetDlgItemText(dlg, 1001, "*.dwg");
    CheckDlgButton(dlg, 1002, BST_CHECKED);
    CheckDlgButton(dlg, 1003, BST_CHECKED);
    HWND list = item(1006);
    for (const char* s : {"alpha", "beta"}) SendMessage(list, LB_ADDSTRING, 0, LPARAM(s));
    SendMessage(list, LB_SETCURSEL, 1, 0);
    HWND combo = item(1007);
    SendMessage(combo, CB_ADDSTRING, 0, LPARAM("HGRADIENT"));
    SendMessage(combo, CB_SETCURSEL, 0, 0);
    SendMessage(item(1008), PBM_SETPOS, 40, 0);
    HWND lv = item(1011);
    LVCOLUMN col;
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 90;
    col.text = "Name";
    SendMessage(lv, LVM_INSERTCOLUMN, 0, LPARAM(&col));
    col.text = "Size";
    SendMessage(lv, LVM_INSERTCOLUMN, 1, LPARAM(&col));
    SendMessage(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    addRow(lv, "plan.dwg", "1.50 MB", 0);
    addRow(lv, "site.dwg", "512 B", 1);
    run("@dialog check 1011 on 0");
    run("@dialog select 1011 1");
    TVINSERTSTRUCT ins;
    ins.item.mask = TVIF_TEXT;
    ins.item.text = "Korvane Shape";
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessage(item(1012), TVM_INSERTITEM, 0, LPARAM(&ins)));
    ins.hParent = root;
    ins.item.text = "Tab Item";
    SendMessage(item(1012), TVM_INSERTITEM, 0, LPARAM(&ins));
    SendMessage(item(1012), TVM_EXPAND, TVE_EXPAND, LPARAM(root));

    const std::string png = std::string(KV_TEST_BINARY_DIR) + "/dialogs_sample.png";
    EXPECT_TRUE(run("@snapshot \"" + png + "\" dialog"));
    EXPECT_TRUE(std::filesystem::exists(png));
    HDC dc = sim::desk::renderWindow(dlg);
    ASSERT_NE(dc, nullptr);
    RECT window;
    GetWindowRect(dlg, &window);
    EXPECT_EQ(KvGetCanvasSize(dc).cx, window.Width());
    // The caption is white, the client the button face; the default button has its accent frame.
    EXPECT_EQ(GetPixel(dc, window.Width() / 2, 3), RGB(255, 255, 255));
    const RECT ok = clientRect(dlg, item(IDOK));
    POINT o{0, 0};
    ClientToScreen(dlg, &o);
    const int fx = o.x - window.left, fy = o.y - window.top;
    EXPECT_EQ(GetPixel(dc, fx + ok.left, fy + (ok.top + ok.bottom) / 2), RGB(0, 120, 215));
    EXPECT_EQ(GetPixel(dc, fx + 2, fy + 2), GetSysColor(COLOR_BTNFACE));
    // The selected list box entry is highlighted.
    const RECT lb = clientRect(dlg, list);
    bool highlighted = false;
    for (int y = lb.top; y < lb.bottom; ++y) highlighted |= GetPixel(dc, fx + lb.left + 2, fy + y) == RGB(0, 120, 215);
    EXPECT_TRUE(highlighted);
    DeleteDC(dc);
}
