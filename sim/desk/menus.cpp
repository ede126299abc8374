// Menus as real structures: items by position, popups, check and grey states.
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include "sim/desk/windows.h"
#include "win/menu.h"

namespace sim::desk {
namespace {

struct Item {
    UINT flags = 0;     // MF_ state and kind bits (MF_POPUP, MF_SEPARATOR, MF_CHECKED, MF_GRAYED, ...)
    UINT_PTR id = 0;    // command id, or the submenu handle for MF_POPUP
    std::string text;
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
    it.flags = flags & ~MF_BYPOSITION;
    it.id = id;
    it.text = (flags & MF_SEPARATOR) ? std::string() : text;
    return it;
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
        out << it.text;
        if (!(it.flags & MF_POPUP)) out << "  [" << it.id << "]";
        if (it.flags & MF_CHECKED) out << " checked";
        if (it.flags & (MF_GRAYED | MF_DISABLED)) out << " grayed";
        out << "\n";
        if (it.flags & MF_POPUP) out << dumpMenu(reinterpret_cast<HMENU>(it.id), indent + 2);
    }
    return out.str();
}

void resetMenus() {
    std::lock_guard lock(menus().mutex);
    menus().all.clear();
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

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const std::string& text) {
    auto* m = menus().find(menu);
    if (!m) return FALSE;
    auto item = sim::desk::makeItem(flags, id, text);
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
    UINT state = it->flags & (sim::desk::kStateBits | MF_SEPARATOR | MF_POPUP);
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

BOOL TrackPopupMenu(HMENU, UINT, int, int, HWND) { return FALSE; }
