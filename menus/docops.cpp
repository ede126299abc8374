#include "menus/docops.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "core/paths.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "core/text.h"
#include "doctrack/docdata.h"
#include "doctrack/reactors.h"
#include "hosting/features.h"
#include "gfx/bitmap.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "tabstrip/panel.h"
#include "uikit/pickers.h"
#include "uikit/screen.h"
#include "win/automation.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/module.h"
#include "win/monitor.h"
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
            return DialogBoxParam(
                module, IDD_SAVE_PROMPT, acedGetAcadFrame(),
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

bool modified(AcApDocument* doc) { return acdbGetDbmod(doc->database()) != 0; }

// With 'Only Modified Dwg Files' on, a drawing without changes is left as it is on disk.
bool wantsSave(AcApDocument* doc) { return modified(doc) || !GetSettingNumber(SettingId::OnlyModifiedDwgFiles); }

std::string fileNameOf(AcApDocument* doc) {
    const PathParts parts = SplitPath(doc->fileName());
    return parts.name + parts.extension;
}

// A read-only drawing cannot be saved in place; its changes stay, and the user is told why.
void keepReadOnly(AcApDocument* doc) {
    if (modified(doc))
        acutPrintf("\n\"%s\" is read-only: its changes are kept; save it under another name with SAVEAS.\n",
                   fileNameOf(doc).c_str());
}

// A name for a copy in `folder` that this run has not written yet: the drawing's own name, else
// "name (2).ext", "name (3).ext", ... that is not on disk either.
std::string copyTarget(const std::string& folder, const std::string& name, const std::vector<std::string>& written) {
    auto taken = [&](const std::string& path) {
        return std::find(written.begin(), written.end(), FoldCase(path)) != written.end();
    };
    if (!taken(folder + name)) return folder + name;
    const PathParts parts = SplitPath(name);
    for (int n = 2;; ++n) {
        const std::string candidate = folder + parts.name + " (" + std::to_string(n) + ")" + parts.extension;
        std::error_code ec;
        if (!taken(candidate) && !std::filesystem::exists(candidate, ec)) return candidate;
    }
}

}   // namespace

// ---- The queue ------------------------------------------------------------------------------------

KvTabOperations::KvTabOperations(AcKvUiTabPanel& panel) : panel_(panel), tab_(panel.TabCtrl()) {}

void KvTabOperations::StopOperation() {
    tab_.Queue().Clear();
    ForgetAwaitedCommand();
}

void KvTabOperations::ForgetAwaitedCommand() {
    awaitDoc_ = nullptr;
    awaitCommand_.clear();
    awaitText_.clear();
}

void KvTabOperations::OnCommandLoop(AcApDocument* doc) {
    if (tab_.Queue().Count() == 0) return;
    const KvQueueMode mode = tab_.Queue().Mode();
    tab_.Queue().Pop();
    ForgetAwaitedCommand();
    if (!tab_.Queue().IsIdle()) {
        SendMessage(tab_.GetSafeHwnd(), AcKvUiTabCtrl::kMsgStartNextQueueItem, 0, 0);
        return;
    }
    // The last drawing is done: the operation's final command, once.
    const char* final = KvQueueFinalCommand(mode, App().sdiModeEnabled && App().sdi);
    StopOperation();
    if (final && doc) send(doc, final, false);
}

void KvTabOperations::DropFromQueue(const CItemData* item) {
    if (!tab_.Queue().Drop(item)) return;
    ForgetAwaitedCommand();
    // The head's drawing is closing: the next one starts once the host has finished with it.
    if (!tab_.Queue().IsIdle() && tab_.GetSafeHwnd())
        PostMessage(tab_.GetSafeHwnd(), AcKvUiTabCtrl::kMsgStartNextQueueItem, 0, 0);
}

void KvTabOperations::SendAfter(AcApDocument* doc, const std::string& command, const std::string& text,
                                const std::string& then) {
    // Armed first: a host that runs the text at once reports its end inside the call.
    awaitDoc_ = doc;
    awaitCommand_ = command;
    awaitText_ = then;
    send(doc, text, true);
}

void KvTabOperations::OnCommandEnded(const std::string& name) {
    if (!awaitDoc_ || name != awaitCommand_ || acDocManager->curDocument() != awaitDoc_) return;
    AcApDocument* doc = awaitDoc_;
    const std::string text = awaitText_;
    ForgetAwaitedCommand();
    if (!text.empty()) send(doc, text, false);
}

void KvTabOperations::OnCommandStopped(const std::string& name) {
    // A command of the running step was cancelled or failed in the head's drawing: the run ends
    // for good, so that nothing it left behind resumes it later without asking.
    if (tab_.Queue().IsIdle() || !tab_.Queue().HeadStepped()) return;
    CItemData* head = tab_.Queue().Head();
    AcApDocument* doc = acDocManager->curDocument();
    if (!head || !doc || head->drawingDoc != doc) return;
    acutPrintf("\n%s did not complete in \"%s\": the operation over the drawings stops here.\n", name.c_str(),
               fileNameOf(doc).c_str());
    StopOperation();
}

void KvTabOperations::StartQueueHead() {
    // Run from the application context, so that the commands a step sends are queued behind it
    // rather than run inside this call. The host runs it later, when the module may be gone: it
    // finds the operations through the loaded module, and does nothing without one.
    acDocManager->executeInApplicationContext(
        +[](void*) {
            KvGuard("MyDocumentActivated", [] {
                if (KvTabOperations* operations = KvStripOperations()) operations->runQueueHead();
            });
        },
        nullptr);
}

void KvTabOperations::runQueueHead() {
    CItemData* head = tab_.Queue().Head();
    if (!head) return;
    if (AcApDocument* doc = head->drawingDoc) {
        if (doc != acDocManager->curDocument()) {
            panel_.ActivateDrawing(doc);   // its activation runs the step
        } else if (!App().sdi || App().sdiModeEnabled) {
            panel_.AdvanceQueueFor(doc);
        }
    } else if (!head->docWindow) {
        // A link tab: its drawing opens and takes its turn.
        head->marked = 1;
        const int index = panel_.FindItemIndex(head);
        tab_.SetCurSel(index);
        tab_.linkIndex = index;
        panel_.OpenLinkTab(1);
    } else {
        head->docWindow->activate();
    }
}

void KvTabOperations::SaveStep(AcApDocument* doc, bool save) {
    if (save && doc->isReadOnly()) {
        keepReadOnly(doc);
        save = false;
    }
    if (!save) {
        send(doc, "KV_COMMANDLOOP ", false);
        return;
    }
    sendBeforeSave(doc);
    // The queue moves on once the save has ended: an unnamed drawing's name prompt must not take
    // the next command for a file name, and a cancelled save ends the run.
    SendAfter(doc, "QSAVE", "_QSAVE ", "KV_COMMANDLOOP ");
}

void KvTabOperations::CopyStep(AcApDocument* doc, CItemData* head) {
    int titled = 0;
    if (KvGetVarInt("DWGTITLED", &titled) != RTNORM || titled != 1) {
        // An unnamed drawing has no name to copy under: it is left out and the run goes on.
        acutPrintf("\n\"%s\" has never been saved and is not copied.\n", fileNameOf(doc).c_str());
        send(doc, "KV_COMMANDLOOP ", false);
        return;
    }
    const std::string name = KvGetVarText("DWGNAME");
    const std::string folder = WithTrailingSeparator(targetFolder);
    const std::string target = copyTarget(folder, name, runCopies_);
    if (target != folder + name)
        acutPrintf("\n\"%s\" is copied as \"%s\": a drawing of the same name was copied before it.\n",
                   doc->fileName().c_str(), SplitPath(target).name.append(SplitPath(target).extension).c_str());
    // A copy keeps the drawing's kind (a DXF stays a DXF); its release is 2013 unless drawings
    // keep their own version.
    const bool dxf = head->fileType == kFileTypeDxf;
    int version = AcDb::kDHL_1027;
    if (GetSettingNumber(SettingId::MaintenanceVersion)) {
        const int own = KvVersionForFormat(docData(doc).openFormat);
        if (own != AcDb::kDHL_Unknown) version = own;
    }
    AcDbDatabase* db = doc->database();
    const int wasModified = acdbGetDbmod(db);
    if (acDocManager->lockDocument(doc) == Acad::eOk) {
        const Acad::ErrorStatus es = dxf ? db->dxfOut(target, 16, AcDb::AcDbDwgVersion(version))
                                         : db->saveAs(target, true, AcDb::AcDbDwgVersion(version));
        acDocManager->unlockDocument(doc);
        if (es == Acad::eOk) runCopies_.push_back(FoldCase(target));
        else acutPrintf("\n** %s was not saved.\n", target.c_str());
    }
    // Writing a copy is not saving the drawing: its own file is as it was, and so is DBMOD.
    acdbSetDbmod(db, wasModified);
    SaveStep(doc, head->fileType == kFileTypeDwg && wantsSave(doc));
}

bool KvTabOperations::RunQueueStep(AcApDocument* doc, CItemData* head) {
    // A step belongs to the head's drawing and runs once: other activations (a window closed,
    // another drawing opened) are not its turn.
    if (!doc || !head || tab_.Queue().HeadStepped() || head->drawingDoc != doc) return false;
    tab_.Queue().SetHeadStepped(true);
    switch (tab_.Queue().Mode()) {
    case KvQueueMode::SaveAll:
    case KvQueueMode::SaveCloseAll:
    case KvQueueMode::SaveCloseAllExit: SaveStep(doc, wantsSave(doc)); break;
    case KvQueueMode::SaveAllToFolder: CopyStep(doc, head); break;
    case KvQueueMode::OnlyCurrent:
    case KvQueueMode::CloseSelected:
        if (!CloseWithPrompt(doc)) StopOperation();
        break;
    case KvQueueMode::NoSaveCloseAll:
    case KvQueueMode::NoSaveCloseAllExit:
        acdbSetDbmod(doc->database(), 0);
        send(doc, "KV_COMMANDLOOP ", false);
        break;
    case KvQueueMode::Script: send(doc, "KV_SCRIPT ", false); break;
    case KvQueueMode::ChangeToLink:
        if (!head->loopPending) {
            head->keepAsLink = 1;
            if (!CloseWithPrompt(doc)) {
                head->keepAsLink = 0;
                StopOperation();
            }
        } else {
            head->loopPending = 0;
            send(doc, "KV_COMMANDLOOP ", false);
        }
        break;
    default: tab_.Queue().SetHeadStepped(false); return false;
    }
    return true;
}

bool KvTabOperations::CloseWithPrompt(AcApDocument* doc) {
    if (modified(doc) && !applyToAll) {
        char message[1024];
        std::snprintf(message, sizeof message, KvResourceText(IDS_SAVE_CHANGES).c_str(), fileNameOf(doc).c_str());
        AcKvUiMsgDialog prompt(message);
        lastAnswer = int(prompt.DoModal());
        applyToAll = prompt.applyAll ? 1 : 0;
    }
    if (lastAnswer == IDYES) {
        if (doc->isReadOnly() && modified(doc)) {
            // Yes never throws changes away: the drawing stays open and the run goes on.
            keepReadOnly(doc);
            if (CItemData* item = panel_.FindItemByDocument(doc)) item->keepAsLink = 0;
            send(doc, "KV_COMMANDLOOP ", false);
            return true;
        }
        if (!doc->isReadOnly() && wantsSave(doc)) {
            sendBeforeSave(doc);
            SendAfter(doc, "QSAVE", "_QSAVE ", "_CLOSE ");
            return true;
        }
    } else if (lastAnswer == IDNO) {
        acdbSetDbmod(doc->database(), 0);
    } else {
        return false;   // cancelled: the drawing stays open
    }
    send(doc, "_CLOSE ", false);
    return true;
}

// ---- Open From Other AutoCAD ------------------------------------------------------------------------

namespace {

// Releases an automation object however the work ends.
template <class T>
struct Released {
    T* object = nullptr;
    ~Released() {
        if (object) object->Release();
    }
};

// The work area of the first monitor that is not the primary one (the only one when there is one).
RECT secondMonitorWorkArea() {
    RECT area{0, 0, 0, 0};
    bool found = false;
    for (HMONITOR monitor : KvMonitors()) {
        MONITORINFOEX info;
        if (!GetMonitorInfo(monitor, &info)) continue;
        if (!found) area = info.rcWork;   // the primary, until another one turns up
        found = true;
        if (info.dwFlags & MONITORINFOF_PRIMARY) continue;
        area = info.rcWork;
        break;
    }
    return area;
}

}   // namespace

void KvTabOperations::OpenInOtherHost(const std::string& path) {
    if (path.empty()) return;
    // Every call can fail (no second instance registered, the file refused): the operation then
    // ends quietly, releasing what it holds.
    CLSID clsid;
    if (FAILED(CLSIDFromProgID("AutoCAD.Application", &clsid))) return;
    Released<IAcadApplication> app;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, &app.object))) return;
    if (FAILED(app.object->put_Visible(true))) return;
    Released<IAcadDocuments> documents;
    if (FAILED(app.object->get_Documents(&documents.object))) return;
    Released<IAcadDocument> document;
    if (FAILED(documents.object->Open(path, false, &document.object))) return;
    const RECT area = secondMonitorWorkArea();
    if (FAILED(app.object->put_WindowLeft(area.left)) || FAILED(app.object->put_WindowTop(area.top)) ||
        FAILED(app.object->put_Width(area.right - area.left)) || FAILED(app.object->put_Height(area.bottom - area.top)))
        return;
    if (FAILED(app.object->put_WindowState(acMax))) return;
    document.object->put_WindowState(acMax);
}

// ---- Starting an operation ------------------------------------------------------------------------

void KvTabOperations::StartOperation(KvQueueMode mode, const std::vector<CItemData*>& items) {
    if (KvQueueClosesDrawings(mode)) {
        lastAnswer = IDNO;
        applyToAll = 0;
    }
    StopOperation();
    runCopies_.clear();
    // The queue is prepared aside and goes live only when it is complete: closing a window makes
    // another drawing current, and that activation must not find a half-made queue.
    std::vector<CItemData*> queue = items;
    auto closeWindow = [](CItemData* item) {
        if (item->docWindow && item->docWindow->canClose()) item->docWindow->close();
    };
    const bool onlyModified = GetSettingNumber(SettingId::OnlyModifiedDwgFiles) != 0;
    // Tabs that are not drawings cannot take a turn: windows are closed, links left out (and gone
    // from the bar when everything is being closed).
    for (int i = int(queue.size()) - 1; i >= 0; --i) {
        CItemData* item = queue[size_t(i)];
        if (item->drawingDoc) continue;
        const bool window = item->docWindow != nullptr;
        // Save All opens and saves links in their turn (unless only changed drawings are saved:
        // a link has none); other windows have nothing to save and would stall the run, so they
        // are left out (and left open).
        if (mode == KvQueueMode::SaveAll && !window && !onlyModified) continue;
        if (mode == KvQueueMode::SaveAll) {
            queue.erase(queue.begin() + i);
            continue;
        }
        if (mode == KvQueueMode::ChangeToLink && !window) continue;
        // A script run opens the drawings of link tabs in their turn only when the user asked for it.
        if (mode == KvQueueMode::Script && !window && GetSettingNumber(SettingId::LinkTabClose)) continue;
        queue.erase(queue.begin() + i);
        if (window) {
            closeWindow(item);
        } else if (KvQueueClosesAll(mode)) {
            panel_.DeleteDrawing(item);
        }
    }
    // Closing a window deletes its tab: keep only items that still have one.
    std::erase_if(queue, [this](CItemData* item) { return panel_.FindItemIndex(item) < 0; });
    if (queue.empty()) return;
    tab_.Queue().Start(mode, std::move(queue));
    StartQueueHead();
}

void KvTabOperations::CloseMarked() {
    KvGuard("Select tab(s) close", [&] {
        std::vector<CItemData*> marked;
        for (CItemData* item : tab_.AllItems())
            if (item->marked) marked.push_back(item);
        StartOperation(KvQueueMode::CloseSelected, marked);
    });
}

bool KvTabOperations::OnDocOperation(UINT id, CItemData* menuItem) {
    auto closeAll = [&](const char* operation, KvQueueMode mode, bool withoutSave) {
        KvGuard(operation, [&] {
            if (withoutSave && GetSettingNumber(SettingId::AskWithoutSave)) {
                const std::string question = KvResourceText(IDS_ASK_CLOSE_WITHOUT_SAVE);
                if (MessageBox(acedGetAcadFrame(), question, "Korvane", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
            }
            StartOperation(mode, tab_.AllItems());
        });
    };
    switch (id) {
    case ID_KV_SAVEALL:
        KvGuard("OnKvSaveall", [&] { StartOperation(KvQueueMode::SaveAll, tab_.AllItems()); });
        return true;
    case ID_KV_OTHER_FOLDER_SAVEALL:
        KvGuard("OnKvOtherFolderSaveall", [&] {
            const std::string folder =
                KvPickFolder(acedGetAcadFrame(), KvResourceText(IDS_SELECT_FOLDER), targetFolder);
            if (folder.empty()) return;
            targetFolder = folder;
            StartOperation(KvQueueMode::SaveAllToFolder, tab_.AllItems());
        });
        return true;
    case ID_KV_CLOSE:
        KvGuard("Select tab(s) close", [&] {
            CItemData* item = menuItem ? menuItem : tab_.GetItem(tab_.GetCurSel());
            if (!item) return;
            tab_.MarkOnly({item});
            StartOperation(KvQueueMode::CloseSelected, {item});
        });
        return true;
    case ID_KV_SELECTED_CLOSE: CloseMarked(); return true;
    case ID_KV_ONLY_CURRENT:
        KvGuard("Only open current tab", [&] {
            std::vector<CItemData*> others;
            for (CItemData* item : tab_.AllItems())
                if (!item->marked) others.push_back(item);
            StartOperation(KvQueueMode::OnlyCurrent, others);
        });
        return true;
    case ID_KV_CLOSE_ALL: closeAll("Close all", KvQueueMode::SaveCloseAll, false); return true;
    case ID_KV_CLOSE_ALL_EXIT: closeAll("Close all", KvQueueMode::SaveCloseAllExit, false); return true;
    case ID_KV_NOSAVE_CLOSE_ALL: closeAll("No save and close all", KvQueueMode::NoSaveCloseAll, true); return true;
    case ID_KV_NOSAVE_CLOSE_ALL_EXIT:
        closeAll("No save and close all", KvQueueMode::NoSaveCloseAllExit, true);
        return true;
    case ID_KV_OTHER_ACAD_OPEN:
        KvGuard("OnKvOtherOpenAcadApp", [&] {
            const CItemData* item = menuItem ? menuItem : tab_.GetItem(tab_.GetCurSel());
            if (item && !item->isWindow()) OpenInOtherHost(KvTabPath(*item));
        });
        return true;
    case ID_KV_CHANGE_TO_LINK:
        KvGuard("Other file link open", [&] {
            std::vector<CItemData*> items;
            for (CItemData* item : tab_.AllItems()) {
                item->loopPending = item->marked ? 1 : 0;
                if (item->drawingDoc || item->docWindow) items.push_back(item);
            }
            StartOperation(KvQueueMode::ChangeToLink, items);
        });
        return true;
    default: return false;
    }
}

KvTabOperations* KvStripOperations() {
    KvFeatureObjects* features = KvFeatures();
    return features ? &features->tabOperations : nullptr;
}
