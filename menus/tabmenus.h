// KvTabMenus: the tab strip's menus and what their entries do. The tab control reports the menus it
// is asked for and the commands picked from them; this builds each menu afresh, keeps the lists the
// numbered entries index (favourites, templates, layouts, views, layer states, recent and similar
// drawings, the user's menu) and runs the entries, handing the operations over several drawings to
// KvTabOperations (menus/docops.h). The module's root owns the one instance.
#pragma once
#include <deque>
#include <string>
#include <vector>
#include "tabstrip/controller.h"
#include "uikit/xmlmenu.h"
#include "win/menu.h"

class AcKvUiTabCtrl;
class AcKvUiTabPanel;
class KvTabOperations;
class AcApDocument;

class KvTabMenus : public KvTabStripController {
public:
    // The menus of the tabs of `panel`, which outlives this object.
    KvTabMenus(AcKvUiTabPanel& panel, KvTabOperations& operations);
    ~KvTabMenus() override;
    KvTabMenus(const KvTabMenus&) = delete;
    KvTabMenus& operator=(const KvTabMenus&) = delete;

    // What the control reports.
    void StripCreated() override;
    void StripDestroying() override;
    void ContextMenuRequested(int index, POINT screen) override { OpenContextMenu(index, screen); }
    void ItemMenuRequested(CItemData* item, POINT screen) override { OpenItemMenu(item, screen); }
    void TemplatesMenuRequested(POINT screen) override { OpenTemplatesMenu(screen); }
    void MenuCommand(UINT id) override;
    void FindRequested() override { OnKvDocfind(); }
    void StartupIdle() override;
    void StopOperationRequested() override;
    void TabLeaving(const CItemData* item) override;
    void DrawingLeaving(const CItemData* item) override;
    bool QueueHeadCurrent(AcApDocument* doc, CItemData* head) override;
    void NextQueueItemDue() override;
    void CloseMarkedRequested() override;

    // Opens the favourite drawings at start-up (Open All Favorites unless a test replaces it).
    void (*openFavourites)() = nullptr;
    bool favouritesOpened = false;

    // Lists behind the numbered menu commands, filled when a menu is built.
    std::vector<std::string> layoutNames, viewNames, favourites, layerStateNames, recentFiles, similarFiles;
    // The user's menu file behind the "User Command" submenu (ids 500-599).
    CXmlMenu userMenu;
    // Favourites and drawing templates: "path;name" entries, stored in the registry.
    std::vector<std::string> templates;
    // The template a new drawing starts from, kept until the host runs the new-drawing work in
    // application context (the work finds it through KvStripMenus()).
    std::string templateToOpen;
    // The two lists as they were last read from or written to the registry: what another host
    // added or removed meanwhile is told from them when the lists are saved.
    std::vector<std::string> storedFavourites, storedTemplates;
    // The tab the context menu was opened for, and its drawing.
    CItemData* menuItem = nullptr;
    AcApDocument* menuDocument = nullptr;

    // The temporary script that KV_SCRIPT runs (written by the scripts over open drawings).
    std::string scriptPath;
    // Scripts queued each with its own ".KV_SCRIPT", oldest first: several can be queued before
    // the first runs, and each KV_SCRIPT takes the next one (it becomes scriptPath).
    std::deque<std::string> pendingScripts;

    void LoadFavourites();
    void SaveFavourites();
    void OnFavoritesAdd();
    void OnFavoritesRemove();
    void OnFavoritesAllOpen();
    void OnFavoritesAllAppend();
    // The templates popup (the Tab key over the bar but not over a tab).
    void OpenTemplatesMenu(POINT screen);
    // The tab context menu for the tab under `screen` (index -1: the selected tab), built afresh.
    void OpenContextMenu(int index, POINT screen);
    HMENU BuildContextMenu(const CItemData& item);
    // The menu of drawings like `item` (by name and folder), for the Tab key and the menu glyph.
    void OpenItemMenu(CItemData* item, POINT screen);
    // The fixed entries of the menus; false when the id is not one of them.
    bool OnMenuCommand(UINT id);
    // Tiles the document windows; two marked drawings share the area between them.
    void TileMarked(bool vertically);
    // Runs a numbered menu command; false when the id is in no range.
    bool OnNumberedCommand(UINT id);
    // The find-document command: asks for a file-name pattern and selects the matching tabs.
    void OnKvDocfind();
    // Sort Ascending / Sort Descending: the drawing tabs in order of their file names.
    void OnKvAsort();
    void OnKvDsort();
    // "Script...": runs a chosen script file in each open drawing (or the marked ones) in turn.
    void OnKvScript();
    // Opens a drawing a menu entry names: its tab when it has one, else the file.
    void OpenPath(const std::string& path);

private:
    void attachSubmenus(HMENU menu, const CItemData& item, bool several, bool thumbnails, int closeEntry,
                        int currentLayout, const std::vector<int>& layerMasks);
    void freeBitmaps();

    AcKvUiTabPanel& panel_;
    AcKvUiTabCtrl& tab_;                // the panel's tab control
    KvTabOperations& operations_;       // what the entries over several drawings start
    HBITMAP menuBitmap_ = nullptr;      // beside the first entry of the menus
    HBITMAP menuThumbnail_ = nullptr;   // the face of the last layouts submenu
};

// The loaded module's tab menus, or null before start-up and after unload.
KvTabMenus* KvStripMenus();
