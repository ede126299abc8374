#include "menus/ctxmenu.h"
#include "menus/tabmenus.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/paths.h"
#include "core/registry.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "core/text.h"
#include "menus/combine.h"
#include "menus/docops.h"
#include "settings/favourites.h"
#include "menus/usermenu.h"
#include "tabstrip/itemdata.h"
#include "tabstrip/menuids.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "tabstrip/panel.h"
#include "uikit/paint.h"
#include "gfx/bitmap.h"
#include "win/input.h"
#include "win/shell.h"
#include "win/system.h"

// ---- Building -------------------------------------------------------------------------------------

KvMenuBuilder::KvMenuBuilder(bool reversed) : reversed_(reversed) {
    // The plug-in's popup that holds one separator; made here when the resource cannot be read.
    menu_ = nullptr;
    if (HMENU resource =
            KvFromResources([](HINSTANCE module) { return LoadMenu(module, IDR_TAB_MENU); }, HMENU(nullptr))) {
        if (HMENU popup = GetSubMenu(resource, 0)) {
            RemoveMenu(resource, 0, MF_BYPOSITION);   // the popup outlives its menu bar
            menu_ = popup;
        }
        DestroyMenu(resource);
    }
    if (!menu_) {
        menu_ = CreatePopupMenu();
        AppendMenu(menu_, MF_SEPARATOR, 0, "");
    }
}

KvMenuBuilder::~KvMenuBuilder() {
    if (menu_) DestroyMenu(menu_);
}

HMENU KvMenuBuilder::release() {
    HMENU m = menu_;
    menu_ = nullptr;
    return m;
}

int KvMenuBuilder::insert(UINT flags, UINT_PTR id, const std::string& text) {
    const int at = reversed_ ? 0 : ++position_;
    InsertMenu(menu_, UINT(at), flags | MF_BYPOSITION, id, text);
    last_ = at;
    return at;
}

void KvMenuBuilder::numberedText(UINT id, const std::string& text, UINT flags) {
    // Only the first nine carry a mnemonic number.
    insert(MF_STRING | flags, id, counter_ <= 9 ? KvNumbered(counter_++, text) : text);
}

void KvMenuBuilder::numbered(UINT id, UINT labelId) {
    const std::string label = KvResourceText(labelId);
    if (!KvIsEmptyText(label)) numberedText(id, label);
}

void KvMenuBuilder::separatorFor(UINT firstLabelId) {
    if (!KvIsEmptyText(KvResourceText(firstLabelId))) separator();
}

void KvMenuBuilder::separator() { insert(MF_SEPARATOR, 0, ""); }

void KvMenuBuilder::title(const std::string& text) {
    if (!KvIsEmptyText(text)) insert(MF_STRING, 0, text);
}

void KvMenuBuilder::replaceSeparator(UINT id, const std::string& text) {
    const std::string shown = counter_ <= 9 ? KvNumbered(counter_++, text) : text;
    ModifyMenu(menu_, 0, MF_BYPOSITION | MF_STRING, id, shown);
    position_ = 0;
    last_ = 0;
}

std::string KvNumbered(int number, const std::string& text) { return "&" + std::to_string(number) + " " + text; }

std::string KvCompactPath(const std::string& path, int maxChars) {
    std::string out;
    if (!PathCompactPathEx(&out, path, UINT(maxChars + 1), 0)) return path;
    return out;
}

std::string KvHistoryDate(std::int64_t seconds) {
    const std::time_t t = std::time_t(seconds);
    // The user-interface thread is the only caller, so the shared result of localtime will do.
    const std::tm* local = std::localtime(&t);
    if (!local) return {};
    const std::tm parts = *local;
    char text[64];
    const size_t n = std::strftime(text, sizeof text, "[%Y-%b-%d %H:%M(%a)] ", &parts);
    return std::string(text, n);
}

namespace {

namespace fs = std::filesystem;

// Finds a top-level entry by its text (the first match). A title that reads "Empty" was left out,
// so it names no entry, whatever else may read so.
int findByText(HMENU menu, const std::string& text) {
    if (KvIsEmptyText(text)) return -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        std::string item;
        GetMenuString(menu, UINT(i), &item, MF_BYPOSITION);
        if (item == text) return i;
    }
    return -1;
}

// Turns a title entry into its submenu; the submenu is destroyed when the title is absent.
void attachSubmenu(HMENU menu, const std::string& titleText, HMENU sub, bool grayed) {
    const int at = findByText(menu, titleText);
    if (at < 0) {
        DestroyMenu(sub);
        return;
    }
    ModifyMenu(menu, UINT(at), MF_BYPOSITION | MF_POPUP | (grayed ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(sub),
               titleText);
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

// The host's recent drawings, as the history submenu lists them.
struct RecentFile {
    std::string path, date;
};
std::vector<RecentFile> readRecentFiles() {
    std::vector<RecentFile> out;
    CRegistry key(HKEY_CURRENT_USER);
    if (!key.Open(acdbHostUserProductRegistryRootKey() + "\\Recent File List")) return out;
    for (int n = 1; n <= 9; ++n) {
        CRegistry::Value value;
        if (!key.Read("File" + std::to_string(n), &value)) break;
        RecentFile file{value.str(), {}};
        CRegistry::Value when;
        if (key.Read("FileTime" + std::to_string(n), &when) && !when.str().empty()) {
            file.date = KvHistoryDate(std::strtoll(when.str().c_str(), nullptr, 10));
        } else if (std::error_code ec; fs::exists(file.path, ec)) {
            const auto stamp = fs::last_write_time(file.path, ec);
            if (!ec) {
                const auto sys = std::chrono::file_clock::to_sys(stamp);
                file.date =
                    KvHistoryDate(std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count());
            }
        }
        out.push_back(std::move(file));
    }
    return out;
}

}   // namespace

// ---- The tab context menu -------------------------------------------------------------------------

void KvTabMenus::OpenContextMenu(int index, POINT screen) {
    AcApDocument* cur = acDocManager->curDocument();
    if (cur && !cur->isQuiescent()) return;
    KvGuardLine("Exception error : AcKvEdReactor::OnRButtonDown", [&] {
        SetCapture(tab_.GetSafeHwnd());
        if (index != -1) {
            POINT client = screen;
            ScreenToClient(tab_.GetSafeHwnd(), &client);
            index = tab_.HitTest(client);
        } else {
            index = tab_.GetCurSel();
        }
        CItemData* item = tab_.GetItem(index);
        if (!item) {
            ReleaseCapture();
            return;
        }
        menuItem = item;
        menuDocument = item->drawingDoc;
        HMENU menu = BuildContextMenu(*item);
        ReleaseCapture();
        const int shift = GetUsableSettingNumber(SettingId::MenuYPosition);
        TrackPopupMenu(menu, 0, screen.x, screen.y + (tab_.dockSide == kDockTop ? shift : -shift), tab_.GetSafeHwnd());
        DestroyMenu(menu);
    });
}

HMENU KvTabMenus::BuildContextMenu(const CItemData& item) {
    using S = SettingId;
    const bool reversed = tab_.dockSide == kDockBottom;
    const bool several = tab_.Model().MarkedCount() > 1;
    const bool thumbnails = GetSettingNumber(S::ThumbnailIcon) || GetSettingNumber(S::ShowThumbnail);
    KvResourceScope scope(App().resourceModule);
    KvMenuBuilder b(reversed);

    // What the drawing holds: layouts, the views of the current space, saved layer states.
    layoutNames.clear();
    viewNames.clear();
    layerStateNames.clear();
    int currentLayout = -1;
    std::vector<int> layerMasks;
    if (AcDbDatabase* db = item.drawingDoc ? item.drawingDoc->database() : nullptr) {
        layoutNames = db->layoutNames();
        const std::string current = db->currentLayout();
        for (size_t i = 0; i < layoutNames.size(); ++i)
            if (layoutNames[i] == current) currentLayout = int(i);
        viewNames = db->viewNames(!EqualsNoCase(current, "model"));
        for (const auto& [name, mask] : db->layerStates()) {
            layerStateNames.push_back(name);
            layerMasks.push_back(mask);
        }
    }

    int closeEntry = 0;
    if (!several) {
        const std::string name = KvCaptionText(item.displayName, true, tab_.maxCharUse, tab_.maxChars);
        b.numberedText(ID_KV_CLOSE, "\"" + name + "\" " + KvResourceText(IDS_CLOSE));
        closeEntry = b.lastPosition();
        if (menuBitmap_) SetMenuItemBitmaps(b.menu(), UINT(closeEntry), MF_BYPOSITION, menuBitmap_, menuBitmap_);
        if (!thumbnails) b.separator();   // the layouts submenu takes its place
        if (!viewNames.empty()) {
            b.separatorFor(IDS_MENU_VIEW);
            b.title(KvResourceText(IDS_MENU_VIEW));
        }
        if (!layerStateNames.empty()) {
            b.separatorFor(IDS_MENU_LAYER_STATES);
            b.title(KvResourceText(IDS_MENU_LAYER_STATES));
        }
        b.separatorFor(IDS_OPEN_ONLY_CURRENT);
        b.numbered(ID_KV_ONLY_CURRENT, IDS_OPEN_ONLY_CURRENT);
        b.numbered(ID_KV_SAVEALL, IDS_SAVE_ALL);
        b.numbered(ID_KV_OTHER_FOLDER_SAVEALL, IDS_SAVE_ALL_TO_FOLDER);
        b.numbered(ID_KV_CLOSE_ALL, IDS_SAVE_CLOSE_ALL);
        b.numbered(ID_KV_NOSAVE_CLOSE_ALL, IDS_NOSAVE_CLOSE_ALL);
        if (App().sdi && App().sdiModeEnabled) {
            EnableMenuItem(b.menu(), ID_KV_CLOSE_ALL, MF_BYCOMMAND | MF_GRAYED);
            EnableMenuItem(b.menu(), ID_KV_NOSAVE_CLOSE_ALL, MF_BYCOMMAND | MF_GRAYED);
        }
        b.separatorFor(IDS_SAVE_CLOSE_ALL_EXIT);
        b.numbered(ID_KV_CLOSE_ALL_EXIT, IDS_SAVE_CLOSE_ALL_EXIT);
        b.numbered(ID_KV_NOSAVE_CLOSE_ALL_EXIT, IDS_NOSAVE_CLOSE_ALL_EXIT);
        b.separatorFor(IDS_OPEN_FROM_OTHER_HOST);
        b.numbered(ID_KV_OTHER_ACAD_OPEN, IDS_OPEN_FROM_OTHER_HOST);
    } else {
        const std::string label = KvResourceText(IDS_SELECTED_FILE_CLOSE);
        b.replaceSeparator(ID_KV_SELECTED_CLOSE, label);
        if (menuBitmap_) SetMenuItemBitmaps(b.menu(), 0, MF_BYPOSITION, menuBitmap_, menuBitmap_);
        b.separatorFor(IDS_OPEN_ONLY_CURRENT);
        b.numbered(ID_KV_ONLY_CURRENT, IDS_OPEN_ONLY_CURRENT);
        b.numbered(ID_KV_COMBINE_DWG, IDS_COMBINE_DWG);
    }

    if (!several && GetSettingNumber(S::UseLinkFile)) {
        b.separatorFor(IDS_OPEN_CONTAINING_FOLDER);
        b.numbered(ID_KV_OPEN_CONTAINING_FOLDER, IDS_OPEN_CONTAINING_FOLDER);
        b.numbered(ID_KV_LINK_FILE_OPEN, IDS_LINK_FILE_OPEN);
        b.numbered(ID_KV_LINK_FOLDER_OPEN, IDS_LINK_FOLDER_OPEN);
        b.numbered(ID_KV_CHANGE_TO_LINK, IDS_CHANGE_TO_LINK_TAB);
        if (GetSettingNumber(S::CloudfoldUse)) {
            b.separatorFor(IDS_CLOUDFOLD_OPEN);
            b.numbered(ID_KV_CLOUDFOLD_OPEN, IDS_CLOUDFOLD_OPEN);
            b.numbered(ID_KV_CLOUDFOLD_INSERT, IDS_CLOUDFOLD_INSERT);
            b.numbered(ID_KV_CLOUDFOLD_SAVE, IDS_CLOUDFOLD_SAVE);
            b.numbered(ID_KV_CLOUDFOLD_SAVEAS, IDS_CLOUDFOLD_SAVEAS);
        }
    }
    if (GetSettingNumber(S::FavoritesUse) && !item.isWindow()) {
        b.separator();
        b.title(KvResourceText(IDS_MENU_FAVORITES));
        b.numbered(ID_KV_FAVORITES_ADD, IDS_FAVORITES_ADD);
        b.numbered(ID_KV_FAVORITES_REMOVE, IDS_FAVORITES_REMOVE);
        b.numbered(ID_KV_FAVORITES_OPEN_ALL, IDS_FAVORITES_OPEN_ALL);
        if (!several) b.numbered(ID_KV_FAVORITES_NEW_APPEND, IDS_FAVORITES_NEW_APPEND);
    }
    if (!several && GetSettingNumber(S::DrawingHistoryUse)) {
        b.separatorFor(IDS_MENU_DRAWING_HISTORY);
        b.title(KvResourceText(IDS_MENU_DRAWING_HISTORY));
    }
    if (!several && GetSettingNumber(S::WindowsArrange)) {
        b.separator();
        b.title("&Window");
    }
    if (!several && GetSettingNumber(S::UseUserCommand)) {
        b.separatorFor(IDS_MENU_USER_COMMAND);
        b.title(KvResourceText(IDS_MENU_USER_COMMAND));
    }
    if (tab_.Model().MarkedCount() == 2) {
        b.separatorFor(IDS_WINDOW_TILE_HORZ);
        b.numbered(ID_KV_TILE_HORZ, IDS_WINDOW_TILE_HORZ);
        b.numbered(ID_KV_TILE_VERT, IDS_WINDOW_TILE_VERT);
    }
    b.separatorFor(IDS_SCRIPT);
    b.numbered(ID_KV_SCRIPT, IDS_SCRIPT);
    b.numberedText(ID_KV_BATCH_SCRIPT, "Batch script...");
    if (!several && GetSettingNumber(S::UseSortFunction)) {
        b.separatorFor(IDS_SORT_ASCENDING);
        b.numbered(ID_KV_SORT_ASCENDING, IDS_SORT_ASCENDING);
        b.numbered(ID_KV_SORT_DESCENDING, IDS_SORT_DESCENDING);
        if (GetSettingNumber(S::OpenSort)) {
            EnableMenuItem(b.menu(), ID_KV_SORT_ASCENDING, MF_BYCOMMAND | MF_GRAYED);
            EnableMenuItem(b.menu(), ID_KV_SORT_DESCENDING, MF_BYCOMMAND | MF_GRAYED);
        }
        b.numbered(ID_KV_DOCFIND, IDS_FIND_DOCUMENT);
    }
    b.separatorFor(IDS_CONFIG_SETTING);
    b.numbered(ID_KV_CONFIG, IDS_CONFIG_SETTING);

    HMENU menu = b.release();
    attachSubmenus(menu, item, several, thumbnails, closeEntry, currentLayout, layerMasks);
    return menu;
}

void KvTabMenus::attachSubmenus(HMENU menu, const CItemData& item, bool several, bool thumbnails, int closeEntry,
                                int currentLayout, const std::vector<int>& layerMasks) {
    const bool reversed = tab_.dockSide == kDockBottom;
    // Layouts: right after the Close entry, in place of the separator there when the tab shows no
    // thumbnail (the entry then shows the drawing's picture).
    if (!several && !layoutNames.empty()) {
        HMENU sub = CreatePopupMenu();
        for (size_t i = 0; i < layoutNames.size(); ++i) {
            const bool current = int(i) == currentLayout;
            AppendMenu(sub, MF_STRING | (current ? MF_CHECKED | MF_HILITE : 0), kMenuIdFirstLayout + i,
                       KvNumbered(int(i) + 1, layoutNames[i]));
        }
        const int at = reversed ? GetMenuItemCount(menu) - 3 : closeEntry + 1;
        if (menuThumbnail_) DeleteObject(menuThumbnail_);
        menuThumbnail_ = !thumbnails ? kvui::ShrunkCopy(item.thumbnail, 96, 72) : nullptr;
        if (menuThumbnail_) {
            ModifyMenu(menu, UINT(at), MF_BYPOSITION | MF_POPUP | MF_BITMAP, reinterpret_cast<UINT_PTR>(sub),
                       menuThumbnail_);
        } else if (!thumbnails) {
            ModifyMenu(menu, UINT(at), MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Layout(s)");
        } else {
            InsertMenu(menu, UINT(at), MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Layout(s)");
        }
    }
    if (!several) {
        HMENU views = CreatePopupMenu();
        for (size_t i = 0; i < viewNames.size(); ++i)
            AppendMenu(views, MF_STRING, kMenuIdFirstView + i, KvNumbered(int(i) + 1, viewNames[i]));
        attachSubmenu(menu, KvResourceText(IDS_MENU_VIEW), views, viewNames.empty());
        if (item.drawingDoc) {
            HMENU states = CreatePopupMenu();
            for (size_t i = 0; i < layerStateNames.size(); ++i) {
                const bool last = layerMasks[i] & AcDbLayerStateManager::kLastRestored;
                AppendMenu(states, MF_STRING | (last ? MF_CHECKED | MF_HILITE : 0), kMenuIdFirstLayerState + i,
                           KvNumbered(int(i) + 1, layerStateNames[i]));
            }
            attachSubmenu(menu, KvResourceText(IDS_MENU_LAYER_STATES), states, layerStateNames.empty());
        }
    }
    // Favourites.
    {
        HMENU sub = CreatePopupMenu();
        for (size_t i = 0; i < favourites.size(); ++i) {
            const std::string path = KvEntryPath(favourites[i]);
            const std::string name = KvEntryTitle(favourites[i]);
            AppendMenu(sub, MF_STRING | (fileExists(path) ? 0 : MF_GRAYED), kMenuIdFirstFavourite + i,
                       KvNumbered(int(i) + 1, name.empty() ? KvCompactPath(path, 40) : name));
        }
        attachSubmenu(menu, KvResourceText(IDS_MENU_FAVORITES), sub, favourites.empty());
    }
    // Drawing history.
    if (findByText(menu, KvResourceText(IDS_MENU_DRAWING_HISTORY)) >= 0) {
        recentFiles.clear();
        int limit = GetSettingNumber(SettingId::HistoryPathLength);
        if (limit < 1 || limit > 260) limit = 30;
        const std::string mine = KvTabPath(item);
        HMENU sub = CreatePopupMenu();
        int n = 0;
        for (const RecentFile& file : readRecentFiles()) {
            const bool same = EqualsNoCase(file.path, mine);
            AppendMenu(sub, MF_STRING | (same ? MF_CHECKED | MF_HILITE : 0),
                       kMenuIdFirstRecentFile + recentFiles.size(),
                       "&" + std::to_string(++n) + " " + file.date + KvCompactPath(file.path, limit));
            recentFiles.push_back(file.path);
        }
        attachSubmenu(menu, KvResourceText(IDS_MENU_DRAWING_HISTORY), sub, false);
    }
    // Window arrangement.
    {
        HMENU sub = CreatePopupMenu();
        static const std::pair<UINT, UINT> kWindow[] = {{ID_KV_CASCADE, IDS_WINDOW_CASCADE},
                                                        {ID_KV_TILE_HORZ, IDS_WINDOW_TILE_HORZ},
                                                        {ID_KV_TILE_VERT, IDS_WINDOW_TILE_VERT},
                                                        {ID_KV_ARRANGE_ICONS, IDS_WINDOW_ARRANGE_ICONS}};
        int n = 0;
        for (const auto& [id, label] : kWindow) {
            ++n;
            const std::string text = KvResourceText(label);
            if (KvIsEmptyText(text)) continue;
            InsertMenu(sub, reversed ? 0 : 0xFFFFFFFF, MF_BYPOSITION | MF_STRING, id, KvNumbered(n, text));
        }
        attachSubmenu(menu, "&Window", sub, false);
    }
    // The user's commands.
    if (findByText(menu, KvResourceText(IDS_MENU_USER_COMMAND)) >= 0) {
        HMENU sub = CreatePopupMenu();
        KvLoadUserMenu(userMenu, sub);
        attachSubmenu(menu, KvResourceText(IDS_MENU_USER_COMMAND), sub, false);
    }
}

// ---- The item menu: drawings like this one ---------------------------------------------------------

void KvTabMenus::OpenItemMenu(CItemData* target, POINT screen) {
    if (!target) return;
    KvGuardLine("Exception error : AcKvEdReactor::OnRButtonDown", [&] {
        similarFiles.clear();
        using S = SettingId;
        const std::string title = target->displayName;
        const PathParts mine = SplitPath(KvTabPath(*target));
        const size_t start = size_t(std::max(0, GetSettingNumber(S::SimilarStartPos)));
        size_t end = size_t(std::max(0, GetSettingNumber(S::SimilarEndPos)));
        if (CharCount(title) <= end) end = CharCount(title);
        const size_t keyLength = end >= start ? end - start + 1 : 0;
        const bool byName = GetSettingNumber(S::SimilarFile) != 0;
        const bool byFolder = GetSettingNumber(S::SimilarFolder) != 0;
        const std::string key(CharSubstr(title, start, keyLength));

        std::vector<std::string> titles;
        int own = -1;
        for (CItemData* other : tab_.AllItems()) {
            if (byName && !EqualsNoCase(CharSubstr(other->displayName, start, keyLength), key)) continue;
            if (byFolder && !EqualsNoCase(SplitPath(KvTabPath(*other)).folder, mine.folder)) continue;
            if (other == target) own = int(titles.size());
            titles.push_back(other->displayName);
            similarFiles.push_back(KvTabPath(*other));
        }
        if (titles.empty()) return;
        HMENU menu;
        {
            KvResourceScope scope(App().resourceModule);
            KvMenuBuilder b(tab_.dockSide == kDockBottom);
            for (size_t i = 0; i < titles.size(); ++i) {
                const bool self = int(i) == own;
                b.insert(MF_STRING | (self ? MF_CHECKED | MF_HILITE : 0), kMenuIdFirstSimilarFile + i,
                         KvNumbered(int(i) + 1, titles[i]));
            }
            menu = b.release();
        }
        TrackPopupMenu(menu, 0, screen.x, screen.y, tab_.GetSafeHwnd());
        DestroyMenu(menu);
    });
}

// ---- Fixed entries ---------------------------------------------------------------------------------

namespace {

// Entries that run one of the plug-in's commands do it through the host's command line.
void sendCommand(const char* text) {
    SetFocus(acedGetAcadFrame());
    if (AcApDocument* doc = acDocManager->curDocument())
        acDocManager->sendStringToExecute(doc, text, true, false, true);
}

}   // namespace

bool KvTabMenus::OnMenuCommand(UINT id) {
    if (operations_.OnDocOperation(id, menuItem)) return true;
    switch (id) {
    case ID_KV_OPEN_CONTAINING_FOLDER: sendCommand("KV_OPENCURFOLDER "); return true;
    case ID_KV_LINK_FILE_OPEN: sendCommand("KV_LOPEN "); return true;
    case ID_KV_LINK_FOLDER_OPEN: sendCommand("KV_LINKFOLDEROPEN "); return true;
    case ID_KV_CLOUDFOLD_OPEN: sendCommand("KV_WOPEN "); return true;
    case ID_KV_CLOUDFOLD_INSERT: sendCommand("KV_WINSERT "); return true;
    case ID_KV_CLOUDFOLD_SAVE: sendCommand("KV_WSAVE "); return true;
    case ID_KV_CLOUDFOLD_SAVEAS: sendCommand("KV_WSAVEAS "); return true;
    case ID_KV_CONFIG: sendCommand("KV_CFG "); return true;
    case ID_KV_COMBINE_DWG: KvCombineDrawings(tab_.MarkedItems()); return true;
    case ID_KV_BATCH_SCRIPT:
        if (AcApDocument* doc = acDocManager->curDocument())
            acDocManager->sendStringToExecute(doc, "_KV_BSCRIPT ", true, false, false);
        return true;
    case ID_KV_CASCADE: SendMessage(acedGetAcadFrame(), WM_COMMAND, kCmdWindowCascade, 0); return true;
    case ID_KV_ARRANGE_ICONS: SendMessage(acedGetAcadFrame(), WM_COMMAND, kCmdWindowArrange, 0); return true;
    case ID_KV_TILE_HORZ:
    case ID_KV_TILE_VERT: TileMarked(id == ID_KV_TILE_VERT); return true;
    case ID_KV_DOCFIND: OnKvDocfind(); return true;
    case ID_KV_SCRIPT: OnKvScript(); return true;
    case ID_KV_SORT_ASCENDING: OnKvAsort(); return true;
    case ID_KV_SORT_DESCENDING: OnKvDsort(); return true;
    case ID_KV_FAVORITES_ADD: OnFavoritesAdd(); return true;
    case ID_KV_FAVORITES_REMOVE: OnFavoritesRemove(); return true;
    case ID_KV_FAVORITES_OPEN_ALL: OnFavoritesAllOpen(); return true;
    case ID_KV_FAVORITES_NEW_APPEND: OnFavoritesAllAppend(); return true;
    default: return false;
    }
}

void KvTabMenus::TileMarked(bool vertically) {
    SendMessage(acedGetAcadFrame(), WM_COMMAND, vertically ? kCmdWindowTileVert : kCmdWindowTileHorz, 0);
    if (tab_.Model().MarkedCount() != 2) return;
    // Two marked drawings share the document area, side by side or one above the other.
    std::vector<HWND> windows;
    for (CItemData* item : tab_.AllItems()) {
        if (!item->marked || !item->drawingDoc) continue;
        if (AcApDocWindow* w = acDocWindowManager->documentWindow(item->drawingDoc))
            windows.push_back(w->windowHandle());
    }
    if (windows.size() != 2 || !windows[0] || !GetParent(windows[0])) return;
    RECT area;
    GetClientRect(GetParent(windows[0]), &area);
    const int w = area.right - area.left, h = area.bottom - area.top;
    for (size_t i = 0; i < 2; ++i) {
        if (vertically) MoveWindow(windows[i], int(i) * (w / 2), 0, w / 2, h, TRUE);
        else MoveWindow(windows[i], 0, int(i) * (h / 2), w, h / 2, TRUE);
    }
}
