#include "menus/docops.h"

#include <algorithm>
#include <cstdio>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "core/paths.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "doctrack/reactors.h"
#include "gfx/bitmap.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "tabstrip/panel.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/module.h"
#include "win/shell.h"
#include "win/system.h"

// ---- The save question ----------------------------------------------------------------------------

INT_PTR AcKvUiMsgDialog::DoModal() {
    HBITMAP picture = nullptr;
    bool ticked = false;
    INT_PTR result;
    {
        picture = KvFromResources([](HINSTANCE module) { return LoadBitmap(module, IDB_QUESTION); }, HBITMAP(nullptr));
        const auto show = [&](HINSTANCE module) {
          return DialogBoxParam(module, IDD_SAVE_PROMPT, acedGetAcadFrame(),
                                [&](HWND dlg, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
                                    if (msg == WM_INITDIALOG) {
                                        SetDlgItemText(dlg, IDC_PROMPT_TEXT, message_);
                                        if (picture)
                                            SendDlgItemMessage(dlg, IDC_PROMPT_ICON, STM_SETIMAGE, IMAGE_BITMAP,
                                                               reinterpret_cast<LPARAM>(picture));
                                        return TRUE;
                                    }
                                    if (msg == WM_COMMAND) {
                                        const int id = LOWORD(wp);
                                        if (id == IDYES || id == IDNO || id == IDCANCEL) {
                                            ticked = IsDlgButtonChecked(dlg, IDC_PROMPT_APPLY_ALL) == BST_CHECKED;
                                            EndDialog(dlg, id);
                                            return TRUE;
                                        }
                                    }
                                    return FALSE;
                                },
                                0);
        };
        result = KvFromResources(show, INT_PTR(-1));
    }
    if (picture) DeleteObject(picture);
    applyAll = ticked;
    // A dialog that could not be shown answers as Cancel: nothing is lost.
    return result == IDYES || result == IDNO ? result : IDCANCEL;
}

namespace {

void send(AcApDocument* doc, const std::string& text, bool echo) {
    acDocManager->sendStringToExecute(doc, text, true, false, echo);
}

// The text sent before every save when drawings are zoomed to their extents first.
void sendBeforeSave(AcApDocument* doc) {
    if (GetSettingNumber(SettingId::ZoomExtents)) {
        const std::string text = GetSettingText(SettingId::SaveBeforeScript);
        if (!text.empty()) send(doc, text, true);
    }
}

// A read-only drawing is never sent a save: its changes are dropped instead.
void saveOrDiscard(AcApDocument* doc) {
    if (doc->isReadOnly()) {
        acdbSetDbmod(doc->database(), 0);
    } else {
        sendBeforeSave(doc);
        send(doc, "_QSAVE ", true);
    }
}

bool closeOperation(int mode) { return mode >= kQueueOnlyCurrent && mode != kQueueScript; }

}  // namespace

// ---- The queue ------------------------------------------------------------------------------------

void AcKvUiTabCtrl::ClearQueue() {
    pendingQueue.clear();
    pendingMode = kQueueIdle;
    headStepDone_ = false;
}

void AcKvUiTabCtrl::PopQueueHead() {
    if (pendingQueue.empty()) return;
    pendingQueue.erase(pendingQueue.begin());
    headStepDone_ = false;
}

void AcKvUiTabCtrl::DropFromQueue(CItemData* item) {
    auto it = std::find(pendingQueue.begin(), pendingQueue.end(), item);
    if (it == pendingQueue.end()) return;
    const bool head = it == pendingQueue.begin();
    pendingQueue.erase(it);
    if (!head) return;
    headStepDone_ = false;
    // The head's drawing is closing: the next one starts once the host has finished with it.
    if (pendingQueue.empty()) ClearQueue();
    else if (hwnd_) PostMessage(hwnd_, kMsgStartNextQueueItem, 0, 0);
}

void AcKvUiTabCtrl::StartQueueHead() {
    // Run from the application context, so that the commands a step sends are queued behind it
    // rather than run inside this call.
    acDocManager->executeInApplicationContext(
        +[](void*) {
            KvGuard("MyDocumentActivated", [] {
                AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
                CItemData* head = tab.QueueHead();
                if (!head) return;
                if (AcApDocument* doc = head->drawingDoc) {
                    if (doc != acDocManager->curDocument()) {
                        KvTabPanel().ActivateDrawing(doc);   // its activation runs the step
                    } else if (!App().sdi || App().sdiModeEnabled) {
                        KvAdvanceQueueFor(doc);
                    }
                } else if (!head->docWindow) {
                    // A link tab: its drawing opens and takes its turn.
                    head->marked = 1;
                    const int index = KvTabPanel().FindItemIndex(head);
                    tab.SetCurSel(index);
                    tab.linkIndex = index;
                    KvTabPanel().OpenLinkTab(1);
                } else {
                    head->docWindow->activate();
                }
            });
        },
        nullptr);
}

bool AcKvUiTabCtrl::RunQueueStep(AcApDocument* doc, CItemData* head) {
    if (!doc || !head || headStepDone_) return false;
    const int mode = pendingMode;
    if (mode != kQueueSaveAll && mode != kQueueSaveAllToFolder && head->drawingDoc != doc) return false;
    headStepDone_ = true;
    switch (mode) {
    case kQueueSaveAll:
        saveOrDiscard(doc);
        send(doc, "KV_COMMANDLOOP ", false);
        break;
    case kQueueSaveAllToFolder: {
        int titled = 0;
        if (KvGetVarInt("DWGTITLED", &titled) != RTNORM || titled != 1) {
            // An unnamed drawing has no name to save under: the run stops here.
            ClearQueue();
            return true;
        }
        const std::string target = WithTrailingSeparator(targetFolder) + KvGetVarText("DWGNAME");
        if (acDocManager->lockDocument(doc) == Acad::eOk) {
            const Acad::ErrorStatus es = doc->database()->saveAs(target, true, AcDb::kDHL_1027);
            acDocManager->unlockDocument(doc);
            if (es != Acad::eOk) acutPrintf("\n** %s was not saved.\n", target.c_str());
        }
        sendBeforeSave(doc);
        if (doc->isReadOnly()) acdbSetDbmod(doc->database(), 0);
        else if (head->fileType == kFileTypeDwg) send(doc, "_QSAVE ", true);
        send(doc, "KV_COMMANDLOOP ", false);
        break;
    }
    case kQueueOnlyCurrent:
    case kQueueCloseSelected:
        if (!CloseWithPrompt(doc)) ClearQueue();
        break;
    case kQueueSaveCloseAll:
    case kQueueSaveCloseAllExit:
        saveOrDiscard(doc);
        send(doc, "KV_COMMANDLOOP ", false);
        break;
    case kQueueNoSaveCloseAll:
    case kQueueNoSaveCloseAllExit:
        acdbSetDbmod(doc->database(), 0);
        send(doc, "KV_COMMANDLOOP ", false);
        break;
    case kQueueScript:
        send(doc, "KV_SCRIPT ", false);
        break;
    case kQueueChangeToLink:
        if (!head->loopPending) {
            head->keepAsLink = 1;
            head->modified = 0;
            if (!CloseWithPrompt(doc)) {
                head->keepAsLink = 0;
                ClearQueue();
            }
        } else {
            head->loopPending = 0;
            send(doc, "KV_COMMANDLOOP ", false);
        }
        break;
    default:
        return false;
    }
    return true;
}

bool AcKvUiTabCtrl::CloseWithPrompt(AcApDocument* doc) {
    if (acdbGetDbmod(doc->database()) != 0 && !applyToAll) {
        const PathParts parts = SplitPath(doc->fileName());
        char message[1024];
        std::snprintf(message, sizeof message, KvResourceText(IDS_SAVE_CHANGES).c_str(),
                      (parts.name + parts.extension).c_str());
        AcKvUiMsgDialog prompt(message);
        lastAnswer = int(prompt.DoModal());
        applyToAll = prompt.applyAll ? 1 : 0;
    }
    if (lastAnswer == IDYES) {
        saveOrDiscard(doc);
    } else if (lastAnswer == IDNO) {
        acdbSetDbmod(doc->database(), 0);
    } else {
        return false;   // cancelled: the drawing stays open
    }
    send(doc, "_CLOSE ", false);
    return true;
}

// ---- Starting an operation ------------------------------------------------------------------------

void AcKvUiTabCtrl::StartOperation(int mode, const std::vector<CItemData*>& items) {
    if (closeOperation(mode)) {
        lastAnswer = IDNO;
        applyToAll = 0;
    }
    ClearQueue();
    pendingMode = mode;
    pendingQueue = items;
    auto closeWindow = [](CItemData* item) {
        if (item->docWindow && item->docWindow->canClose()) item->docWindow->close();
    };
    // Tabs that are not drawings cannot take a turn: windows are closed, links left out (and gone
    // from the bar when everything is being closed).
    for (int i = int(pendingQueue.size()) - 1; i >= 0; --i) {
        CItemData* item = pendingQueue[size_t(i)];
        if (item->drawingDoc) continue;
        const bool window = item->docWindow != nullptr;
        // Save All opens and saves links in their turn; other windows have nothing to save and
        // would stall the run, so they are left out (and left open).
        if (mode == kQueueSaveAll && !window) continue;
        if (mode == kQueueSaveAll) {
            pendingQueue.erase(pendingQueue.begin() + i);
            continue;
        }
        if (mode == kQueueChangeToLink && !window) continue;
        // A script run opens the drawings of link tabs in their turn only when the user asked for it.
        if (mode == kQueueScript && !window && GetSettingNumber(SettingId::LinkTabClose)) continue;
        pendingQueue.erase(pendingQueue.begin() + i);
        if (window) {
            closeWindow(item);
        } else if (mode >= kQueueOnlyCurrent && mode <= kQueueNoSaveCloseAllExit) {
            KvTabPanel().DeleteDrawing(item);
        }
    }
    if (pendingQueue.empty()) {
        ClearQueue();
        return;
    }
    StartQueueHead();
}

std::vector<CItemData*> AcKvUiTabCtrl::AllItems() const {
    std::vector<CItemData*> out;
    for (int i = 0; i < GetItemCount(); ++i)
        if (CItemData* item = GetItem(i)) out.push_back(item);
    return out;
}

void AcKvUiTabCtrl::CloseMarked() {
    KvGuard("Select tab(s) close", [&] {
        std::vector<CItemData*> marked;
        for (CItemData* item : AllItems())
            if (item->marked) marked.push_back(item);
        StartOperation(kQueueCloseSelected, marked);
    });
}

bool AcKvUiTabCtrl::OnDocOperation(UINT id) {
    auto closeAll = [&](const char* operation, int mode, bool withoutSave) {
        KvGuard(operation, [&] {
            if (withoutSave && GetSettingNumber(SettingId::AskWithoutSave)) {
                const std::string question = KvResourceText(IDS_ASK_CLOSE_WITHOUT_SAVE);
                if (MessageBox(acedGetAcadFrame(), question, "Korvane", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
            }
            StartOperation(mode, AllItems());
        });
    };
    switch (id) {
    case ID_KV_SAVEALL:
        KvGuard("OnKvSaveall", [&] { StartOperation(kQueueSaveAll, AllItems()); });
        return true;
    case ID_KV_OTHER_FOLDER_SAVEALL:
        KvGuard("OnKvOtherFolderSaveall", [&] {
            BROWSEINFO info;
            info.hwndOwner = acedGetAcadFrame();
            info.lpszTitle = KvResourceText(IDS_SELECT_FOLDER);
            info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
            info.startFolder = targetFolder;
            PIDLIST_ABSOLUTE chosen = SHBrowseForFolder(&info);
            if (!chosen) return;
            std::string folder;
            SHGetPathFromIDList(chosen, &folder);
            CoTaskMemFree(chosen);
            if (folder.empty()) return;
            targetFolder = folder;
            StartOperation(kQueueSaveAllToFolder, AllItems());
        });
        return true;
    case ID_KV_CLOSE:
        KvGuard("Select tab(s) close", [&] {
            CItemData* item = menuItem ? menuItem : GetItem(GetCurSel());
            if (!item) return;
            for (CItemData* other : AllItems()) other->marked = other == item ? 1 : 0;
            markedItems = {item};
            StartOperation(kQueueCloseSelected, {item});
        });
        return true;
    case ID_KV_SELECTED_CLOSE:
        CloseMarked();
        return true;
    case ID_KV_ONLY_CURRENT:
        KvGuard("Only open current tab", [&] {
            std::vector<CItemData*> others;
            for (CItemData* item : AllItems())
                if (!item->marked) others.push_back(item);
            StartOperation(kQueueOnlyCurrent, others);
        });
        return true;
    case ID_KV_CLOSE_ALL:
        closeAll("Close all", kQueueSaveCloseAll, false);
        return true;
    case ID_KV_CLOSE_ALL_EXIT:
        closeAll("Close all", kQueueSaveCloseAllExit, false);
        return true;
    case ID_KV_NOSAVE_CLOSE_ALL:
        closeAll("No save and close all", kQueueNoSaveCloseAll, true);
        return true;
    case ID_KV_NOSAVE_CLOSE_ALL_EXIT:
        closeAll("No save and close all", kQueueNoSaveCloseAllExit, true);
        return true;
    case ID_KV_CHANGE_TO_LINK:
        KvGuard("Other file link open", [&] {
            std::vector<CItemData*> items;
            for (CItemData* item : AllItems()) {
                item->loopPending = item->marked ? 1 : 0;
                if (item->drawingDoc || item->docWindow) items.push_back(item);
            }
            StartOperation(kQueueChangeToLink, items);
        });
        return true;
    default:
        return false;
    }
}
