#include "menus/tabmenus.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "core/text.h"
#include "hosting/features.h"
#include "menus/docops.h"
#include "res/resource.h"
#include "settings/favourites.h"
#include "tabstrip/menuids.h"
#include "tabstrip/panel.h"
#include "tabstrip/sorting.h"
#include "win/dialog.h"
#include "win/module.h"
#include "win/system.h"

KvTabMenus::KvTabMenus(AcKvUiTabPanel& panel, KvTabOperations& operations)
    : panel_(panel), tab_(panel.TabCtrl()), operations_(operations) {}

KvTabMenus::~KvTabMenus() { freeBitmaps(); }

void KvTabMenus::freeBitmaps() {
    if (menuBitmap_) DeleteObject(menuBitmap_);
    if (menuThumbnail_) DeleteObject(menuThumbnail_);
    menuBitmap_ = menuThumbnail_ = nullptr;
}

void KvTabMenus::StripCreated() {
    if (!menuBitmap_) menuBitmap_ = LoadBitmap(App().ownModule, IDB_SHARED_ARROW);
    LoadFavourites();
}

void KvTabMenus::StripDestroying() {
    SaveFavourites();
    freeBitmaps();
}

void KvTabMenus::MenuCommand(UINT id) {
    if (id == ID_KV_DOCFIND) {
        OnKvDocfind();
        return;
    }
    if (OnMenuCommand(id)) return;
    OnNumberedCommand(id);
}

void KvTabMenus::StartupIdle() {
    favouritesOpened = true;
    if (openFavourites) openFavourites();
    else OnFavoritesAllOpen();
}

void KvTabMenus::StopOperationRequested() { operations_.StopOperation(); }

void KvTabMenus::TabLeaving(const CItemData* item) {
    if (menuItem == item) menuItem = nullptr;
    operations_.DropFromQueue(item);
}

void KvTabMenus::DrawingLeaving(const CItemData* item) { operations_.DropFromQueue(item); }

bool KvTabMenus::QueueHeadCurrent(AcApDocument* doc, CItemData* head) { return operations_.RunQueueStep(doc, head); }

void KvTabMenus::NextQueueItemDue() { operations_.StartQueueHead(); }

void KvTabMenus::CloseMarkedRequested() { operations_.CloseMarked(); }

void KvTabMenus::OnKvAsort() {
    KvGuard("OnKvAsort", [&] { KvSortDrawingTabs(panel_, true); });
}

void KvTabMenus::OnKvDsort() {
    KvGuard("OnKvDsort", [&] { KvSortDrawingTabs(panel_, false); });
}

KvTabMenus* KvStripMenus() {
    KvFeatureObjects* features = KvFeatures();
    return features ? &features->tabMenus : nullptr;
}

bool KvTabMenus::OnNumberedCommand(UINT id) {
    auto inRange = [&](UINT first, const auto& list, size_t* index) {
        if (id < first || id >= first + kMenuIdBlock) return false;
        *index = id - first;
        return true;
    };
    size_t i = 0;
    bool handled = true;
    try {
        // The drawing the menu was built for becomes current first.
        auto activateMenuDocument = [&] {
            const bool current = menuDocument == acDocManager->curDocument();
            if (!current && menuDocument) panel_.ActivateDrawing(menuDocument);
            return current;
        };
        if (inRange(kMenuIdFirstLayout, layoutNames, &i)) {
            const std::string& name = layoutNames.at(i);
            const bool current = activateMenuDocument();
            if (menuDocument && menuDocument->database() && menuDocument->database()->currentLayout() != name) {
                char text[600];
                std::snprintf(text, sizeof text, current ? "LAYOUT SET \"%s\"\n" : "LAYOUT SET %s\n", name.c_str());
                acDocManager->sendStringToExecute(menuDocument, text, true, false, true);
            }
            SetFocus(acedGetAcadFrame());
        } else if (inRange(kMenuIdFirstView, viewNames, &i)) {
            const std::string& name = viewNames.at(i);
            activateMenuDocument();
            if (menuDocument)
                acDocManager->sendStringToExecute(menuDocument, "-VIEW R " + name + "\n", true, false, true);
            SetFocus(acedGetAcadFrame());
        } else if (inRange(kMenuIdFirstLayerState, layerStateNames, &i)) {
            const std::string& name = layerStateNames.at(i);
            if (menuDocument && acDocManager->lockDocument(menuDocument) == Acad::eOk) {
                activateMenuDocument();
                if (AcDbDatabase* db = menuDocument->database()) db->getLayerStateManager()->restoreLayerState(name);
                acDocManager->unlockDocument(menuDocument);
            }
            SetFocus(acedGetAcadFrame());
        } else if (inRange(kMenuIdFirstFavourite, favourites, &i)) {
            OpenPath(KvEntryPath(favourites.at(i)));
        } else if (inRange(kMenuIdFirstRecentFile, recentFiles, &i)) {
            OpenPath(recentFiles.at(i));
        } else if (inRange(kMenuIdFirstSimilarFile, similarFiles, &i)) {
            OpenPath(similarFiles.at(i));
        } else if (id >= kMenuIdFirstTemplate && id <= kMenuIdLastTemplate) {
            templateToOpen = KvEntryPath(templates.at(id - kMenuIdFirstTemplate));
            if (!templateToOpen.empty() && acDocManager->isApplicationContext())
                // The menus may be gone when the host runs it: the work finds them through the
                // loaded module.
                acDocManager->executeInApplicationContext(
                    +[](void*) {
                        if (KvTabMenus* menus = KvStripMenus())
                            acDocManager->appContextNewDocument(menus->templateToOpen);
                    },
                    nullptr);
        } else if (id >= kMenuIdFirstUser && id <= kMenuIdLastUser) {
            userMenu.Run(id);
        } else {
            handled = false;
        }
    } catch (const std::out_of_range&) {
        // An index outside its list drops the command.
    } catch (const std::invalid_argument&) {
    } catch (...) {
        SetFocus(acedGetAcadFrame());
    }
    return handled;
}

void KvTabMenus::OnKvDocfind() {
    KvGuard("OnKvDocfind", [this] {
        static const std::string kDefault = "*.dwg";
        std::string pattern;
        INT_PTR result;
        {
            const auto show = [&](HINSTANCE module) {
                return DialogBoxParam(
                    module, IDD_FIND, acedGetAcadFrame(),
                    [&](HWND dlg, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
                        if (msg == WM_INITDIALOG) {
                            SetDlgItemText(dlg, IDC_FIND_TEXT, kDefault);
                            return TRUE;
                        }
                        if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
                            pattern = GetDlgItemText(dlg, IDC_FIND_TEXT);
                            EndDialog(dlg, IDOK);
                            return TRUE;
                        }
                        if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) {
                            EndDialog(dlg, IDCANCEL);
                            return TRUE;
                        }
                        return FALSE;
                    },
                    0);
            };
            result = KvFromResources(show, INT_PTR(-1));
        }
        // OK with the text left as offered counts as Cancel.
        if (result != IDOK || pattern == kDefault || pattern.empty()) return;
        panel_.SetCurTabFromWildcard(pattern);
    });
}

void KvTabMenus::OpenPath(const std::string& path) {
    if (!acDocManager->isApplicationContext()) return;
    for (int i = 0; i < tab_.GetItemCount(); ++i) {
        CItemData* item = tab_.GetItem(i);
        if (!item || !EqualsNoCase(item->pathName, path)) continue;
        tab_.linkIndex = i;
        if (item->drawingDoc) {
            panel_.ActivateDrawing(item->drawingDoc);
        } else {
            tab_.SetCurSel(i);
            panel_.OpenLinkTab(0);
        }
        return;
    }
    if (!App().sdi) {
        if (acDocManager->appContextOpenDocument(path) == Acad::eOk) SetFocus(acedGetAcadFrame());
        tab_.Redraw();
    } else {
        EnableWindow(tab_.GetSafeHwnd(), FALSE);
        acedSyncFileOpen(path);
        EnableWindow(tab_.GetSafeHwnd(), TRUE);
    }
}
