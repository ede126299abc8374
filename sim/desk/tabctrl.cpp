// The tab common control as Windows lays it out: one row with scroll arrows when its tabs do not
// fit (tabs at the top, or at the bottom with TCS_BOTTOM), or, with TCS_VERTICAL, columns of tabs
// running downward (on the right with TCS_RIGHT). A vertical control whose columns do not fit
// side by side in its width shows one column that scrolls with an up-down pair, as a row does
// with its left-right pair. Tab widths come from the caption measured in the control's font plus
// the padding, or from the size set by the owner with TCS_FIXEDWIDTH; never below the minimum
// tab width. The owner may refuse a selection change. Whatever the sizes, layout and scrolling
// take a bounded number of steps per tab.
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
    long long textWidth = -1;   // the caption's extent in the control's font; -1: not measured yet
};

// How the tabs are laid out: one row (or, vertical without room for its columns, one column)
// that scrolls with arrows, or the columns of a multi-line vertical control.
enum class Lines { Row, Column, Columns };

struct TabControl {
    std::vector<Tab> tabs;
    int cursel = -1;
    SIZE itemSize{0, 0};      // TCM_SETITEMSIZE; 0 = derived
    SIZE padding{6, 3};
    int minTabWidth = -1;     // -1: the platform's default
    HFONT font = nullptr;
    int firstVisible = 0;     // scroll position of a single row or column
    HWND arrows = nullptr;
    // The layout, kept until something that moves the tabs changes. A scrolling line keeps each
    // tab's offset from the first and its length, and gives a tab's rectangle when asked, so that
    // neither a layout nor a scroll costs a step for every tab of a long line; the columns of a
    // multi-line control keep their rectangles.
    std::vector<RECT> rects;         // columns only
    std::vector<long long> starts;   // each tab's offset from the first tab
    std::vector<long long> lengths;
    long long origin = 0;            // the offset of the first visible tab
    long long across = 0;            // where the line lies across the control
    int thick = 0;
    Lines lines = Lines::Row;
    bool needArrows = false;
    int maxFirst = 0;         // the last scroll position that still leaves tabs to show
    bool valid = false;
    RECT clientAtLayout{};
    DWORD styleAtLayout = 0;
};

std::map<HWND, TabControl>& controls() {
    static std::map<HWND, TabControl> c;
    return c;
}

// The arrows' size along the line and across it.
constexpr int kArrowsLength = 34;
constexpr int kArrowsBreadth = 17;
// Item sizes travel as 16-bit values; a minimum width may say more, but no tab is longer.
constexpr long long kMaxTabLength = 0x7FFF;
// Coordinates of tabs far out of view stop here, so that no sum of lengths overflows a RECT.
constexpr long long kFar = 1LL << 30;

LONG saturated(long long v) { return LONG(std::clamp(v, -kFar, kFar)); }

DWORD styleOf(HWND wnd) { return DWORD(GetWindowLongPtr(wnd, GWL_STYLE)); }

int textHeight(const TabControl& c) {
    TEXTMETRIC tm;
    if (c.font && GetTextMetrics(nullptr, c.font, &tm)) return tm.tmHeight;
    return 16;
}

// Extent of a tab along its line (its width in a row, its height in a column). A caption is
// measured once; the font, the padding or a new caption drop the measure.
long long tabLength(DWORD style, TabControl& c, Tab& t) {
    const long long minWidth = c.minTabWidth < 0 ? 42 : c.minTabWidth;
    long long length;
    if (style & TCS_FIXEDWIDTH) {
        length = c.itemSize.cx > 0 ? c.itemSize.cx : 96;
    } else {
        if (t.textWidth < 0) t.textWidth = KvGetTextExtent(nullptr, c.font, t.text).cx;
        length = t.textWidth + 2LL * c.padding.cx;
    }
    return std::clamp(std::max(length, minWidth), 1LL, kMaxTabLength);
}

void forgetMeasures(TabControl& c) {
    for (Tab& t : c.tabs) t.textWidth = -1;
}

// Thickness of a row (the tab height in a row, the width of a column).
int rowThickness(const TabControl& c) {
    const int thick = c.itemSize.cy > 0 ? c.itemSize.cy : textHeight(c) + 2 * c.padding.cy + 2;
    return std::max(1, thick);
}

void computeLayout(HWND wnd, TabControl& c);
void placeLine(HWND wnd, TabControl& c, const RECT& client, int thick);

// Lays the tabs out, unless the layout still holds: it is kept until the tabs, the font, the
// sizes, the style, the scroll position or the window change.
void layout(HWND wnd, TabControl& c) {
    RECT client;
    GetClientRect(wnd, &client);
    const DWORD style = styleOf(wnd);
    if (!c.valid || style != c.styleAtLayout || client.right != c.clientAtLayout.right ||
        client.bottom != c.clientAtLayout.bottom) {
        computeLayout(wnd, c);
        c.valid = true;
        c.styleAtLayout = style;
        c.clientAtLayout = client;
    }
}

// A tab's rectangle in client coordinates, the scroll position applied; the layout must hold.
RECT rectOf(const TabControl& c, size_t i) {
    if (c.lines == Lines::Columns) return c.rects[i];
    const long long from = c.starts[i] - c.origin, to = from + c.lengths[i];
    if (c.lines == Lines::Row) return {saturated(from), saturated(c.across), saturated(to), saturated(c.across + c.thick)};
    return {saturated(c.across), saturated(from), saturated(c.across + c.thick), saturated(to)};
}

// The first tab of a line that ends past `offset` (measured from the line's first tab).
size_t firstEndingAfter(const TabControl& c, long long offset) {
    // Tabs are at least a pixel long, so starts rise strictly and the ends with them.
    const auto it = std::upper_bound(c.starts.begin(), c.starts.end(), offset);
    size_t i = size_t(it - c.starts.begin());
    if (i > 0 && c.starts[i - 1] + c.lengths[i - 1] > offset) --i;
    return i;
}

// Multi-line vertical: columns running downward, the first at the outer edge.
void layOutColumns(HWND wnd, TabControl& c, const RECT& client, int thick) {
    const bool right = (styleOf(wnd) & TCS_RIGHT) != 0;
    long long col = 0, y = 0;
    for (size_t i = 0; i < c.tabs.size(); ++i) {
        const long long len = c.lengths[i];
        if (y > 0 && y + len > client.bottom) {
            ++col;
            y = 0;
        }
        const long long x = right ? client.right - (col + 1) * thick : col * thick;
        c.rects.push_back({saturated(x), saturated(y), saturated(x + thick), saturated(y + len)});
        y += len;
    }
}

// Columns needed to hold every tab, each at most the client's height.
long long columnsNeeded(const TabControl& c, const RECT& client) {
    long long cols = c.tabs.empty() ? 0 : 1, y = 0;
    for (long long len : c.lengths) {
        if (y > 0 && y + len > client.bottom) {
            ++cols;
            y = 0;
        }
        y += len;
    }
    return cols;
}

void computeLayout(HWND wnd, TabControl& c) {
    RECT client;
    GetClientRect(wnd, &client);
    const DWORD style = styleOf(wnd);
    const int thick = rowThickness(c);
    c.rects.clear();
    c.lengths.clear();
    c.starts.clear();
    long long total = 0;
    for (Tab& t : c.tabs) {
        c.starts.push_back(total);
        c.lengths.push_back(tabLength(style, c, t));
        total += c.lengths.back();
    }
    c.lines = Lines::Row;
    if (style & TCS_VERTICAL) {
        // Columns while they fit side by side; a bar one column thick scrolls its one column
        // instead, so that every tab can still be reached.
        const long long cols = columnsNeeded(c, client);
        c.lines = (style & TCS_MULTILINE) && (cols <= 1 || cols * thick <= client.right) ? Lines::Columns
                                                                                          : Lines::Column;
    }
    c.needArrows = false;
    c.maxFirst = 0;
    if (c.lines == Lines::Columns) {
        c.firstVisible = 0;
        layOutColumns(wnd, c, client, thick);
        return;
    }
    const long long extent = c.lines == Lines::Row ? client.right : client.bottom;
    const long long visible = extent - kArrowsLength;
    c.needArrows = total > extent;
    if (c.needArrows) {
        // The last position is the first from which the rest of the line fits beside the arrows.
        const auto k = std::lower_bound(c.starts.begin(), c.starts.end(), total - visible) - c.starts.begin();
        c.maxFirst = std::min(int(k), int(c.tabs.size()) - 1);
    }
    c.firstVisible = std::clamp(c.firstVisible, 0, c.maxFirst);
    placeLine(wnd, c, client, thick);
}

// A row or a column scrolled to `firstVisible`, from the measured tabs.
void placeLine(HWND wnd, TabControl& c, const RECT& client, int thick) {
    const DWORD style = styleOf(wnd);
    c.origin = c.tabs.empty() ? 0 : c.starts[size_t(c.firstVisible)];
    const bool far = (style & TCS_BOTTOM) != 0;   // TCS_RIGHT for a column: the same bit
    c.across = far ? (c.lines == Lines::Row ? client.bottom : client.right) - thick : 0;
    c.thick = thick;
}

// Scrolls a line so that the selected tab shows whole beside the arrows, as far as it can. Only
// a line that shows its arrows scrolls; the walk is bounded by the number of tabs.
void ensureSelectionVisible(HWND wnd, TabControl& c) {
    layout(wnd, c);
    if (!c.needArrows || c.cursel < 0 || c.cursel >= int(c.tabs.size())) return;
    const size_t sel = size_t(c.cursel);
    const long long extent = c.lines == Lines::Row ? c.clientAtLayout.right : c.clientAtLayout.bottom;
    const long long visible = extent - kArrowsLength;
    const long long end = c.starts[sel] + c.lengths[sel];
    int first = c.firstVisible;
    if (c.cursel < first || c.lengths[sel] >= visible) {
        first = c.cursel;
    } else {
        // The first position from which the selected tab ends within the room beside the arrows
        // (the selected tab itself at the latest, as it is shorter than that room).
        const auto from = c.starts.begin() + first, to = c.starts.begin() + c.cursel + 1;
        first = int(std::lower_bound(from, to, end - visible) - c.starts.begin());
    }
    first = std::clamp(first, 0, c.maxFirst);
    if (first != c.firstVisible) {
        // Scrolling moves the tabs, not their sizes: placed again, not measured again.
        c.firstVisible = first;
        placeLine(wnd, c, c.clientAtLayout, rowThickness(c));
    }
}

// Places, shows or hides the arrows and gives them the range and position of the layout.
void placeArrows(HWND wnd, TabControl& c) {
    layout(wnd, c);
    if (!c.arrows || !IsWindow(c.arrows)) return;
    const RECT& client = c.clientAtLayout;
    const int thick = rowThickness(c);
    const bool far = (styleOf(wnd) & TCS_BOTTOM) != 0;
    DWORD style = DWORD(GetWindowLongPtr(c.arrows, GWL_STYLE));
    if (c.lines == Lines::Row) {
        // A left-right pair at the right end of the row, on the row's edge next to the page, as
        // the common control puts it.
        const int top = far ? client.bottom - thick : thick - kArrowsBreadth;
        MoveWindow(c.arrows, client.right - kArrowsLength, std::max(0, top), kArrowsLength, kArrowsBreadth, FALSE);
        SetWindowLongPtr(c.arrows, GWL_STYLE, LONG_PTR(style | UDS_HORZ));
        SendMessage(c.arrows, UDM_SETRANGE32, 0, c.maxFirst);
    } else {
        // An up-down pair at the bottom of the column; the upper arrow goes back to the first
        // tab, so the range runs downward.
        const int col = far ? client.right - thick : 0;
        const int left = col + (thick - kArrowsBreadth) / 2;
        MoveWindow(c.arrows, std::max(0, left), client.bottom - kArrowsLength, kArrowsBreadth, kArrowsLength, FALSE);
        SetWindowLongPtr(c.arrows, GWL_STYLE, LONG_PTR(style & ~UDS_HORZ));
        SendMessage(c.arrows, UDM_SETRANGE32, WPARAM(c.maxFirst), 0);
    }
    ShowWindow(c.arrows, c.needArrows ? SW_SHOW : SW_HIDE);
    SendMessage(c.arrows, UDM_SETPOS32, 0, c.firstVisible);
}

// After anything that moves the tabs: lays them out afresh and the arrows with them.
void updateArrows(HWND wnd, TabControl& c) {
    c.valid = false;
    placeArrows(wnd, c);
}

// After anything that moves tabs (not after scrolling, which may leave the selection out of view):
// laid out afresh, with the selected tab kept in view.
void relayout(HWND wnd, TabControl& c) {
    c.valid = false;
    ensureSelectionVisible(wnd, c);
    placeArrows(wnd, c);
}

LRESULT notifyParent(HWND wnd, UINT code) {
    NMHDR hdr;
    hdr.hwndFrom = wnd;
    hdr.idFrom = UINT_PTR(GetDlgCtrlID(wnd));
    hdr.code = code;
    return SendMessage(GetParent(wnd), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

bool contains(const RECT& r, POINT pt) {
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

int hitTest(HWND wnd, TabControl& c, POINT pt) {
    layout(wnd, c);
    if (c.lines == Lines::Columns) {
        for (size_t i = 0; i < c.rects.size(); ++i)
            if (contains(c.rects[i], pt)) return int(i);
        return -1;
    }
    // Along a line the tabs follow one another: only the one under the point's offset can hold it.
    const long long along = c.lines == Lines::Row ? pt.x : pt.y;
    const size_t i = firstEndingAfter(c, along + c.origin);
    return i < c.tabs.size() && contains(rectOf(c, i), pt) ? int(i) : -1;
}

// The tabs that show in the client area, in order, with their rectangles.
std::vector<std::pair<size_t, RECT>> shownTabs(HWND wnd, TabControl& c) {
    layout(wnd, c);
    RECT client;
    GetClientRect(wnd, &client);
    auto shows = [&](const RECT& r) {
        return !(r.right <= client.left || r.left >= client.right || r.bottom <= client.top || r.top >= client.bottom);
    };
    std::vector<std::pair<size_t, RECT>> shown;
    size_t i = 0, end = c.tabs.size();
    if (c.lines != Lines::Columns) {
        // Tabs before the client's start or past its end along the line cannot show.
        const long long start = c.lines == Lines::Row ? client.left : client.top;
        const long long stop = c.lines == Lines::Row ? client.right : client.bottom;
        i = firstEndingAfter(c, start + c.origin);
        end = std::upper_bound(c.starts.begin(), c.starts.end(), stop - 1 + c.origin) - c.starts.begin();
    }
    for (; i < end; ++i) {
        const RECT r = rectOf(c, i);
        if (shows(r)) shown.push_back({i, r});
    }
    return shown;
}

void paintDefault(HWND wnd, TabControl& c) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    if (!dc) return;
    FillSolidRect(dc, ps.rcPaint, GetSysColor(COLOR_BTNFACE));
    const bool ownerDraw = (styleOf(wnd) & TCS_OWNERDRAWFIXED) != 0;
    // Tabs scrolled out of view are not drawn: painting costs what shows. What is drawn is taken
    // before the owner draws, which may change the tabs.
    struct Shown {
        size_t index;
        RECT rect;
        LPARAM param;
        std::string text;
    };
    std::vector<Shown> shown;
    for (const auto& [i, r] : shownTabs(wnd, c)) shown.push_back({i, r, c.tabs[i].param, ownerDraw ? "" : c.tabs[i].text});
    const int cursel = c.cursel;
    const HFONT font = c.font;
    for (const Shown& t : shown) {
        if (ownerDraw) {
            DRAWITEMSTRUCT dis;
            dis.CtlID = UINT(GetDlgCtrlID(wnd));
            dis.itemID = UINT(t.index);
            dis.itemState = int(t.index) == cursel ? ODS_SELECTED : 0;
            dis.hwndItem = wnd;
            dis.hDC = dc;
            dis.rcItem = t.rect;
            dis.itemData = t.param;
            SendMessage(GetParent(wnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
            continue;
        }
        Draw3dRect(dc, t.rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        RECT text = t.rect;
        DrawText(dc, t.text, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS, font,
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
        a.rect = {0, 0, kArrowsLength, kArrowsBreadth};
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
        forgetMeasures(c);
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
            // Only a new caption changes a tab's length; anything else leaves the layout as it is.
            const bool moved = (item->mask & TCIF_TEXT) && t.text != item->text;
            if (moved) {
                t.text = item->text;
                t.textWidth = -1;
            }
            if (item->mask & TCIF_IMAGE) t.image = item->iImage;
            if (item->mask & TCIF_PARAM) t.param = item->lParam;
            if (item->mask & TCIF_STATE) t.state = (t.state & ~item->dwStateMask) | (item->dwState & item->dwStateMask);
            if (moved) c.valid = false;
            ensureSelectionVisible(wnd, c);
            placeArrows(wnd, c);
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
        // A selected tab scrolled out of its line is brought into view.
        ensureSelectionVisible(wnd, c);
        placeArrows(wnd, c);
        return old;
    }
    case TCM_GETITEMRECT: {
        auto* r = reinterpret_cast<RECT*>(lp);
        layout(wnd, c);
        if (!r || wp >= c.tabs.size()) return FALSE;
        *r = rectOf(c, wp);
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
        forgetMeasures(c);
        relayout(wnd, c);
        return 0;
    case TCM_SETMINTABWIDTH: {
        const int old = c.minTabWidth < 0 ? 42 : c.minTabWidth;
        c.minTabWidth = int(lp);
        relayout(wnd, c);
        return old;
    }
    case TCM_GETROWCOUNT: {
        layout(wnd, c);
        if (c.lines != Lines::Columns) return c.tabs.empty() ? 0 : 1;
        int cols = 0;
        LONG lastX = 0x7FFFFFFF;
        for (const RECT& r : c.rects) {
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
        ensureSelectionVisible(wnd, c);   // a tab half hidden by the arrows comes into view
        placeArrows(wnd, c);
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
    // A subclassed tab control passes every message it does not handle itself on to its class,
    // so that one is reached without a look-up.
    if (className == WC_TABCONTROL) return sim::desk::tabProc(wnd, message, wParam, lParam);
    auto proc = sim::desk::WindowManager::get().classProc(className);
    return proc ? proc(wnd, message, wParam, lParam) : 0;
}
