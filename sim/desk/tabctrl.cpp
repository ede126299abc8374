// The tab common control as Windows lays it out: one row with scroll arrows when its tabs do not
// fit (tabs at the top, or at the bottom with TCS_BOTTOM), or, with TCS_VERTICAL, columns of tabs
// running downward (on the right with TCS_RIGHT). Tab widths come from the caption measured in
// the control's font plus the padding, or from the size set by the owner with TCS_FIXEDWIDTH;
// never below the minimum tab width. The owner may refuse a selection change.
#include <algorithm>
#include <map>
#include <vector>
#include "gfx/canvas.h"
#include "sim/desk/windows.h"
#include "win/system.h"
#include "win/tabctrl.h"

namespace sim::desk {
namespace {

struct Tab {
    std::string text;
    int image = -1;
    LPARAM param = 0;
    DWORD state = 0;
};

struct TabControl {
    std::vector<Tab> tabs;
    int cursel = -1;
    SIZE itemSize{0, 0};      // TCM_SETITEMSIZE; 0 = derived
    SIZE padding{6, 3};
    int minTabWidth = -1;     // -1: the platform's default
    HFONT font = nullptr;
    int firstVisible = 0;     // scroll position of a single row
    HWND arrows = nullptr;
    // The tabs' rectangles, kept until something that moves them changes.
    std::vector<RECT> rects;
    bool needArrows = false;
    bool valid = false;
    RECT clientAtLayout{};
    DWORD styleAtLayout = 0;
};

std::map<HWND, TabControl>& controls() {
    static std::map<HWND, TabControl> c;
    return c;
}

constexpr int kArrowsWidth = 34;
constexpr int kArrowsHeight = 17;

DWORD styleOf(HWND wnd) { return DWORD(GetWindowLongPtr(wnd, GWL_STYLE)); }
bool isVertical(HWND wnd) { return (styleOf(wnd) & TCS_VERTICAL) != 0; }

int textHeight(const TabControl& c) {
    TEXTMETRIC tm;
    if (c.font && GetTextMetrics(nullptr, c.font, &tm)) return tm.tmHeight;
    return 16;
}

// Extent of a tab along the row (its width in a row, its height in a column).
int tabLength(HWND wnd, const TabControl& c, const Tab& t) {
    const int minWidth = c.minTabWidth < 0 ? 42 : c.minTabWidth;
    int length;
    if (styleOf(wnd) & TCS_FIXEDWIDTH) {
        length = c.itemSize.cx > 0 ? c.itemSize.cx : 96;
    } else {
        SIZE s = KvGetTextExtent(nullptr, c.font, t.text);
        length = s.cx + 2 * c.padding.cx;
    }
    return std::max(length, minWidth);
}

// Thickness of a row (the tab height in a row, the width of a column).
int rowThickness(const TabControl& c) {
    return c.itemSize.cy > 0 ? c.itemSize.cy : textHeight(c) + 2 * c.padding.cy + 2;
}

std::vector<RECT> computeLayout(HWND wnd, TabControl& c, bool* needArrows);

// The rectangles of all tabs in client coordinates, the scroll position applied. Measuring every
// caption is the costly part, so the result is kept until the tabs, the font, the sizes, the
// style or the window change.
const std::vector<RECT>& layout(HWND wnd, TabControl& c, bool* needArrows = nullptr) {
    RECT client;
    GetClientRect(wnd, &client);
    const DWORD style = styleOf(wnd);
    if (!c.valid || style != c.styleAtLayout || client.right != c.clientAtLayout.right ||
        client.bottom != c.clientAtLayout.bottom) {
        c.rects = computeLayout(wnd, c, &c.needArrows);
        c.valid = true;
        c.styleAtLayout = style;
        c.clientAtLayout = client;
    }
    if (needArrows) *needArrows = c.needArrows;
    return c.rects;
}

std::vector<RECT> computeLayout(HWND wnd, TabControl& c, bool* needArrows) {
    RECT client;
    GetClientRect(wnd, &client);
    std::vector<RECT> rects;
    const int thick = rowThickness(c);
    if (isVertical(wnd)) {
        const bool right = (styleOf(wnd) & TCS_RIGHT) != 0;
        int col = 0, y = 0;
        for (const Tab& t : c.tabs) {
            const int len = tabLength(wnd, c, t);
            if (y > 0 && y + len > client.bottom) {
                ++col;
                y = 0;
            }
            const int x = right ? client.right - (col + 1) * thick : col * thick;
            rects.push_back({x, y, x + thick, y + len});
            y += len;
        }
        if (needArrows) *needArrows = false;
        return rects;
    }
    const bool bottom = (styleOf(wnd) & TCS_BOTTOM) != 0;
    const int top = bottom ? client.bottom - thick : 0;
    int total = 0;
    for (const Tab& t : c.tabs) total += tabLength(wnd, c, t);
    const bool arrows = total > client.right;
    if (!arrows) c.firstVisible = 0;
    c.firstVisible = std::clamp(c.firstVisible, 0, std::max(0, int(c.tabs.size()) - 1));
    int x = 0;
    for (int i = 0; i < c.firstVisible; ++i) x -= tabLength(wnd, c, c.tabs[size_t(i)]);
    for (const Tab& t : c.tabs) {
        const int len = tabLength(wnd, c, t);
        rects.push_back({x, top, x + len, top + thick});
        x += len;
    }
    if (needArrows) *needArrows = arrows;
    return rects;
}

void updateArrows(HWND wnd, TabControl& c) {
    c.valid = false;
    bool need = false;
    layout(wnd, c, &need);
    if (!c.arrows || !IsWindow(c.arrows)) return;
    RECT client;
    GetClientRect(wnd, &client);
    const bool bottom = (styleOf(wnd) & TCS_BOTTOM) != 0;
    const int thick = rowThickness(c);
    // The arrows end where a top row ends and start where a bottom row starts.
    const int top = bottom ? client.bottom - thick : thick - kArrowsHeight;
    MoveWindow(c.arrows, client.right - kArrowsWidth, std::max(0, top), kArrowsWidth, kArrowsHeight, FALSE);
    ShowWindow(c.arrows, need ? SW_SHOW : SW_HIDE);
    SendMessage(c.arrows, UDM_SETRANGE32, 0, LPARAM(std::max<size_t>(1, c.tabs.size()) - 1));
    SendMessage(c.arrows, UDM_SETPOS32, 0, c.firstVisible);
}

// A selected tab scrolled out of a row (or half under the arrows) is brought into view.
void bringSelectionIntoView(HWND wnd, TabControl& c) {
    if (isVertical(wnd) || c.cursel < 0) return;
    RECT client;
    GetClientRect(wnd, &client);
    if (c.cursel < c.firstVisible) c.firstVisible = c.cursel;
    c.valid = false;
    bool arrows = false;
    layout(wnd, c, &arrows);
    const int visibleRight = client.right - (arrows ? kArrowsWidth : 0);
    while (c.firstVisible < c.cursel && layout(wnd, c)[size_t(c.cursel)].right > visibleRight) {
        ++c.firstVisible;
        c.valid = false;
    }
    updateArrows(wnd, c);
}

// After anything that moves tabs (not after scrolling, which may leave the selection out of view).
void relayout(HWND wnd, TabControl& c) {
    updateArrows(wnd, c);
    bringSelectionIntoView(wnd, c);
}

LRESULT notifyParent(HWND wnd, UINT code) {
    NMHDR hdr;
    hdr.hwndFrom = wnd;
    hdr.idFrom = UINT_PTR(GetDlgCtrlID(wnd));
    hdr.code = code;
    return SendMessage(GetParent(wnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

int hitTest(HWND wnd, TabControl& c, POINT pt) {
    const auto& rects = layout(wnd, c);
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT& r = rects[i];
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return int(i);
    }
    return -1;
}

void paintDefault(HWND wnd, TabControl& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    if (!dc) return;
    FillSolidRect(dc, ps.rcPaint, GetSysColor(COLOR_BTNFACE));
    const auto rects = layout(wnd, c);
    const bool ownerDraw = (styleOf(wnd) & TCS_OWNERDRAWFIXED) != 0;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (ownerDraw) {
            DRAWITEMSTRUCT dis;
            dis.CtlID = UINT(GetDlgCtrlID(wnd));
            dis.itemID = UINT(i);
            dis.itemState = int(i) == c.cursel ? ODS_SELECTED : 0;
            dis.hwndItem = wnd;
            dis.hDC = dc;
            dis.rcItem = rects[i];
            dis.itemData = c.tabs[i].param;
            SendMessage(GetParent(wnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            continue;
        }
        Draw3dRect(dc, rects[i], GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        RECT text = rects[i];
        DrawText(dc, c.tabs[i].text, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS, c.font,
                 GetSysColor(COLOR_BTNTEXT));
    }
    EndPaint(wnd, &ps);
}

LRESULT tabProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto& all = controls();
    if (msg == WM_CREATE) {
        TabControl& c = all[wnd];
        CREATEWINDOW a;
        a.className = UPDOWN_CLASS;
        a.style = WS_CHILD | UDS_HORZ;
        a.parent = wnd;
        a.rect = {0, 0, kArrowsWidth, kArrowsHeight};
        c.arrows = CreateWindowEx(a);
        return 0;
    }
    auto it = all.find(wnd);
    if (it == all.end()) return 0;
    TabControl& c = it->second;
    switch (msg) {
    case WM_DESTROY:
        all.erase(it);
        return 0;
    case WM_SETFONT:
        c.font = reinterpret_cast<HFONT>(wp);
        relayout(wnd, c);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(c.font);
    case WM_SIZE:
        relayout(wnd, c);
        return 0;
    case TCM_GETITEMCOUNT:
        return LRESULT(c.tabs.size());
    case TCM_INSERTITEM: {
        const auto* item = reinterpret_cast<const TCITEM*>(lp);
        if (!item) return -1;
        const size_t at = std::min(size_t(wp), c.tabs.size());
        Tab t;
        if (item->mask & TCIF_TEXT) t.text = item->text;
        if (item->mask & TCIF_IMAGE) t.image = item->iImage;
        if (item->mask & TCIF_PARAM) t.param = item->lParam;
        c.tabs.insert(c.tabs.begin() + long(at), t);
        if (c.cursel >= int(at)) ++c.cursel;
        relayout(wnd, c);
        return LRESULT(at);
    }
    case TCM_GETITEM:
    case TCM_SETITEM: {
        auto* item = reinterpret_cast<TCITEM*>(lp);
        if (!item || wp >= c.tabs.size()) return FALSE;
        Tab& t = c.tabs[wp];
        if (msg == TCM_GETITEM) {
            if (item->mask & TCIF_TEXT) item->text = t.text;
            if (item->mask & TCIF_IMAGE) item->iImage = t.image;
            if (item->mask & TCIF_PARAM) item->lParam = t.param;
            if (item->mask & TCIF_STATE) item->dwState = t.state & item->dwStateMask;
        } else {
            if (item->mask & TCIF_TEXT) t.text = item->text;
            if (item->mask & TCIF_IMAGE) t.image = item->iImage;
            if (item->mask & TCIF_PARAM) t.param = item->lParam;
            if (item->mask & TCIF_STATE) t.state = (t.state & ~item->dwStateMask) | (item->dwState & item->dwStateMask);
            relayout(wnd, c);
        }
        return TRUE;
    }
    case TCM_DELETEITEM: {
        if (wp >= c.tabs.size()) return FALSE;
        c.tabs.erase(c.tabs.begin() + long(wp));
        // As the platform control does: deleting the selected tab leaves no selection.
        if (c.cursel == int(wp)) c.cursel = -1;
        else if (c.cursel > int(wp)) --c.cursel;
        relayout(wnd, c);
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        c.tabs.clear();
        c.cursel = -1;
        c.firstVisible = 0;
        relayout(wnd, c);
        return TRUE;
    case TCM_GETCURSEL:
        return c.cursel;
    case TCM_SETCURSEL: {
        const int old = c.cursel;
        if (int(wp) < 0 || wp >= c.tabs.size()) return -1;
        c.cursel = int(wp);
        bringSelectionIntoView(wnd, c);
        return old;
    }
    case TCM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lp);
        const auto& rects = layout(wnd, c);
        if (!r || wp >= rects.size()) return FALSE;
        *r = rects[wp];
        return TRUE;
    }
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lp);
        if (!info) return -1;
        const int hit = hitTest(wnd, c, info->pt);
        info->flags = hit < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
        return hit;
    }
    case TCM_SETITEMSIZE: {
        const SIZE old = c.itemSize;
        c.itemSize = {LONG(LOWORD(LPARAM(lp))), LONG(HIWORD(LPARAM(lp)))};
        relayout(wnd, c);
        return LRESULT((old.cy << 16) | (old.cx & 0xFFFF));
    }
    case TCM_SETPADDING:
        c.padding = {LONG(LOWORD(LPARAM(lp))), LONG(HIWORD(LPARAM(lp)))};
        relayout(wnd, c);
        return 0;
    case TCM_SETMINTABWIDTH: {
        const int old = c.minTabWidth < 0 ? 42 : c.minTabWidth;
        c.minTabWidth = int(lp);
        relayout(wnd, c);
        return old;
    }
    case TCM_GETROWCOUNT: {
        if (!isVertical(wnd)) return c.tabs.empty() ? 0 : 1;
        const auto& rects = layout(wnd, c);
        int cols = 0;
        LONG lastX = 0x7FFFFFFF;
        for (const RECT& r : rects) {
            if (r.left != lastX) ++cols;
            lastX = r.left;
        }
        return cols;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (LOWORD(wp) == SB_THUMBPOSITION) {
            c.firstVisible = int(HIWORD(wp));
            updateArrows(wnd, c);
            InvalidateRect(wnd, nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONDOWN: {
        const POINT pt{LONG(std::int16_t(LOWORD(LPARAM(lp)))), LONG(std::int16_t(HIWORD(LPARAM(lp))))};
        const int hit = hitTest(wnd, c, pt);
        if (hit < 0 || hit == c.cursel) return 0;
        if (notifyParent(wnd, TCN_SELCHANGING) != 0) return 0;   // the owner refused
        c.cursel = hit;
        bringSelectionIntoView(wnd, c);
        InvalidateRect(wnd, nullptr, TRUE);
        notifyParent(wnd, TCN_SELCHANGE);
        return 0;
    }
    case WM_PAINT:
        paintDefault(wnd, c);
        return 0;
    default:
        return 0;
    }
}

}  // namespace

void registerTabControlClasses(WindowManager& wm) {
    wm.registerClass(WC_TABCONTROL, tabProc);
}

}  // namespace sim::desk

LRESULT CallWindowClassProc(const std::string& className, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto proc = sim::desk::WindowManager::get().classProc(className);
    return proc ? proc(wnd, message, wParam, lParam) : 0;
}
