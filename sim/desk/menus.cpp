// Menus as real structures: items by position, popups, check and grey states, bitmaps; menus
// from resources; tracking a popup hands it to the script.
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "sim/desk/controls_internal.h"
#include "sim/gfx/canvas.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialog_template.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"
#include "sim/pe/modules.h"
#include "win/menu.h"

namespace sim::desk {
namespace {

struct Item {
    UINT flags = 0;     // MF_ state and kind bits (MF_POPUP, MF_SEPARATOR, MF_CHECKED, MF_GRAYED, ...)
    UINT_PTR id = 0;    // command id, or the submenu handle for MF_POPUP
    std::string text;
    HBITMAP bitmap = nullptr;      // MF_BITMAP: shown instead of the text
    HBITMAP unchecked = nullptr;   // SetMenuItemBitmaps: beside the text
    HBITMAP checked = nullptr;
};
struct Menu {
    std::vector<Item> items;
};

struct Menus {
    std::recursive_mutex mutex;
    std::map<HMENU, std::unique_ptr<Menu>> all;
    std::uintptr_t next = 0x20010;

    HMENU create() {
        std::lock_guard lock(mutex);
        auto h = reinterpret_cast<HMENU>(next);
        next += 4;
        all[h] = std::make_unique<Menu>();
        return h;
    }
    Menu* find(HMENU h) {
        std::lock_guard lock(mutex);
        auto it = all.find(h);
        return it == all.end() ? nullptr : it->second.get();
    }
    // Index of an item by position or by command id (searching submenus too, as Win32 does).
    Item* locate(HMENU h, UINT item, UINT flags, Menu** owner = nullptr, size_t* index = nullptr) {
        Menu* m = find(h);
        if (!m) return nullptr;
        if (flags & MF_BYPOSITION) {
            if (item >= m->items.size()) return nullptr;
            if (owner) *owner = m;
            if (index) *index = item;
            return &m->items[item];
        }
        for (size_t i = 0; i < m->items.size(); ++i) {
            Item& it = m->items[i];
            if (it.flags & MF_POPUP) {
                if (Item* sub = locate(reinterpret_cast<HMENU>(it.id), item, flags, owner, index)) return sub;
            } else if (!(it.flags & MF_SEPARATOR) && it.id == item) {
                if (owner) *owner = m;
                if (index) *index = i;
                return &it;
            }
        }
        return nullptr;
    }
};
Menus& menus() {
    static Menus m;
    return m;
}

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE;

Item makeItem(UINT flags, UINT_PTR id, const std::string& text) {
    Item it;
    it.flags = flags & ~(MF_BYPOSITION | MF_BITMAP);
    it.id = id;
    it.text = (flags & MF_SEPARATOR) ? std::string() : text;
    return it;
}

Item makeBitmapItem(UINT flags, UINT_PTR id, HBITMAP bitmap) {
    Item it;
    it.flags = (flags & ~MF_BYPOSITION) | MF_BITMAP;
    it.id = id;
    it.bitmap = bitmap;
    return it;
}

// ---- Tracking ---------------------------------------------------------------------------------

std::deque<std::string> gPicks;
std::optional<TrackedMenu> gTracked;

// "&3 Save All\tCtrl+S" is picked as "3 Save All" or "Save All" too.
std::string plainText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\t') break;
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') out += text[++i];
            continue;
        }
        out += text[i];
    }
    return out;
}
std::string withoutNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i > 0 && i < text.size() && text[i] == ' ' ? text.substr(i + 1) : text;
}

Item* findByText(Menu* m, const std::string& name) {
    if (name.size() > 1 && name[0] == '#') {
        size_t pos = 0;
        try {
            pos = std::stoul(name.substr(1));
        } catch (const std::exception&) {
            return nullptr;
        }
        return pos < m->items.size() ? &m->items[pos] : nullptr;
    }
    for (int pass = 0; pass < 3; ++pass) {
        for (Item& it : m->items) {
            if (it.flags & (MF_SEPARATOR | MF_BITMAP)) continue;
            const std::string t = pass == 0 ? it.text : pass == 1 ? plainText(it.text) : withoutNumber(plainText(it.text));
            if (t == name) return &it;
        }
    }
    return nullptr;
}

void buildFrom(HMENU menu, const std::vector<MenuItemTemplate>& items) {
    for (const auto& t : items) {
        if (t.flags & MF_POPUP) {
            HMENU sub = CreatePopupMenu();
            buildFrom(sub, t.popup);
            AppendMenu(menu, t.flags, UINT_PTR(sub), t.text);
        } else {
            AppendMenu(menu, t.flags, t.id, t.text);
        }
    }
}

// ---- Pictures of tracked menus ------------------------------------------------------------------
// A tracked menu is drawn when it is tracked (its bitmaps and submenus are usually gone after),
// with the submenus along the picked entry's path opened beside their entries.

HDC gPicture = nullptr;

namespace look {
constexpr COLORREF kFace = RGB(242, 242, 242);
constexpr COLORREF kBorder = RGB(151, 151, 151);
constexpr COLORREF kRule = RGB(215, 215, 215);
constexpr int kGutter = 28;   // check marks and pictures beside the text
constexpr int kRowHeight = 22;
constexpr int kRuleHeight = 9;
}  // namespace look

struct Panel {
    HMENU menu;
    int x, y;
};

int rowHeight(const Item& it) {
    if (it.flags & MF_SEPARATOR) return look::kRuleHeight;
    if (it.flags & MF_BITMAP) {
        BITMAP info{};
        if (it.bitmap && GetObject(it.bitmap, &info)) return std::max(look::kRowHeight, int(info.bmHeight) + 6);
    }
    return look::kRowHeight;
}

SIZE panelSize(HDC measure, const Menu& m) {
    int width = 80, height = 4;
    for (const Item& it : m.items) {
        height += rowHeight(it);
        int w = 0;
        if (it.flags & MF_BITMAP) {
            BITMAP info{};
            if (it.bitmap && GetObject(it.bitmap, &info)) w = int(info.bmWidth);
        } else if (!(it.flags & MF_SEPARATOR)) {
            const std::string text = plainText(it.text);
            w = KvGetTextExtent(measure, defaultControlFont(), text).cx;
        }
        width = std::max(width, look::kGutter + 6 + w + 36);
    }
    return {width, height};
}

void drawCheck(HDC dc, int x, int y, COLORREF colour) {
    const KVPEN pen{PS_SOLID, 2, colour};
    KvLine(dc, {x, y + 4}, {x + 3, y + 7}, pen);
    KvLine(dc, {x + 3, y + 7}, {x + 9, y}, pen);
}

void drawPanel(HDC dc, const Menu& m, int x, int y, SIZE size, int openRow) {
    FillSolidRect(dc, RECT{x, y, x + size.cx, y + size.cy}, look::kFace);
    KvFrameRect(dc, RECT{x, y, x + size.cx, y + size.cy}, KVPEN{PS_SOLID, 1, look::kBorder});
    int top = y + 2;
    for (size_t i = 0; i < m.items.size(); ++i) {
        const Item& it = m.items[i];
        const int h = rowHeight(it);
        const RECT row{x + 2, top, x + size.cx - 2, top + h};
        if (it.flags & MF_SEPARATOR) {
            FillSolidRect(dc, RECT{x + look::kGutter, top + h / 2, x + size.cx - 4, top + h / 2 + 1}, look::kRule);
            top += h;
            continue;
        }
        const bool grey = it.flags & (MF_GRAYED | MF_DISABLED);
        if ((it.flags & MF_HILITE) || int(i) == openRow) {
            FillSolidRect(dc, row, theme::kSelection);
            KvFrameRect(dc, row, KVPEN{PS_SOLID, 1, theme::kSelectionBorder});
        }
        const COLORREF ink = grey ? theme::kGrayText : theme::kText;
        if (HBITMAP beside = (it.flags & MF_CHECKED) && it.checked ? it.checked : it.unchecked) {
            KvDrawBitmapFit(dc, RECT{x + 6, top + 3, x + look::kGutter - 4, top + h - 3}, beside, KVBMP_KEYED);
        } else if (it.flags & MF_CHECKED) {
            drawCheck(dc, x + 9, top + h / 2 - 4, ink);
        }
        if (it.flags & MF_BITMAP) {
            BITMAP info{};
            if (it.bitmap && GetObject(it.bitmap, &info))
                KvDrawBitmap(dc, x + look::kGutter + 4, top + (h - int(info.bmHeight)) / 2, it.bitmap, KVBMP_NORMAL);
        } else {
            const std::string text = plainText(it.text);
            RECT tr{x + look::kGutter + 4, top, x + size.cx - 20, top + h};
            DrawText(dc, text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, defaultControlFont(), ink);
        }
        if (it.flags & MF_POPUP) {
            const int ax = x + size.cx - 14, ay = top + h / 2;
            for (int k = 0; k < 4; ++k) KvLine(dc, {ax + k, ay - 3 + k}, {ax + k, ay + 4 - k}, KVPEN{PS_SOLID, 1, ink});
        }
        top += h;
    }
}

// Where the panels of `menu` and of the submenus open along `path` (item positions) stand,
// relative to the first panel's top left corner.
struct Placed {
    const Menu* m;
    int x, y;
    SIZE size;
    int openRow;
};
std::vector<Placed> placePanels(HMENU menu, const std::vector<size_t>& path) {
    HDC measure = KvCreateBufferDC(nullptr, 1, 1);
    std::vector<Placed> panels;
    int x = 0, y = 0;
    const Menu* m = menus().find(menu);
    for (size_t level = 0; m; ++level) {
        const SIZE size = panelSize(measure, *m);
        const int open = level < path.size() ? int(path[level]) : -1;
        panels.push_back({m, x, y, size, open});
        if (open < 0 || size_t(open) >= m->items.size() || !(m->items[size_t(open)].flags & MF_POPUP)) break;
        int rowTop = y + 2;
        for (int i = 0; i < open; ++i) rowTop += rowHeight(m->items[size_t(i)]);
        x += size.cx - 4;
        y = rowTop - 2;
        m = menus().find(reinterpret_cast<HMENU>(m->items[size_t(open)].id));
    }
    DeleteDC(measure);
    return panels;
}

// Draws `menu` and the submenus at `path` (item positions) into a new canvas.
HDC renderMenu(HMENU menu, const std::vector<size_t>& path) {
    const std::vector<Placed> panels = placePanels(menu, path);
    int width = 1, height = 1;
    for (const Placed& p : panels) {
        width = std::max(width, p.x + int(p.size.cx) + 4);
        height = std::max(height, p.y + int(p.size.cy) + 4);
    }
    HDC dc = KvCreateBufferDC(nullptr, width, height);
    if (!dc) return nullptr;
    FillSolidRect(dc, RECT{0, 0, width, height}, RGB(255, 255, 255));
    for (const Placed& p : panels) drawPanel(dc, *p.m, p.x, p.y, p.size, p.openRow);
    return dc;
}

void keepPicture(HDC picture) {
    if (gPicture) DeleteDC(gPicture);
    gPicture = picture;
}

}  // namespace

std::string dumpMenu(HMENU menu, int indent) {
    std::ostringstream out;
    Menu* m = menus().find(menu);
    if (!m) return "";
    for (const Item& it : m->items) {
        out << std::string(size_t(indent), ' ');
        if (it.flags & MF_SEPARATOR) {
            out << "---\n";
            continue;
        }
        if (it.flags & MF_BITMAP) {
            BITMAP info;
            GetObject(it.bitmap, &info);
            out << "[bitmap " << info.bmWidth << "x" << info.bmHeight << "]";
        } else {
            out << it.text;
        }
        if (!(it.flags & MF_POPUP)) out << "  [" << it.id << "]";
        if (it.flags & MF_CHECKED) out << " checked";
        if (it.flags & (MF_GRAYED | MF_DISABLED)) out << " grayed";
        if (it.flags & MF_HILITE) out << " highlighted";
        if (it.unchecked || it.checked) out << " with-bitmap";
        out << "\n";
        if (it.flags & MF_POPUP) out << dumpMenu(reinterpret_cast<HMENU>(it.id), indent + 2);
    }
    return out.str();
}

void resetMenus() {
    std::lock_guard lock(menus().mutex);
    menus().all.clear();
}

void resetMenuPicks() {
    std::lock_guard lock(menus().mutex);
    gPicks.clear();
    gTracked.reset();
    keepPicture(nullptr);
}

void queueMenuPick(std::string path) {
    std::lock_guard lock(menus().mutex);
    gPicks.push_back(std::move(path));
}

bool writeLastMenuPicture(const std::string& path) {
    std::lock_guard lock(menus().mutex);
    return gPicture && sim::gfx::writePng(gPicture, path);
}

std::function<std::optional<std::vector<size_t>>(HMENU, POINT)>& liveMenuTracker() {
    static std::function<std::optional<std::vector<size_t>>(HMENU, POINT)> tracker;
    return tracker;
}

HDC renderMenuPicture(HMENU menu, const std::vector<size_t>& path) { return renderMenu(menu, path); }

std::optional<MenuRow> menuRowAt(HMENU menu, const std::vector<size_t>& open, POINT at) {
    const std::vector<Placed> panels = placePanels(menu, open);
    // The deepest panel first: a submenu overlaps its parent's edge.
    for (size_t level = panels.size(); level-- > 0;) {
        const Placed& p = panels[level];
        if (at.x < p.x || at.x >= p.x + p.size.cx || at.y < p.y || at.y >= p.y + p.size.cy) continue;
        int top = p.y + 2;
        for (size_t i = 0; i < p.m->items.size(); ++i) {
            const Item& it = p.m->items[i];
            const int h = rowHeight(it);
            if (at.y >= top && at.y < top + h) {
                MenuRow row;
                row.path.assign(open.begin(), open.begin() + long(std::min(level, open.size())));
                row.path.push_back(i);
                row.flags = it.flags;
                row.text = (it.flags & MF_BITMAP) ? "#" + std::to_string(i) : plainText(it.text);
                return row;
            }
            top += h;
        }
        return std::nullopt;   // on the panel's border
    }
    return std::nullopt;
}

std::optional<TrackedMenu> lastTrackedMenu() {
    std::lock_guard lock(menus().mutex);
    return gTracked;
}

}  // namespace sim::desk

using sim::desk::menus;

HMENU CreateMenu() { return menus().create(); }
HMENU CreatePopupMenu() { return menus().create(); }

BOOL DestroyMenu(HMENU menu) {
    auto& ms = menus();
    std::lock_guard lock(ms.mutex);
    auto it = ms.all.find(menu);
    if (it == ms.all.end()) return FALSE;
    std::vector<HMENU> subs;
    for (const auto& item : it->second->items)
        if (item.flags & MF_POPUP) subs.push_back(reinterpret_cast<HMENU>(item.id));
    ms.all.erase(it);
    for (HMENU s : subs) DestroyMenu(s);
    return TRUE;
}

namespace {
BOOL insertItem(HMENU menu, UINT position, UINT flags, const sim::desk::Item& item) {
    auto* m = menus().find(menu);
    if (!m) return FALSE;
    if (flags & MF_BYPOSITION) {
        size_t pos = position > m->items.size() ? m->items.size() : position;   // -1 appends
        m->items.insert(m->items.begin() + long(pos), item);
        return TRUE;
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        if (!(m->items[i].flags & (MF_POPUP | MF_SEPARATOR)) && m->items[i].id == position) {
            m->items.insert(m->items.begin() + long(i), item);
            return TRUE;
        }
    }
    m->items.push_back(item);
    return TRUE;
}
}  // namespace

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const std::string& text) {
    return insertItem(menu, position, flags, sim::desk::makeItem(flags, id, text));
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const std::string& text) {
    return InsertMenu(menu, 0xFFFFFFFF, flags | MF_BYPOSITION, id, text);
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const std::string& text) {
    sim::desk::Menu* owner = nullptr;
    size_t index = 0;
    if (!menus().locate(menu, position, flags, &owner, &index)) return FALSE;
    owner->items[index] = sim::desk::makeItem(flags, id, text);
    return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    sim::desk::Menu* owner = nullptr;
    size_t index = 0;
    if (!menus().locate(menu, position, flags, &owner, &index)) return FALSE;
    owner->items.erase(owner->items.begin() + long(index));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    sim::desk::Menu* owner = nullptr;
    size_t index = 0;
    auto* item = menus().locate(menu, position, flags, &owner, &index);
    if (!item) return FALSE;
    HMENU sub = (item->flags & MF_POPUP) ? reinterpret_cast<HMENU>(item->id) : nullptr;
    owner->items.erase(owner->items.begin() + long(index));
    if (sub) DestroyMenu(sub);
    return TRUE;
}

int GetMenuItemCount(HMENU menu) {
    auto* m = menus().find(menu);
    return m ? int(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    auto* m = menus().find(menu);
    if (!m || position < 0 || size_t(position) >= m->items.size()) return 0xFFFFFFFF;
    const auto& it = m->items[size_t(position)];
    if (it.flags & MF_POPUP) return 0xFFFFFFFF;
    return (it.flags & MF_SEPARATOR) ? 0 : UINT(it.id);
}

HMENU GetSubMenu(HMENU menu, int position) {
    auto* m = menus().find(menu);
    if (!m || position < 0 || size_t(position) >= m->items.size()) return nullptr;
    const auto& it = m->items[size_t(position)];
    return (it.flags & MF_POPUP) ? reinterpret_cast<HMENU>(it.id) : nullptr;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    auto* it = menus().locate(menu, item, flags);
    if (!it) return 0xFFFFFFFF;
    UINT state = it->flags & (sim::desk::kStateBits | MF_SEPARATOR | MF_POPUP | MF_BITMAP);
    if (it->flags & MF_POPUP) {
        int count = GetMenuItemCount(reinterpret_cast<HMENU>(it->id));
        state = (state & 0xFF) | (UINT(count) << 8);
    }
    return state;
}

int GetMenuString(HMENU menu, UINT item, std::string* text, UINT flags) {
    auto* it = menus().locate(menu, item, flags);
    if (!it) return 0;
    if (text) *text = it->text;
    return int(it->text.size());
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    auto* it = menus().locate(menu, item, check & MF_BYPOSITION);
    if (!it) return 0xFFFFFFFF;
    DWORD old = it->flags & MF_CHECKED;
    it->flags = (it->flags & ~MF_CHECKED) | (check & MF_CHECKED);
    return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    auto* it = menus().locate(menu, item, enable & MF_BYPOSITION);
    if (!it) return -1;
    BOOL old = BOOL(it->flags & (MF_GRAYED | MF_DISABLED));
    it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return old;
}

HMENU GetSystemMenu(HWND wnd, BOOL revert) {
    auto* w = sim::desk::WindowManager::get().find(wnd);
    if (!w) return nullptr;
    if (revert) {
        if (w->systemMenu) DestroyMenu(w->systemMenu);
        w->systemMenu = nullptr;
        return nullptr;
    }
    if (!w->systemMenu) {
        HMENU m = CreatePopupMenu();
        AppendMenu(m, MF_STRING, 0xF120, "&Restore");
        AppendMenu(m, MF_STRING, 0xF010, "&Move");
        AppendMenu(m, MF_STRING, 0xF000, "&Size");
        AppendMenu(m, MF_STRING, 0xF020, "Mi&nimize");
        AppendMenu(m, MF_STRING, 0xF030, "Ma&ximize");
        AppendMenu(m, MF_SEPARATOR, 0, "");
        AppendMenu(m, MF_STRING, 0xF060, "&Close\tAlt+F4");
        w->systemMenu = m;
    }
    return w->systemMenu;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, HBITMAP bitmap) {
    if (!(flags & MF_BITMAP)) return FALSE;
    return insertItem(menu, position, flags, sim::desk::makeBitmapItem(flags, id, bitmap));
}

BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, HBITMAP bitmap) {
    if (!(flags & MF_BITMAP)) return FALSE;
    sim::desk::Menu* owner = nullptr;
    size_t index = 0;
    if (!menus().locate(menu, position, flags, &owner, &index)) return FALSE;
    owner->items[index] = sim::desk::makeBitmapItem(flags, id, bitmap);
    return TRUE;
}

BOOL SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked) {
    auto* it = menus().locate(menu, position, flags);
    if (!it) return FALSE;
    it->unchecked = unchecked;
    it->checked = checked;
    return TRUE;
}

HMENU LoadMenu(HINSTANCE module, int id) {
    for (HINSTANCE m : {sim::host::resourceStackTop(), module}) {
        if (!m) continue;
        auto res = sim::pe::moduleResources(m);
        if (!res) continue;
        auto bytes = res->find(sim::pe::kRtMenu, std::uint16_t(id));
        if (!bytes) continue;
        auto items = sim::desk::parseMenuTemplate(*bytes);
        if (!items) continue;
        HMENU menu = CreateMenu();
        sim::desk::buildFrom(menu, *items);
        return menu;
    }
    return nullptr;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    using namespace sim::desk;
    auto& desk = sim::Desktop::get();
    std::optional<std::string> pick;
    {
        std::lock_guard lock(menus().mutex);
        if (!menus().find(menu)) return FALSE;
        gTracked = TrackedMenu{dumpMenu(menu), flags, x, y, owner, 0};
        if (!gPicks.empty()) {
            pick = gPicks.front();
            gPicks.pop_front();
        }
    }
    // A person with a live pointer picks the entry; the pick is walked by position.
    std::string shown;
    if (!pick && liveMenuTracker()) {
        if (auto path = liveMenuTracker()(menu, POINT{x, y}); path && !path->empty()) {
            pick.emplace();
            Menu* at = menus().find(menu);
            for (size_t i = 0; i < path->size() && at && (*path)[i] < at->items.size(); ++i) {
                const Item& it = at->items[(*path)[i]];
                *pick += (i ? ">#" : "#") + std::to_string((*path)[i]);
                shown += (i ? ">" : "") + ((it.flags & MF_BITMAP) ? "#" + std::to_string((*path)[i]) : plainText(it.text));
                at = (it.flags & MF_POPUP) ? menus().find(reinterpret_cast<HMENU>(it.id)) : nullptr;
            }
        }
    }
    if (!pick) {
        keepPicture(renderMenu(menu, {}));
        desk.print("[menu] dismissed\n");
        return FALSE;
    }
    if (shown.empty()) shown = *pick;
    // Walk "Parent>Child" down the submenus.
    Menu* m = menus().find(menu);
    Item* item = nullptr;
    size_t start = 0;
    std::vector<size_t> path;
    while (true) {
        const size_t gt = pick->find('>', start);
        const std::string part = pick->substr(start, gt == std::string::npos ? std::string::npos : gt - start);
        item = m ? findByText(m, part) : nullptr;
        if (item) path.push_back(size_t(item - m->items.data()));
        if (!item || gt == std::string::npos) break;
        if (!(item->flags & MF_POPUP)) {
            item = nullptr;
            break;
        }
        m = menus().find(reinterpret_cast<HMENU>(item->id));
        start = gt + 1;
    }
    keepPicture(renderMenu(menu, path));
    if (!item || (item->flags & (MF_POPUP | MF_SEPARATOR))) {
        desk.print("[menu] no entry \"" + *pick + "\" to pick; dismissed\n");
        return FALSE;
    }
    if (item->flags & (MF_GRAYED | MF_DISABLED)) {
        desk.print("[menu] \"" + *pick + "\" is greyed; dismissed\n");
        return FALSE;
    }
    const UINT id = UINT(item->id);
    {
        std::lock_guard lock(menus().mutex);
        gTracked->picked = id;
    }
    desk.print("[menu] " + shown + " (" + std::to_string(id) + ")\n");
    if (flags & TPM_RETURNCMD) return BOOL(id);
    // The command id stands whole in wParam (ids above 0xFFFF included); the notification code 0.
    if (!(flags & TPM_NONOTIFY)) PostMessage(owner, WM_COMMAND, WPARAM(id), 0);
    return TRUE;
}
