// Favourites and drawing templates: two short lists of "path;name" entries kept by the tab menus
// and stored in the plug-in's registry branch, slots 00 to 29.
#include <cstdio>
#include <filesystem>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/files.h"
#include "core/guard.h"
#include "core/registry.h"
#include "core/resource_scope.h"
#include "core/text.h"
#include "menus/ctxmenu.h"
#include "menus/tabmenus.h"
#include "settings/favourites.h"
#include "tabstrip/menuids.h"
#include "tabstrip/panel.h"
#include "win/system.h"

namespace {

constexpr int kSlots = 30;
constexpr const char* kBaseKey = "SOFTWARE\\Stavlo\\Korvane";

std::string listKey(const char* list) {
    CRegistry base(HKEY_CURRENT_USER);
    std::string version;
    if (!base.Open(kBaseKey) || !base.Read("CurVer", &version) || version.empty()) return {};
    return std::string(kBaseKey) + "\\" + version + "\\" + list;
}

std::string slotName(const char* prefix, int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%02d", prefix, slot);
    return name;
}

bool listed(const std::vector<std::string>& list, const std::string& path) {
    for (const std::string& entry : list)
        if (EqualsNoCase(KvEntryPath(entry), path)) return true;
    return false;
}

// A list from its registry slots, and back; missing or empty slots are skipped when reading, and
// every slot past the list is emptied when writing.
std::vector<std::string> loadEntryList(const char* list, const char* prefix) {
    std::vector<std::string> out;
    const std::string key = listKey(list);
    CRegistry reg(HKEY_CURRENT_USER);
    if (key.empty() || !reg.Open(key)) return out;
    for (int slot = 0; slot < kSlots; ++slot) {
        std::string value;
        if (reg.Read(slotName(prefix, slot), &value) && !value.empty()) out.push_back(value);
    }
    return out;
}

// Stores the list merged with what another host stored since `stored` was read; both lists
// become the merged one.
void saveEntryList(const char* list, const char* prefix, std::vector<std::string>& entries,
                   std::vector<std::string>& stored) {
    KvHostsLock hosts(list);
    entries = KvMergeEntryLists(stored, entries, loadEntryList(list, prefix));
    if (entries.size() > size_t(kSlots)) entries.resize(size_t(kSlots));
    stored = entries;
    const std::string key = listKey(list);
    CRegistry reg(HKEY_CURRENT_USER);
    if (key.empty() || !reg.Create(key)) return;
    for (int slot = 0; slot < kSlots; ++slot)
        reg.Write(slotName(prefix, slot), size_t(slot) < entries.size() ? entries[size_t(slot)] : std::string());
}

}   // namespace

void KvTabMenus::LoadFavourites() {
    favourites = storedFavourites = loadEntryList("favorites", "zzfav");
    templates = storedTemplates = loadEntryList("templates", "zztempl");
}

void KvTabMenus::SaveFavourites() {
    saveEntryList("favorites", "zzfav", favourites, storedFavourites);
    saveEntryList("templates", "zztempl", templates, storedTemplates);
}

void KvTabMenus::OnFavoritesAdd() {
    KvGuardLine("Exception error :  OnFavoritesAdd\n", [&] {
        for (CItemData* item : tab_.AllItems()) {
            if (!item->marked) continue;
            if (item->isWindow()) break;
            const std::string path = KvTabPath(*item);
            if (path.empty() || listed(favourites, path)) continue;
            favourites.push_back(KvMakeEntry(path, ""));
        }
        SetFocus(acedGetAcadFrame());
    });
}

void KvTabMenus::OnFavoritesRemove() {
    KvGuardLine("Exception error :  OnFavoritesRemove\n", [&] {
        for (CItemData* item : tab_.AllItems()) {
            if (!item->marked) continue;
            const std::string path = KvTabPath(*item);
            if (path.empty()) continue;
            for (auto it = favourites.begin(); it != favourites.end(); ++it) {
                if (EqualsNoCase(KvEntryPath(*it), path)) {
                    favourites.erase(it);
                    break;
                }
            }
        }
        SetFocus(acedGetAcadFrame());
    });
}

void KvTabMenus::OnFavoritesAllAppend() {
    KvGuardLine("Exception error :  OnFavoritesAllAppend\n", [&] {
        const std::vector<CItemData*> items = tab_.AllItems();
        if (items.empty()) return;
        favourites.clear();
        for (CItemData* item : items) {
            if (item->isWindow()) break;
            const std::string path = KvTabPath(*item);
            if (!path.empty()) favourites.insert(favourites.begin(), KvMakeEntry(path, ""));
        }
    });
}

void KvTabMenus::OnFavoritesAllOpen() {
    KvGuardLine("Exception error :  OnFavoritesAllOpen\n", [&] {
        SetFocus(acedGetAcadFrame());
        for (const std::string& entry : std::vector<std::string>(favourites)) {
            const std::string path = KvEntryPath(entry);
            if (path.empty()) continue;
            bool shown = false;
            for (CItemData* item : tab_.AllItems()) shown = shown || EqualsNoCase(KvTabPath(*item), path);
            if (shown || !acDocManager->isApplicationContext()) continue;
            if (acDocManager->appContextOpenDocument(path) == Acad::eOk) SetFocus(acedGetAcadFrame());
        }
        tab_.Redraw();
    });
}

void KvTabMenus::OpenTemplatesMenu(POINT screen) {
    KvGuard("OpenTemplatesMenu", [&] {
        // Without templates the menu would hold nothing but its separator.
        if (templates.empty()) return;
        HMENU menu;
        {
            KvResourceScope scope(App().resourceModule);
            KvMenuBuilder b(tab_.dockSide == kDockBottom);
            for (size_t i = 0; i < templates.size(); ++i) {
                const std::string path = KvEntryPath(templates[i]);
                const std::string name = KvEntryTitle(templates[i]);
                std::error_code ec;
                const bool exists = !path.empty() && std::filesystem::exists(path, ec);
                b.insert(MF_STRING | (exists ? 0 : MF_GRAYED), kMenuIdFirstTemplate + i,
                         KvNumbered(int(i) + 1, name.empty() ? KvCompactPath(path, 40) : name));
                if (i == 0) b.separator();
            }
            if (menuBitmap_) SetMenuItemBitmaps(b.menu(), 0, MF_BYPOSITION, menuBitmap_, menuBitmap_);
            menu = b.release();
        }
        TrackPopupMenu(menu, 0, screen.x, screen.y, tab_.GetSafeHwnd());
        DestroyMenu(menu);
    });
}
