// The combo box: a drop-down list, editable or not, over the entries a list box holds.
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

struct Combo : Entries {
    size_t limit = 30000;
    bool dropped = false;
};

ControlStates<Combo>& states() {
    static ControlStates<Combo> t;
    return t;
}
Combo& ctl(HWND h) { return states()[h]; }

// Combo box messages map onto the list box ones.
UINT comboToList(UINT msg) {
    switch (msg) {
    case CB_ADDSTRING: return LB_ADDSTRING;
    case CB_DELETESTRING: return LB_DELETESTRING;
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_GETCURSEL: return LB_GETCURSEL;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_INSERTSTRING: return LB_INSERTSTRING;
    case CB_RESETCONTENT: return LB_RESETCONTENT;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_SELECTSTRING: return LB_SELECTSTRING;
    case CB_SETCURSEL: return LB_SETCURSEL;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    default: return 0;
    }
}

bool comboEditable(HWND h) { return win(h) && (win(h)->style & 0x3) != CBS_DROPDOWNLIST; }

// The combo box's text follows its selection.
void syncComboText(HWND h) {
    Combo& c = ctl(h);
    if (Window* w = win(h)) w->text = c.cur >= 0 && size_t(c.cur) < c.entries.size() ? c.entries[size_t(c.cur)].text : "";
}

// The template's height is the dropped list's; the control itself is one line high.
void fitComboHeight(HWND h) {
    if (Window* w = win(h)) w->rect.bottom = w->rect.top + fontHeight(controlFont(h)) + 8;
}

}  // namespace

LRESULT comboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) {
        if (msg == WM_SETFONT) fitComboHeight(h);
        return result;
    }
    Combo& c = ctl(h);
    switch (msg) {
    case WM_CREATE: fitComboHeight(h); return 0;
    case WM_SETTEXT:
        storeText(h, lp);
        if (!comboEditable(h)) {
            // A drop-down list shows only its entries: the text selects the entry it names.
            const std::string t = lp ? reinterpret_cast<const char*>(lp) : "";
            LRESULT i = entriesMessage(c, LB_FINDSTRINGEXACT, WPARAM(-1), lp, false, false);
            if (i == LB_ERR) return CB_ERR;
            entriesMessage(c, LB_SETCURSEL, WPARAM(i), 0, false, false);
            syncComboText(h);
        }
        return TRUE;
    case CB_LIMITTEXT: c.limit = wp == 0 ? 0x7FFFFFFE : size_t(wp); return TRUE;
    case CB_SHOWDROPDOWN:
        if (bool(wp) != c.dropped) {
            c.dropped = wp != 0;
            notifyParent(h, c.dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return c.dropped;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            const RECT r = clientOf(h);
            const bool enabled = IsWindowEnabled(h);
            const bool editable = comboEditable(h);
            const RECT arrow{r.right - 17, r.top + 1, r.right - 1, r.bottom - 1};
            if (editable) {
                FillSolidRect(dc, r, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
                KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, enabled ? theme::kEditBorder : theme::kDisabledBorder});
            } else {
                FillSolidRect(dc, r, enabled ? theme::kButtonFill : RGB(204, 204, 204));
                KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, enabled ? theme::kButtonBorder : RGB(191, 191, 191)});
            }
            paintChevron(dc, arrow, Chevron::Down, enabled ? theme::kGlyph : theme::kGrayText);
            RECT tr{r.left + 4, r.top + 1, arrow.left - 2, r.bottom - 1};
            DrawText(dc, win(h)->text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, controlFont(h),
                     enabled ? theme::kText : theme::kGrayText);
        }
        EndPaint(h, &ps);
        return 0;
    }
    default:
        if (UINT lm = comboToList(msg)) {
            Window* w = win(h);
            LRESULT r = entriesMessage(c, lm, wp, lp, w && (w->style & CBS_SORT), false);
            if (lm == LB_SETCURSEL || lm == LB_SELECTSTRING || lm == LB_RESETCONTENT ||
                (lm == LB_DELETESTRING && c.cur < 0))
                syncComboText(h);
            return r;
        }
        return 0;
    }
}

void comboSetText(HWND h, const std::string& text) {
    Window* w = win(h);
    if (!comboEditable(h)) {
        userSelect(h, text);
        return;
    }
    w->text = clipCodePoints(text, ctl(h).limit);
    ctl(h).cur = -1;
    notifyParent(h, CBN_EDITCHANGE);
}

void comboSelect(HWND h, const std::string& arg) {
    Combo& c = ctl(h);
    const int index = entryIndex(h, c, arg);
    entriesMessage(c, LB_SETCURSEL, WPARAM(index), 0, false, false);
    syncComboText(h);
    notifyParent(h, CBN_SELCHANGE);
    notifyParent(h, CBN_SELENDOK);
}

std::string describeCombo(HWND h) { return describeEntries(h, states().copyOf(h)); }

}  // namespace sim::desk
