// The tree view, with the notifications of the common controls.
#include <algorithm>
#include <cstdint>
#include <functional>
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

struct TreeNode {
    HTREEITEM parent = nullptr;
    std::vector<HTREEITEM> kids;
    std::string text;
    UINT state = 0;
    LPARAM param = 0;
    int image = 0, selImage = 0, cChildren = 0;
};
struct TreeView {
    HFONT font = nullptr;
    std::map<HTREEITEM, TreeNode> nodes;
    std::vector<HTREEITEM> roots;
    HTREEITEM selected = nullptr;
    void* imageList = nullptr;
};

std::recursive_mutex gMutex;
std::map<HWND, std::shared_ptr<TreeView>>& trees() {
    static std::map<HWND, std::shared_ptr<TreeView>> m;
    return m;
}
std::shared_ptr<TreeView> tv(HWND h) {
    std::lock_guard lock(gMutex);
    auto& p = trees()[h];
    if (!p) p = std::make_shared<TreeView>();
    return p;
}

std::uintptr_t gNextTreeItem = 0x30010;

bool isSpecial(HTREEITEM h) {
    return h == TVI_ROOT || h == TVI_FIRST || h == TVI_LAST || h == TVI_SORT || h == nullptr;
}

std::vector<HTREEITEM>& siblingsOf(TreeView& t, HTREEITEM parent) {
    if (isSpecial(parent)) return t.roots;
    return t.nodes[parent].kids;
}

void fillItem(const TreeNode& node, HTREEITEM h, TVITEM* out) {
    out->hItem = h;
    if (out->mask & TVIF_TEXT) out->text = node.text;
    if (out->mask & TVIF_PARAM) out->lParam = node.param;
    if (out->mask & TVIF_STATE) out->state = node.state & (out->stateMask ? out->stateMask : 0xFFFFFFFF);
    if (out->mask & TVIF_IMAGE) out->iImage = node.image;
    if (out->mask & TVIF_SELECTEDIMAGE) out->iSelectedImage = node.selImage;
    if (out->mask & TVIF_CHILDREN) out->cChildren = node.kids.empty() ? node.cChildren : 1;
}

HTREEITEM insertNode(HWND h, const TVINSERTSTRUCT& ins) {
    auto t = tv(h);
    HTREEITEM parent = isSpecial(ins.hParent) ? TVI_ROOT : ins.hParent;
    if (parent != TVI_ROOT && !t->nodes.count(parent)) return nullptr;
    TreeNode node;
    node.parent = parent == TVI_ROOT ? nullptr : parent;
    const TVITEM& item = ins.item;
    if (item.mask & TVIF_TEXT) node.text = item.text;
    if (item.mask & TVIF_PARAM) node.param = item.lParam;
    if (item.mask & TVIF_STATE) node.state = item.state & (item.stateMask ? item.stateMask : 0xFFFFFFFF);
    if (item.mask & TVIF_IMAGE) node.image = item.iImage;
    if (item.mask & TVIF_SELECTEDIMAGE) node.selImage = item.iSelectedImage;
    if (item.mask & TVIF_CHILDREN) node.cChildren = item.cChildren;
    node.state &= ~TVIS_SELECTED;
    auto handle = reinterpret_cast<HTREEITEM>(gNextTreeItem);
    gNextTreeItem += 4;
    auto& sibs = siblingsOf(*t, parent);
    size_t at = sibs.size();
    if (ins.hInsertAfter == TVI_FIRST) {
        at = 0;
    } else if (ins.hInsertAfter == TVI_SORT) {
        at = 0;
        while (at < sibs.size() && t->nodes[sibs[at]].text <= node.text) ++at;
    } else if (ins.hInsertAfter != TVI_LAST && ins.hInsertAfter) {
        auto it = std::find(sibs.begin(), sibs.end(), ins.hInsertAfter);
        at = it == sibs.end() ? sibs.size() : size_t(it - sibs.begin()) + 1;
    }
    sibs.insert(sibs.begin() + long(at), handle);
    t->nodes[handle] = std::move(node);
    return handle;
}

void deleteNode(HWND h, HTREEITEM item) {
    auto t = tv(h);
    auto it = t->nodes.find(item);
    if (it == t->nodes.end()) return;
    for (HTREEITEM kid : std::vector<HTREEITEM>(it->second.kids)) deleteNode(h, kid);
    NMTREEVIEW nm;
    nm.hdr.code = TVN_DELETEITEM;
    nm.itemOld.hItem = item;
    nm.itemOld.lParam = t->nodes[item].param;
    notifyParent(h, &nm.hdr);
    auto& sibs = siblingsOf(*t, t->nodes[item].parent);
    std::erase(sibs, item);
    if (t->selected == item) t->selected = nullptr;
    t->nodes.erase(item);
}

bool selectNode(HWND h, HTREEITEM item, UINT action) {
    auto t = tv(h);
    if (item && !t->nodes.count(item)) return false;
    if (t->selected == item) return true;
    NMTREEVIEW nm;
    nm.hdr.code = TVN_SELCHANGING;
    nm.action = action;
    nm.itemOld.mask = nm.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE | TVIF_TEXT;
    if (t->selected) fillItem(t->nodes[t->selected], t->selected, &nm.itemOld);
    if (item) fillItem(t->nodes[item], item, &nm.itemNew);
    if (notifyParent(h, &nm.hdr)) return false;
    if (item && !t->nodes.count(item)) return false;
    if (t->selected && t->nodes.count(t->selected)) t->nodes[t->selected].state &= ~TVIS_SELECTED;
    t->selected = item;
    if (item) {
        t->nodes[item].state |= TVIS_SELECTED;
        // A selected item is shown: its parents open.
        for (HTREEITEM p = t->nodes[item].parent; p && t->nodes.count(p); p = t->nodes[p].parent) t->nodes[p].state |= TVIS_EXPANDED;
    }
    nm.hdr.code = TVN_SELCHANGED;
    notifyParent(h, &nm.hdr);
    return true;
}

bool expandNode(HWND h, HTREEITEM item, UINT how) {
    auto t = tv(h);
    auto it = t->nodes.find(item);
    if (it == t->nodes.end()) return false;
    const bool open = (it->second.state & TVIS_EXPANDED) != 0;
    bool want = open;
    switch (how & 0x3) {
    case TVE_EXPAND: want = true; break;
    case TVE_COLLAPSE: want = false; break;
    case TVE_TOGGLE: want = !open; break;
    default: return false;
    }
    if (want == open) return true;
    NMTREEVIEW nm;
    nm.hdr.code = TVN_ITEMEXPANDING;
    nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
    nm.itemNew.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
    fillItem(it->second, item, &nm.itemNew);
    if (notifyParent(h, &nm.hdr)) return false;
    if (!t->nodes.count(item)) return false;
    t->nodes[item].state = want ? (t->nodes[item].state | TVIS_EXPANDED) : (t->nodes[item].state & ~TVIS_EXPANDED);
    nm.hdr.code = TVN_ITEMEXPANDED;
    notifyParent(h, &nm.hdr);
    return true;
}

// Visible items in display order with their depth.
void visibleNodes(TreeView& t, const std::vector<HTREEITEM>& level, int depth, std::vector<std::pair<HTREEITEM, int>>& out) {
    for (HTREEITEM item : level) {
        out.emplace_back(item, depth);
        const TreeNode& n = t.nodes[item];
        if (n.state & TVIS_EXPANDED) visibleNodes(t, n.kids, depth + 1, out);
    }
}

void paintTreeView(HWND h, HDC dc) {
    auto t = tv(h);
    Window* w = win(h);
    RECT r;
    GetClientRect(h, &r);
    const bool enabled = IsWindowEnabled(h);
    FillSolidRect(dc, r, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
    const HFONT font = fontOf(t->font);
    const int rh = fontHeight(font) + 4;
    const bool buttons = (w->style & TVS_HASBUTTONS) != 0;
    const bool rootButtons = buttons && (w->style & TVS_LINESATROOT);
    std::vector<std::pair<HTREEITEM, int>> rows;
    visibleNodes(*t, t->roots, 0, rows);
    int y = 2;
    for (const auto& [item, depth] : rows) {
        if (y >= r.bottom) break;
        const TreeNode& n = t->nodes[item];
        int x = 2 + depth * 19 + (rootButtons ? 19 : 0);
        const bool hasKids = !n.kids.empty() || n.cChildren > 0;
        if (buttons && hasKids && (depth > 0 || rootButtons)) {
            const int bx = x - 19 + 5, by = y + (rh - 9) / 2;
            const RECT box{bx, by, bx + 9, by + 9};
            FillSolidRect(dc, box, theme::kWindow);
            KvFrameRect(dc, box, KVPEN{PS_SOLID, 1, RGB(145, 145, 145)});
            FillSolidRect(dc, RECT{bx + 2, by + 4, bx + 7, by + 5}, theme::kGlyph);
            if (!(n.state & TVIS_EXPANDED)) FillSolidRect(dc, RECT{bx + 4, by + 2, bx + 5, by + 7}, theme::kGlyph);
        }
        if (w->style & TVS_CHECKBOXES) {
            const UINT img = (n.state & 0xF000) >> 12;
            paintCheckBox(dc, x, y + (rh - 13) / 2, img == 2 ? BST_CHECKED : BST_UNCHECKED, enabled);
            x += 16;
        }
        const SIZE ext = KvGetTextExtent(dc, font, n.text);
        RECT tr{x, y, x + ext.cx + 6, y + rh};
        const bool sel = item == t->selected;
        if (sel) FillSolidRect(dc, tr, enabled ? theme::kAccent : RGB(217, 217, 217));
        tr.left += 3;
        DrawText(dc, n.text, &tr, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP, font,
                 sel && enabled ? theme::kWindow : enabled ? theme::kText : theme::kGrayText);
        y += rh;
    }
    KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, theme::kListBorder});
}

// A click in a tree view as paintTreeView lays the rows out: the button opens or closes the
// item, the check box turns its check, anywhere else on the row selects it.
void treeClick(HWND h, int x, int y, bool twice) {
    auto t = tv(h);
    Window* w = win(h);
    const int rh = fontHeight(fontOf(t->font)) + 4;
    std::vector<std::pair<HTREEITEM, int>> rows;
    visibleNodes(*t, t->roots, 0, rows);
    if (y < 2 || (y - 2) / rh >= int(rows.size())) return;
    const auto [item, depth] = rows[size_t((y - 2) / rh)];
    TreeNode& n = t->nodes[item];
    const bool rootButtons = (w->style & TVS_HASBUTTONS) && (w->style & TVS_LINESATROOT);
    const int left = 2 + depth * 19 + (rootButtons ? 19 : 0);
    const bool hasKids = !n.kids.empty() || n.cChildren > 0;
    if (!twice && (w->style & TVS_HASBUTTONS) && hasKids && (depth > 0 || rootButtons) && x >= left - 19 && x < left) {
        expandNode(h, item, TVE_TOGGLE);
    } else if (!twice && (w->style & TVS_CHECKBOXES) && x >= left && x < left + 16) {
        const UINT img = (n.state & 0xF000) >> 12;
        n.state = (n.state & ~0xF000u) | INDEXTOSTATEIMAGEMASK(img == 2 ? 1 : 2);
        NMHDR nm;
        nm.code = NM_CLICK;
        notifyParent(h, &nm);
    } else {
        selectNode(h, item, TVC_BYMOUSE);
        NMHDR nm;
        nm.code = twice ? NM_DBLCLK : NM_CLICK;
        if (!notifyParent(h, &nm) && twice) expandNode(h, item, TVE_TOGGLE);
    }
    InvalidateRect(h, nullptr, TRUE);
}

}  // namespace

LRESULT treeViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto t = tv(h);
    const auto item = reinterpret_cast<HTREEITEM>(lp);
    switch (msg) {
    case WM_SETFONT: t->font = reinterpret_cast<HFONT>(wp); return 0;
    case WM_GETFONT: return LRESULT(t->font);
    case WM_DESTROY: {
        std::lock_guard lock(gMutex);
        trees().erase(h);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) paintTreeView(h, dc);
        EndPaint(h, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        treeClick(h, std::int16_t(LOWORD(LPARAM(lp))), std::int16_t(HIWORD(LPARAM(lp))), msg == WM_LBUTTONDBLCLK);
        return 0;
    case TVM_INSERTITEM: return lp ? LRESULT(insertNode(h, *reinterpret_cast<const TVINSERTSTRUCT*>(lp))) : 0;
    case TVM_DELETEITEM:
        if (item == TVI_ROOT || item == nullptr) {
            for (HTREEITEM root : std::vector<HTREEITEM>(t->roots)) deleteNode(h, root);
            return TRUE;
        }
        if (!t->nodes.count(item)) return FALSE;
        deleteNode(h, item);
        return TRUE;
    case TVM_EXPAND: return expandNode(h, item, UINT(wp));
    case TVM_GETCOUNT: return LRESULT(t->nodes.size());
    case TVM_SETIMAGELIST: {
        void* old = t->imageList;
        t->imageList = reinterpret_cast<void*>(lp);
        return LRESULT(old);
    }
    case TVM_GETNEXTITEM: {
        const auto node = t->nodes.find(item);
        const bool known = node != t->nodes.end();
        switch (UINT(wp)) {
        case TVGN_ROOT: return t->roots.empty() ? 0 : LRESULT(t->roots.front());
        case TVGN_CARET: return LRESULT(t->selected);
        case TVGN_PARENT: return known ? LRESULT(node->second.parent) : 0;
        case TVGN_CHILD: {
            if (item == TVI_ROOT || item == nullptr) return t->roots.empty() ? 0 : LRESULT(t->roots.front());
            return known && !node->second.kids.empty() ? LRESULT(node->second.kids.front()) : 0;
        }
        case TVGN_NEXT:
        case TVGN_PREVIOUS: {
            if (!known) return 0;
            auto& sibs = siblingsOf(*t, node->second.parent);
            auto it = std::find(sibs.begin(), sibs.end(), item);
            if (it == sibs.end()) return 0;
            if (UINT(wp) == TVGN_NEXT) return it + 1 == sibs.end() ? 0 : LRESULT(*(it + 1));
            return it == sibs.begin() ? 0 : LRESULT(*(it - 1));
        }
        default: return 0;
        }
    }
    case TVM_SELECTITEM:
        if (UINT(wp) != TVGN_CARET) return FALSE;
        return selectNode(h, item, TVC_UNKNOWN);
    case TVM_ENSUREVISIBLE: {
        if (!t->nodes.count(item)) return FALSE;
        for (HTREEITEM p = t->nodes[item].parent; p && t->nodes.count(p); p = t->nodes[p].parent) expandNode(h, p, TVE_EXPAND);
        return TRUE;
    }
    case TVM_GETITEM: {
        auto* out = reinterpret_cast<TVITEM*>(lp);
        if (!out || !t->nodes.count(out->hItem)) return FALSE;
        fillItem(t->nodes[out->hItem], out->hItem, out);
        return TRUE;
    }
    case TVM_SETITEM: {
        const auto* in = reinterpret_cast<const TVITEM*>(lp);
        if (!in || !t->nodes.count(in->hItem)) return FALSE;
        TreeNode& n = t->nodes[in->hItem];
        if (in->mask & TVIF_TEXT) n.text = in->text;
        if (in->mask & TVIF_PARAM) n.param = in->lParam;
        if (in->mask & TVIF_IMAGE) n.image = in->iImage;
        if (in->mask & TVIF_SELECTEDIMAGE) n.selImage = in->iSelectedImage;
        if (in->mask & TVIF_CHILDREN) n.cChildren = in->cChildren;
        if (in->mask & TVIF_STATE) {
            const UINT mask = in->stateMask & ~TVIS_SELECTED;
            n.state = (n.state & ~mask) | (in->state & mask);
        }
        return TRUE;
    }
    default: return 0;
    }
}

namespace {

// A tree item by "Parent>Child" path or by its text anywhere in the tree.
HTREEITEM findNode(HWND h, const std::string& arg) {
    auto t = tv(h);
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t gt = arg.find('>', start);
        parts.push_back(arg.substr(start, gt - start));
        if (gt == std::string::npos) break;
        start = gt + 1;
    }
    if (parts.size() > 1) {
        const std::vector<HTREEITEM>* level = &t->roots;
        HTREEITEM found = nullptr;
        for (const auto& p : parts) {
            found = nullptr;
            for (HTREEITEM c : *level)
                if (t->nodes[c].text == p) {
                    found = c;
                    break;
                }
            if (!found) break;
            level = &t->nodes[found].kids;
        }
        if (found) return found;
    } else {
        std::vector<std::pair<HTREEITEM, int>> all;
        std::function<void(const std::vector<HTREEITEM>&)> walk = [&](const std::vector<HTREEITEM>& level) {
            for (HTREEITEM c : level) {
                all.emplace_back(c, 0);
                walk(t->nodes[c].kids);
            }
        };
        walk(t->roots);
        for (const auto& [c, d] : all)
            if (t->nodes[c].text == arg) return c;
    }
    throw ActionError("no item '" + arg + "' in tree view " + std::to_string(GetDlgCtrlID(h)));
}

std::string quote(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

bool isTreeView(HWND h) { return win(h) && win(h)->className == "SysTreeView32"; }

void forgetTreeViews() {
    std::lock_guard lock(gMutex);
    trees().clear();
}

void treeViewCheck(HWND h, bool on, const std::string& row) {
    if (!(win(h)->style & TVS_CHECKBOXES)) throw ActionError("tree view " + std::to_string(GetDlgCtrlID(h)) + " has no check boxes");
    HTREEITEM item = findNode(h, row);
    auto t = tv(h);
    t->nodes[item].state = (t->nodes[item].state & ~0xF000u) | INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    NMHDR nm;
    nm.code = NM_CLICK;
    notifyParent(h, &nm);
}

void treeViewSelect(HWND h, const std::string& arg) {
    HTREEITEM item = findNode(h, arg);
    selectNode(h, item, TVC_BYMOUSE);
    NMHDR nm;
    nm.code = NM_CLICK;
    notifyParent(h, &nm);
}

void treeViewDoubleClick(HWND h, const std::string& row) {
    HTREEITEM item = findNode(h, row);
    selectNode(h, item, TVC_BYMOUSE);
    NMHDR nm;
    nm.code = NM_DBLCLK;
    if (!notifyParent(h, &nm)) expandNode(h, item, TVE_TOGGLE);
}

void treeViewRightClick(HWND h, const std::string& row) {
    if (!row.empty()) findNode(h, row);
    NMHDR nm;
    nm.code = NM_RCLICK;
    notifyParent(h, &nm);
}

std::string describeTreeView(HWND h) {
    std::string out;
    auto t = tv(h);
    out += " items=" + std::to_string(t->nodes.size());
    std::string path;
    for (HTREEITEM p = t->selected; p && t->nodes.count(p); p = t->nodes[p].parent)
        path = t->nodes[p].text + (path.empty() ? "" : ">" + path);
    out += " sel=" + (t->selected ? quote(path) : std::string("none"));
    return out;
}

}  // namespace sim::desk
