// The list view: report mode with columns, check boxes and sorting by the caller, with the
// notifications of the common controls.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/imagelist.h"
#include "win/input.h"
#include "win/system.h"

namespace sim::desk {
namespace {

struct Column {
    std::string text;
    int cx = 50;
    int fmt = LVCFMT_LEFT;
};
struct Row {
    std::vector<std::string> texts;   // one per sub-item, grown on demand
    UINT state = 0;
    LPARAM param = 0;
    int image = 0;
};
struct ListView {
    HFONT font = nullptr;
    std::vector<Column> columns;
    std::vector<Row> rows;
    DWORD ex = 0;
    int mark = -1;
    int top = 0;
    void* imageList = nullptr;         // the small-icon list (LVSIL_SMALL) that report rows show
    void* otherImageLists[3] = {};
    COLORREF bk = CLR_INVALID, textBk = CLR_INVALID, text = CLR_INVALID;   // CLR_INVALID: the theme's
};

std::recursive_mutex gMutex;
std::map<HWND, std::shared_ptr<ListView>>& lists() {
    static std::map<HWND, std::shared_ptr<ListView>> m;
    return m;
}
std::shared_ptr<ListView> lv(HWND h) {
    std::lock_guard lock(gMutex);
    auto& p = lists()[h];
    if (!p) p = std::make_shared<ListView>();
    return p;
}

int rowHeight(const ListView& l) {
    int iconHeight = 0;
    if (l.imageList) ImageList_GetIconSize(static_cast<HIMAGELIST>(l.imageList), nullptr, &iconHeight);
    return std::max(fontHeight(fontOf(l.font)) + 5, iconHeight + 2);
}

std::string& cell(Row& r, int sub) {
    if (sub < 0) sub = 0;
    if (size_t(sub) >= r.texts.size()) r.texts.resize(size_t(sub) + 1);
    return r.texts[size_t(sub)];
}

// Changes an item's state with LVN_ITEMCHANGING (which may refuse) and LVN_ITEMCHANGED.
bool changeState(HWND h, int index, UINT state, UINT mask) {
    auto l = lv(h);
    if (index < 0 || size_t(index) >= l->rows.size()) return false;
    const UINT old = l->rows[size_t(index)].state;
    const UINT now = (old & ~mask) | (state & mask);
    if (now == old) return true;
    NMLISTVIEW nm;
    nm.hdr.code = LVN_ITEMCHANGING;
    nm.iItem = index;
    nm.uNewState = now;
    nm.uOldState = old;
    nm.uChanged = LVIF_STATE;
    nm.lParam = l->rows[size_t(index)].param;
    if (notifyParent(h, &nm.hdr)) return false;
    if (size_t(index) >= l->rows.size()) return false;   // the parent removed it meanwhile
    l->rows[size_t(index)].state = now;
    if ((now & LVIS_SELECTED) && !(old & LVIS_SELECTED)) l->mark = index;
    nm.hdr.code = LVN_ITEMCHANGED;
    notifyParent(h, &nm.hdr);
    return true;
}

// Selecting an item of a single-selection list (or by a plain click) clears the others first.
void selectOnly(HWND h, int index) {
    auto l = lv(h);
    for (int i = 0; i < int(l->rows.size()); ++i)
        if (i != index && (l->rows[size_t(i)].state & (LVIS_SELECTED | LVIS_FOCUSED)))
            changeState(h, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (index >= 0) changeState(h, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// A merge sort that is safe whatever the comparison answers (the caller's callback may be
// inconsistent; std::sort would then read out of bounds).
template <class Less>
void mergeSort(std::vector<size_t>& v, Less less) {
    std::vector<size_t> tmp(v.size());
    for (size_t width = 1; width < v.size(); width *= 2) {
        for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
            const size_t mid = std::min(lo + width, v.size()), hi = std::min(lo + 2 * width, v.size());
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) tmp[k++] = less(v[j], v[i]) ? v[j++] : v[i++];
            while (i < mid) tmp[k++] = v[i++];
            while (j < hi) tmp[k++] = v[j++];
        }
        v.swap(tmp);
    }
}

LRESULT sortItems(HWND h, LPARAM sortParam, PFNLVCOMPARE compare, bool byIndex) {
    if (!compare) return FALSE;
    auto l = lv(h);
    std::vector<Row> rows = l->rows;   // the callback may read the list while it is sorted
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    mergeSort(order, [&](size_t a, size_t b) {
        const LPARAM x = byIndex ? LPARAM(a) : rows[a].param, y = byIndex ? LPARAM(b) : rows[b].param;
        return compare(x, y, sortParam) < 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    int mark = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(rows[order[i]]);
        if (int(order[i]) == l->mark) mark = int(i);
    }
    l->rows = std::move(sorted);
    l->mark = mark;
    return TRUE;
}

int insertRow(HWND h, const LVITEM& item) {
    auto l = lv(h);
    Row r;
    if (item.mask & LVIF_TEXT) cell(r, 0) = item.text;
    if (item.mask & LVIF_PARAM) r.param = item.lParam;
    if (item.mask & LVIF_IMAGE) r.image = item.iImage;
    if (item.mask & LVIF_STATE) r.state = item.state & item.stateMask;
    if ((l->ex & LVS_EX_CHECKBOXES) && !(r.state & LVIS_STATEIMAGEMASK)) r.state |= INDEXTOSTATEIMAGEMASK(1);
    int at = std::clamp(item.iItem, 0, int(l->rows.size()));
    const DWORD style = win(h)->style;
    if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        const bool up = style & LVS_SORTASCENDING;
        const std::string key = cell(r, 0);
        at = 0;
        while (at < int(l->rows.size())) {
            const std::string t = l->rows[size_t(at)].texts.empty() ? std::string() : l->rows[size_t(at)].texts[0];
            if (up ? t > key : t < key) break;
            ++at;
        }
    }
    l->rows.insert(l->rows.begin() + at, std::move(r));
    if (l->mark >= at) ++l->mark;
    NMLISTVIEW nm;
    nm.hdr.code = LVN_INSERTITEM;
    nm.iItem = at;
    notifyParent(h, &nm.hdr);
    return at;
}

void paintListView(HWND h, HDC dc) {
    auto l = lv(h);
    Window* w = win(h);
    RECT r;
    GetClientRect(h, &r);
    const bool enabled = IsWindowEnabled(h);
    const COLORREF back = l->bk != CLR_INVALID ? l->bk : theme::kWindow;
    FillSolidRect(dc, r, enabled ? back : GetSysColor(COLOR_BTNFACE));
    const HFONT font = fontOf(l->font);
    const int fh = fontHeight(font);
    const bool report = (w->style & LVS_TYPEMASK) == LVS_REPORT;
    const bool checks = (l->ex & LVS_EX_CHECKBOXES) != 0;
    const COLORREF line = RGB(229, 229, 229);
    int y = 1;
    std::vector<Column> cols = l->columns;
    if (!report || cols.empty()) cols = {Column{"", r.Width() - 2, LVCFMT_LEFT}};
    if (report && !(w->style & LVS_NOCOLUMNHEADER) && !l->columns.empty()) {
        const int hh = fh + 8;
        int x = 1;
        for (const auto& c : cols) {
            RECT cr{x, y, x + c.cx, y + hh};
            RECT tr{cr.left + 6, cr.top, cr.right - 6, cr.bottom};
            const UINT align = c.fmt == LVCFMT_RIGHT ? DT_RIGHT : c.fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
            DrawText(dc, c.text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | align, font, theme::kText);
            FillSolidRect(dc, RECT{cr.right - 1, cr.top + 2, cr.right, cr.bottom - 2}, line);
            x += c.cx;
        }
        FillSolidRect(dc, RECT{1, y + hh - 1, r.right - 1, y + hh}, line);
        y += hh;
    }
    const int rh = rowHeight(*l);
    const auto images = static_cast<HIMAGELIST>(l->imageList);
    int iconWidth = 0, iconHeight = 0;
    if (images) ImageList_GetIconSize(images, &iconWidth, &iconHeight);
    const COLORREF textColour = l->text != CLR_INVALID ? l->text : theme::kText;
    int total = 0;
    for (const auto& c : cols) total += c.cx;
    for (size_t i = size_t(std::max(0, l->top)); i < l->rows.size() && y < r.bottom; ++i, y += rh) {
        Row& row = l->rows[i];
        const bool sel = (row.state & LVIS_SELECTED) && (enabled);
        int x = 1;
        if (!sel && l->textBk != CLR_INVALID && l->textBk != back)
            FillSolidRect(dc, RECT{1, y, 1 + total, y + rh}, l->textBk);
        if (sel) {
            const int right = (l->ex & LVS_EX_FULLROWSELECT) ? 1 + total : 1 + cols[0].cx;
            FillSolidRect(dc, RECT{1, y, right, y + rh}, theme::kSelection);
            KvFrameRect(dc, RECT{1, y, right, y + rh}, KVPEN{PS_SOLID, 1, theme::kSelectionBorder});
        }
        for (size_t c = 0; c < cols.size(); ++c) {
            RECT cr{x, y, x + cols[c].cx, y + rh};
            int left = cr.left + 6;
            if (c == 0 && checks) {
                const UINT img = (row.state & LVIS_STATEIMAGEMASK) >> 12;
                paintCheckBox(dc, cr.left + 4, y + (rh - 13) / 2, img == 2 ? BST_CHECKED : BST_UNCHECKED, enabled);
                left = cr.left + 22;
            }
            if (c == 0 && images) {
                ImageList_Draw(images, row.image, dc, left - 4, y + (rh - iconHeight) / 2, ILD_TRANSPARENT);
                left += iconWidth;
            }
            RECT tr{left, cr.top, cr.right - 6, cr.bottom};
            const UINT align = cols[c].fmt == LVCFMT_RIGHT ? DT_RIGHT : cols[c].fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
            const std::string text = c < row.texts.size() ? row.texts[c] : std::string();
            DrawText(dc, text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | align, font,
                     enabled ? textColour : theme::kGrayText);
            if (l->ex & LVS_EX_GRIDLINES) FillSolidRect(dc, RECT{cr.right - 1, y, cr.right, y + rh}, RGB(240, 240, 240));
            x += cols[c].cx;
        }
        if (l->ex & LVS_EX_GRIDLINES) FillSolidRect(dc, RECT{1, y + rh - 1, 1 + total, y + rh}, RGB(240, 240, 240));
    }
    KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, theme::kListBorder});
}

// The row under a client point as paintListView lays the rows out; -1 for none.
int listRowAt(HWND h, int y) {
    auto l = lv(h);
    Window* w = win(h);
    int top = 1;
    if ((w->style & LVS_TYPEMASK) == LVS_REPORT && !(w->style & LVS_NOCOLUMNHEADER) && !l->columns.empty())
        top += fontHeight(fontOf(l->font)) + 8;
    if (y < top) return -1;
    const int row = std::max(0, l->top) + (y - top) / rowHeight(*l);
    return row < int(l->rows.size()) ? row : -1;
}

void clickRow(HWND h, int index, UINT code);

}  // namespace

LRESULT listViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto l = lv(h);
    const int n = int(l->rows.size());
    const auto valid = [&](int i) { return i >= 0 && i < n; };
    switch (msg) {
    case WM_SETFONT: l->font = reinterpret_cast<HFONT>(wp); return 0;
    case WM_GETFONT: return LRESULT(l->font);
    case WM_DESTROY: {
        std::lock_guard lock(gMutex);
        lists().erase(h);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) paintListView(h, dc);
        EndPaint(h, &ps);
        return 0;
    }
    case LVM_SETIMAGELIST: {
        void*& slot = wp == LVSIL_SMALL ? l->imageList : l->otherImageLists[wp < 3 ? wp : 0];
        void* old = slot;
        slot = reinterpret_cast<void*>(lp);
        return LRESULT(old);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // A click selects the row under the pointer; on a check box it also turns the check.
        const int x = std::int16_t(LOWORD(LPARAM(lp))), y = std::int16_t(HIWORD(LPARAM(lp)));
        const int row = listRowAt(h, y);
        if (!valid(row)) return 0;
        if (msg == WM_LBUTTONDOWN && (l->ex & LVS_EX_CHECKBOXES) && x < 20) {
            const UINT img = (l->rows[size_t(row)].state & LVIS_STATEIMAGEMASK) >> 12;
            changeState(h, row, INDEXTOSTATEIMAGEMASK(img == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
        }
        clickRow(h, row, msg == WM_LBUTTONDOWN ? NM_CLICK : NM_DBLCLK);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    }
    case WM_KEYDOWN: {
        // The arrow keys, Home and End move the focus and the selection to one row.
        int from = -1;
        for (int i = 0; i < n; ++i)
            if (l->rows[size_t(i)].state & LVIS_FOCUSED) from = i;
        int to = from;
        switch (int(wp)) {
        case VK_DOWN: to = from < 0 ? 0 : std::min(from + 1, n - 1); break;
        case VK_UP: to = from < 0 ? 0 : std::max(from - 1, 0); break;
        case VK_HOME: to = 0; break;
        case VK_END: to = n - 1; break;
        default: return 0;
        }
        if (n == 0 || !valid(to)) return 0;
        selectOnly(h, to);
        SendMessage(h, LVM_ENSUREVISIBLE, WPARAM(to), FALSE);
        InvalidateRect(h, nullptr, TRUE);
        return 0;
    }
    case LVM_GETITEMCOUNT: return n;
    case LVM_INSERTITEM: return lp ? insertRow(h, *reinterpret_cast<const LVITEM*>(lp)) : -1;
    case LVM_DELETEITEM: {
        if (!valid(int(wp))) return FALSE;
        NMLISTVIEW nm;
        nm.hdr.code = LVN_DELETEITEM;
        nm.iItem = int(wp);
        nm.lParam = l->rows[wp].param;
        notifyParent(h, &nm.hdr);
        if (!valid(int(wp))) return FALSE;
        l->rows.erase(l->rows.begin() + long(wp));
        if (l->mark == int(wp)) l->mark = -1;
        else if (l->mark > int(wp)) --l->mark;
        return TRUE;
    }
    case LVM_DELETEALLITEMS: {
        NMLISTVIEW nm;
        nm.hdr.code = LVN_DELETEALLITEMS;
        nm.iItem = -1;
        // TRUE from the parent: no LVN_DELETEITEM per item.
        const bool quiet = notifyParent(h, &nm.hdr) != 0;
        if (!quiet) {
            for (int i = 0; i < int(l->rows.size()); ++i) {
                NMLISTVIEW one;
                one.hdr.code = LVN_DELETEITEM;
                one.iItem = i;
                one.lParam = l->rows[size_t(i)].param;
                notifyParent(h, &one.hdr);
            }
        }
        l->rows.clear();
        l->mark = -1;
        l->top = 0;
        return TRUE;
    }
    case LVM_GETNEXTITEM: {
        const UINT flags = UINT(lp) & (LVNI_SELECTED | LVNI_FOCUSED);
        for (int i = int(wp) + 1; i < n; ++i) {
            if (i < 0) continue;
            if ((l->rows[size_t(i)].state & flags) == flags) return i;
        }
        return -1;
    }
    case LVM_ENSUREVISIBLE: {
        if (!valid(int(wp))) return FALSE;
        RECT r;
        GetClientRect(h, &r);
        const int per = std::max(1, (r.Height() - fontHeight(fontOf(l->font)) - 10) / rowHeight(*l));
        if (int(wp) < l->top) l->top = int(wp);
        else if (int(wp) >= l->top + per) l->top = int(wp) - per + 1;
        return TRUE;
    }
    case LVM_GETTOPINDEX: return l->top;
    case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEM*>(lp);
        if (!item) return FALSE;
        if (int(wp) == -1) {
            for (int i = 0; i < n; ++i) changeState(h, i, item->state, item->stateMask);
            return TRUE;
        }
        if (!valid(int(wp))) return FALSE;
        // One item at most has the focus.
        if ((item->stateMask & LVIS_FOCUSED) && (item->state & LVIS_FOCUSED)) {
            for (int i = 0; i < n; ++i)
                if (i != int(wp) && (l->rows[size_t(i)].state & LVIS_FOCUSED)) changeState(h, i, 0, LVIS_FOCUSED);
        }
        if ((win(h)->style & LVS_SINGLESEL) && (item->stateMask & LVIS_SELECTED) && (item->state & LVIS_SELECTED)) {
            for (int i = 0; i < n; ++i)
                if (i != int(wp) && (l->rows[size_t(i)].state & LVIS_SELECTED)) changeState(h, i, 0, LVIS_SELECTED);
        }
        return changeState(h, int(wp), item->state, item->stateMask);
    }
    case LVM_GETITEMSTATE: return valid(int(wp)) ? LRESULT(l->rows[wp].state & UINT(lp)) : 0;
    case LVM_SORTITEMS: return sortItems(h, LPARAM(wp), reinterpret_cast<PFNLVCOMPARE>(lp), false);
    case LVM_SORTITEMSEX: return sortItems(h, LPARAM(wp), reinterpret_cast<PFNLVCOMPARE>(lp), true);
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(l->rows.begin(), l->rows.end(), [](const Row& r) { return r.state & LVIS_SELECTED; });
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        const DWORD old = l->ex;
        const DWORD mask = wp ? DWORD(wp) : 0xFFFFFFFF;
        l->ex = (l->ex & ~mask) | (DWORD(lp) & mask);
        if ((l->ex & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES)) {
            for (auto& r : l->rows)
                if (!(r.state & LVIS_STATEIMAGEMASK)) r.state |= INDEXTOSTATEIMAGEMASK(1);
        }
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return l->ex;
    case LVM_GETSELECTIONMARK: return l->mark;
    case LVM_SETSELECTIONMARK: {
        int old = l->mark;
        l->mark = int(lp);
        return old;
    }
    case LVM_GETITEM: {
        auto* item = reinterpret_cast<LVITEM*>(lp);
        if (!item || !valid(item->iItem)) return FALSE;
        Row& r = l->rows[size_t(item->iItem)];
        if (item->mask & LVIF_TEXT) item->text = size_t(item->iSubItem) < r.texts.size() ? r.texts[size_t(item->iSubItem)] : "";
        if (item->mask & LVIF_PARAM) item->lParam = r.param;
        if (item->mask & LVIF_IMAGE) item->iImage = r.image;
        if (item->mask & LVIF_STATE) item->state = r.state & item->stateMask;
        return TRUE;
    }
    case LVM_SETITEM: {
        const auto* item = reinterpret_cast<const LVITEM*>(lp);
        if (!item || !valid(item->iItem) || item->iSubItem < 0) return FALSE;
        Row& r = l->rows[size_t(item->iItem)];
        if (item->mask & LVIF_TEXT) cell(r, item->iSubItem) = item->text;
        if (item->mask & LVIF_PARAM) r.param = item->lParam;
        if (item->mask & LVIF_IMAGE) r.image = item->iImage;
        if (item->mask & LVIF_STATE) return changeState(h, item->iItem, item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETITEMTEXT: {
        auto* item = reinterpret_cast<LVITEM*>(lp);
        if (!item || !valid(int(wp))) return 0;
        Row& r = l->rows[wp];
        item->text = item->iSubItem >= 0 && size_t(item->iSubItem) < r.texts.size() ? r.texts[size_t(item->iSubItem)] : "";
        return LRESULT(item->text.size());
    }
    case LVM_SETITEMTEXT: {
        const auto* item = reinterpret_cast<const LVITEM*>(lp);
        if (!item || !valid(int(wp)) || item->iSubItem < 0) return FALSE;
        cell(l->rows[wp], item->iSubItem) = item->text;
        return TRUE;
    }
    case LVM_FINDITEM: {
        const auto* find = reinterpret_cast<const LVFINDINFO*>(lp);
        if (!find) return -1;
        for (int i = std::max(0, int(wp) + 1); i < n; ++i) {
            const Row& r = l->rows[size_t(i)];
            if ((find->flags & LVFI_PARAM) ? r.param == find->lParam
                                           : equalsNoCase(r.texts.empty() ? std::string() : r.texts[0], find->text))
                return i;
        }
        return -1;
    }
    case LVM_INSERTCOLUMN: {
        const auto* col = reinterpret_cast<const LVCOLUMN*>(lp);
        if (!col || int(wp) < 0) return -1;
        const int at = std::min(int(wp), int(l->columns.size()));
        Column c;
        if (col->mask & LVCF_TEXT) c.text = col->text;
        if (col->mask & LVCF_WIDTH) c.cx = col->cx;
        if (col->mask & LVCF_FMT) c.fmt = col->fmt;
        l->columns.insert(l->columns.begin() + at, c);
        // Sub-item texts move with their columns.
        if (at < int(l->columns.size()) - 1)
            for (auto& r : l->rows)
                if (size_t(at) < r.texts.size()) r.texts.insert(r.texts.begin() + at, std::string());
        return at;
    }
    case LVM_DELETECOLUMN: {
        if (int(wp) < 0 || size_t(wp) >= l->columns.size()) return FALSE;
        l->columns.erase(l->columns.begin() + long(wp));
        for (auto& r : l->rows)
            if (wp < r.texts.size()) r.texts.erase(r.texts.begin() + long(wp));
        return TRUE;
    }
    case LVM_GETCOLUMN: {
        auto* col = reinterpret_cast<LVCOLUMN*>(lp);
        if (!col || int(wp) < 0 || size_t(wp) >= l->columns.size()) return FALSE;
        const Column& c = l->columns[wp];
        if (col->mask & LVCF_TEXT) col->text = c.text;
        if (col->mask & LVCF_WIDTH) col->cx = c.cx;
        if (col->mask & LVCF_FMT) col->fmt = c.fmt;
        if (col->mask & LVCF_SUBITEM) col->iSubItem = int(wp);
        return TRUE;
    }
    case LVM_SETCOLUMN: {
        const auto* col = reinterpret_cast<const LVCOLUMN*>(lp);
        if (!col || int(wp) < 0 || size_t(wp) >= l->columns.size()) return FALSE;
        Column& c = l->columns[wp];
        if (col->mask & LVCF_TEXT) c.text = col->text;
        if (col->mask & LVCF_WIDTH) c.cx = col->cx;
        if (col->mask & LVCF_FMT) c.fmt = col->fmt;
        return TRUE;
    }
    case LVM_GETCOLUMNWIDTH: return int(wp) >= 0 && size_t(wp) < l->columns.size() ? l->columns[wp].cx : 0;
    case LVM_SETCOLUMNWIDTH:
        if (int(wp) < 0 || size_t(wp) >= l->columns.size()) return FALSE;
        l->columns[wp].cx = std::max(0, int(short(LOWORD(WPARAM(lp)))));
        return TRUE;
    case LVM_SETBKCOLOR: l->bk = COLORREF(lp); return TRUE;
    case LVM_SETTEXTCOLOR: l->text = COLORREF(lp); return TRUE;
    case LVM_SETTEXTBKCOLOR: l->textBk = COLORREF(lp); return TRUE;
    default: return 0;
    }
}

namespace {

int findRow(HWND h, const std::string& arg) {
    auto l = lv(h);
    int index = -1;
    if (parseIndex(arg, &index)) {
        if (size_t(index) >= l->rows.size()) throw ActionError("list view " + std::to_string(GetDlgCtrlID(h)) + " has no row " + arg);
        return index;
    }
    for (size_t i = 0; i < l->rows.size(); ++i)
        if (!l->rows[i].texts.empty() && l->rows[i].texts[0] == arg) return int(i);
    throw ActionError("no row '" + arg + "' in list view " + std::to_string(GetDlgCtrlID(h)));
}

void clickRow(HWND h, int index, UINT code) {
    selectOnly(h, index);
    NMITEMACTIVATE nm;
    nm.hdr.code = code;
    nm.iItem = index;
    notifyParent(h, &nm.hdr);
}

}  // namespace

bool isListView(HWND h) { return win(h) && win(h)->className == "SysListView32"; }

void forgetListViews() {
    std::lock_guard lock(gMutex);
    lists().clear();
}

void listViewCheck(HWND h, bool on, const std::string& row) {
    if (!(lv(h)->ex & LVS_EX_CHECKBOXES)) throw ActionError("list view " + std::to_string(GetDlgCtrlID(h)) + " has no check boxes");
    const int index = findRow(h, row);
    changeState(h, index, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
    NMITEMACTIVATE nm;
    nm.hdr.code = NM_CLICK;
    nm.iItem = index;
    notifyParent(h, &nm.hdr);
}

void listViewSelect(HWND h, const std::string& arg) { clickRow(h, findRow(h, arg), NM_CLICK); }

void listViewDoubleClick(HWND h, const std::string& row) { clickRow(h, findRow(h, row), NM_DBLCLK); }

void listViewRightClick(HWND h, const std::string& row) {
    // A right click on a row selects it (unless it is selected already); on empty space nothing.
    int index = row.empty() ? -1 : findRow(h, row);
    if (index >= 0 && !(lv(h)->rows[size_t(index)].state & LVIS_SELECTED)) selectOnly(h, index);
    NMITEMACTIVATE nm;
    nm.hdr.code = NM_RCLICK;
    nm.iItem = index;
    notifyParent(h, &nm.hdr);
}

void listViewColumnClick(HWND h, int column) {
    auto l = lv(h);
    if (column < 0 || size_t(column) >= l->columns.size())
        throw ActionError("list view " + std::to_string(GetDlgCtrlID(h)) + " has no column " + std::to_string(column));
    if (win(h)->style & LVS_NOSORTHEADER) return;   // the header is no button
    NMLISTVIEW nm;
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = column;
    notifyParent(h, &nm.hdr);
}

std::string describeListView(HWND h) {
    std::string out;
    auto l = lv(h);
    out += " rows=" + std::to_string(l->rows.size());
    std::string sel, checked;
    for (size_t i = 0; i < l->rows.size(); ++i) {
        if (l->rows[i].state & LVIS_SELECTED) sel += (sel.empty() ? "" : ",") + std::to_string(i);
        if ((l->ex & LVS_EX_CHECKBOXES) && ((l->rows[i].state & LVIS_STATEIMAGEMASK) >> 12) == 2)
            checked += (checked.empty() ? "" : ",") + std::to_string(i);
    }
    out += " sel=" + (sel.empty() ? std::string("none") : sel);
    if (l->ex & LVS_EX_CHECKBOXES) out += " checked=" + (checked.empty() ? std::string("none") : checked);
    for (size_t i = 0; i < l->rows.size() && i < 20; ++i) {
        std::string line;
        for (size_t c = 0; c < l->rows[i].texts.size(); ++c) line += (c ? " | " : "") + l->rows[i].texts[c];
        out += "\n      " + std::to_string(i) + ": " + line;
    }
    return out;
}

}  // namespace sim::desk
