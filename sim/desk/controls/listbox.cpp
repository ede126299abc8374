// The list box.
#include <algorithm>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

ControlStates<Entries>& states() {
    static ControlStates<Entries> t;
    return t;
}
Entries& ctl(HWND h) { return states()[h]; }

int itemHeight(HWND h) { return fontHeight(controlFont(h)) + 2; }

void paintEntries(HWND h, const Entries& c, HDC dc, const RECT& area, int top, bool enabled, bool multi) {
    const int ih = itemHeight(h);
    int y = area.top;
    for (size_t i = size_t(std::max(0, top)); i < c.entries.size() && y < area.bottom; ++i, y += ih) {
        const bool sel = multi ? c.entries[i].selected : int(i) == c.cur;
        RECT row{area.left, y, area.right, y + ih};
        if (sel) FillSolidRect(dc, row, enabled ? theme::kAccent : RGB(217, 217, 217));
        RECT tr{row.left + 3, row.top, row.right - 2, row.bottom};
        DrawText(dc, c.entries[i].text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, controlFont(h),
                 sel && enabled ? theme::kWindow : enabled ? theme::kText : theme::kGrayText);
    }
}

}  // namespace

LRESULT listBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    switch (msg) {
    case WM_SETTEXT: storeText(h, lp); return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            const RECT r = clientOf(h);
            const bool enabled = IsWindowEnabled(h);
            FillSolidRect(dc, r, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
            paintEntries(h, ctl(h), dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, ctl(h).top, enabled, listMulti(h));
            if ((win(h)->style & WS_BORDER) || (win(h)->exStyle & WS_EX_CLIENTEDGE))
                KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, theme::kListBorder});
        }
        EndPaint(h, &ps);
        return 0;
    }
    default:
        if (msg >= LB_ADDSTRING && msg <= LB_FINDSTRINGEXACT) {
            Window* w = win(h);
            return entriesMessage(ctl(h), msg, wp, lp, w && (w->style & LBS_SORT), listMulti(h));
        }
        return 0;
    }
}

void listBoxSelect(HWND h, const std::string& arg) {
    Window* w = win(h);
    Entries& c = ctl(h);
    const int index = entryIndex(h, c, arg);
    if (listMulti(h)) {
        c.entries[size_t(index)].selected = !c.entries[size_t(index)].selected;
        c.cur = index;
    } else {
        if (c.cur == index) return;
        entriesMessage(c, LB_SETCURSEL, WPARAM(index), 0, false, false);
    }
    if (w->style & LBS_NOTIFY) notifyParent(h, LBN_SELCHANGE);
}

std::string describeListBox(HWND h) { return describeEntries(h, states().copyOf(h)); }

}  // namespace sim::desk
