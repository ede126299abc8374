#include "doctrack/reactors.h"

#include <memory>
#include "arx/aced.h"
#include "batch/batchdlg.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "core/lifecycle.h"
#include "doctrack/docdata.h"
#include "hosting/dockbar.h"
#include "settings/settings.h"
#include "tabstrip/panel.h"
#include "win/imm.h"
#include "win/menu.h"
#include "win/monitor.h"

namespace {

std::unique_ptr<AcKvDocReactor> g_docReactor;
std::unique_ptr<AcKvEdReactor> g_edReactor;
std::unique_ptr<AcKvDocWindowManagerReactor> g_windowReactor;

// In single-document mode the document reactor keeps the tabs, and only when asked to.
bool documentReactorKeepsTabs() { return App().sdi && App().sdiModeEnabled; }

void insertDrawingTab(AcApDocument* doc) {
    KvTabPanel().InsertDrawing(doc);
    KvTabPanel().SetCurTabFromDocument(doc);
    updateOpenFormat(doc, false);
    commitDiskFormat(doc);
}

// Single-document mode without the plug-in's own handling leaves the tabs alone while it lasts;
// when the tabs are kept again, the drawings opened meanwhile get theirs and the current one is
// selected.
void addMissingDrawingTabs() {
    AcKvUiTabPanel& panel = KvTabPanel();
    std::unique_ptr<AcApDocumentIterator> it(acDocManager->newAcApDocumentIterator());
    for (; it && !it->done(); it->step()) {
        if (AcApDocument* doc = it->document(); doc && !panel.FindItemByDocument(doc)) insertDrawingTab(doc);
    }
    if (AcApDocument* cur = acDocManager->curDocument()) panel.SetCurTabFromDocument(cur);
}


}  // namespace

// ---- Queue -------------------------------------------------------------------------------------

void KvAdvanceQueueFor(AcApDocument* doc) {
    try {
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        CItemData* head = tab.Queue().Head();
        if (!head) return;
        tab.RunQueueStep(doc, head);
        // The mark says what DBMOD says: a step that saves clears it when its save has ended.
        if (KvTabPanel().FindItemIndex(head) >= 0 && head->drawingDoc && head->drawingDoc->database())
            head->modified = acdbGetDbmod(head->drawingDoc->database()) != 0 ? 1 : 0;
    } catch (...) {
        KvReportException("MyDocumentActivated");
    }
}

void KvApplyInputMethodRule() {
    if (!App().englishIme) return;
    HWND frame = acedGetAcadFrame();
    HIMC context = ImmGetContext(frame);
    DWORD conversion = 0, sentence = 0;
    if (ImmGetConversionStatus(context, &conversion, &sentence) && conversion != 0) {
        ImmSetConversionStatus(context, 0, 0);
        acutPrintf("\nKorvane :> IME_CMODE_ALPHANUMERIC");
    }
    ImmReleaseContext(frame, context);
}

// ---- Document manager --------------------------------------------------------------------------

AcKvDocReactor::AcKvDocReactor(bool autoRegister) {
    if (autoRegister) {
        acDocManager->addReactor(this);
        registered_ = true;
    }
}

AcKvDocReactor::~AcKvDocReactor() {
    if (registered_) acDocManager->removeReactor(this);
}

void AcKvDocReactor::documentCreated(AcApDocument* doc) {
    KvGuard("documentCreated", [&] {
        KvBatchDialogDocumentEvent(doc->fileName(), true);
        if (documentReactorKeepsTabs()) insertDrawingTab(doc);
    });
}

void AcKvDocReactor::documentToBeDestroyed(AcApDocument* doc) {
    KvGuard("documentToBeDestroyed", [&] {
        KvBatchDialogDocumentEvent(doc->fileName(), false);
        // In single-document mode the window reactor stays out, so the tab goes here: also when
        // the plug-in's handling is off and no tab is made, since a tab made before must not
        // outlive its document (it becomes a link when it was to be kept as one).
        if (App().sdi) KvTabPanel().DeleteDrawing(doc);
    });
}

void AcKvDocReactor::documentCreateCanceled(AcApDocument* doc) {
    KvGuard("documentCreateCanceled", [&] {
        if (documentReactorKeepsTabs()) KvTabPanel().DeleteDrawing(doc);
    });
}

void AcKvDocReactor::documentActivated(AcApDocument* doc) {
    KvGuard("documentActivated", [&] {
        if (!documentReactorKeepsTabs()) return;
        KvTabPanel().SetCurTabFromDocument(doc);
        KvAdvanceQueueFor(doc);
    });
}

// ---- Document windows --------------------------------------------------------------------------

void AcKvDocWindowReactor::documentWindowLoaded(AcApDocWindow* window) {
    KvGuard("documentCreated", [&] {
        if (AcApDocument* doc = window->document()) {
            if (App().sdi) return;
            insertDrawingTab(doc);
        } else {
            KvTabPanel().InsertDocWindow(window);
            KvTabPanel().SetCurTabFromDocument(window);
        }
    });
}

AcKvDocWindowManagerReactor::AcKvDocWindowManagerReactor(bool autoRegister) {
    if (autoRegister) {
        acDocWindowManager->addReactor(this);
        registered_ = true;
    }
}

AcKvDocWindowManagerReactor::~AcKvDocWindowManagerReactor() {
    if (registered_) acDocWindowManager->removeReactor(this);
    // The window reactors still attached go with their windows' reactor lists; detach them here,
    // since their code leaves with this module.
    for (auto& [window, reactor] : windows_) {
        if (reactor) {
            acDocWindowManager->removeReactor(window, reactor);
            delete reactor;
        }
    }
}

void AcKvDocWindowManagerReactor::attach(AcApDocWindow* window) {
    auto* reactor = new AcKvDocWindowReactor(window);
    acDocWindowManager->addReactor(window, reactor);
    windows_[window] = reactor;
}

void AcKvDocWindowManagerReactor::documentWindowCreated(AcApDocWindow* window) {
    KvGuard("documentCreated", [&] { attach(window); });
}

void AcKvDocWindowManagerReactor::documentWindowActivated(AcApDocWindow* window) {
    KvGuard("documentBecameCurrent", [&] {
        if (AcApDocument* doc = window->document()) {
            if (App().sdi) return;
            KvTabPanel().SetCurTabFromDocument(doc);
            KvAdvanceQueueFor(doc);
        } else {
            KvTabPanel().SetCurTabFromDocument(window);
        }
    });
}

void AcKvDocWindowManagerReactor::destroyed(AcApDocWindow* window) {
    if (AcApDocument* doc = window->document()) {
        if (!App().sdi) KvTabPanel().DeleteDrawing(doc);
    } else {
        KvTabPanel().DeleteDrawing(window);
    }
    // The window's reactor goes with the window in every mode, so that none is left behind.
    auto it = windows_.find(window);
    if (it != windows_.end() && it->second) {
        acDocWindowManager->removeReactor(window, it->second);
        delete it->second;
    }
    if (it != windows_.end()) windows_.erase(it);
}

void AcKvDocWindowManagerReactor::documentWindowDestroyed(AcApDocWindow* window) {
    KvGuard("documentWindowDestroyed", [&] { destroyed(window); });
}

void AcKvDocWindowManagerReactor::documentWindowReplaced(AcApDocWindow* newWindow, AcApDocWindow* oldWindow) {
    KvGuard("documentWindowReplaced", [&] {
        destroyed(oldWindow);
        attach(newWindow);
    });
}

// ---- Editor ------------------------------------------------------------------------------------

AcKvEdReactor::AcKvEdReactor(bool autoRegister) {
    if (autoRegister) {
        acedEditor->addReactor(this);
        registered_ = true;
    }
}

AcKvEdReactor::~AcKvEdReactor() {
    if (registered_) acedEditor->removeReactor(this);
}

void AcKvEdReactor::clearSaveFlags() {
    saving_ = quickSave_ = saveAs_ = false;
    restoreDefaultFormat();
}

void AcKvEdReactor::restoreDefaultFormat() {
    if (replacedDefaultFormat_ < 0) return;
    acDocManager->setDefaultFormatForSave(AcApDocument::SaveFormat(replacedDefaultFormat_));
    replacedDefaultFormat_ = -1;
}

void AcKvEdReactor::enableBarAfterPlot(const std::string& name) {
    if (name == "PLOT" && barDisabledForPlot_ && KvDockBar()) EnableWindow(KvDockBar()->GetSafeHwnd(), TRUE);
}

void AcKvEdReactor::commandWillStart(const std::string& name) {
    if (name == "SAVE" || name == "QSAVE") {
        saving_ = true;
        quickSave_ = name == "QSAVE";
        try {
            // Both plain saves keep the drawing in its own format; the host's default comes back
            // when the command is over, so that other drawings are not saved in this one's format.
            if (GetSettingNumber(SettingId::MaintenanceVersion) != 0) {
                if (AcApDocument* doc = acDocManager->curDocument()) {
                    const int previous = int(acDocManager->defaultFormatForSave());
                    if (acDocManager->setDefaultFormatForSave(AcApDocument::SaveFormat(docData(doc).openFormat)) ==
                            Acad::eOk &&
                        replacedDefaultFormat_ < 0)
                        replacedDefaultFormat_ = previous;
                }
            }
        } catch (...) {
            KvReportExceptionLine("Exception error : AcKvEdReactor::commandWillStart");
        }
    } else if (name == "SAVEAS") {
        saving_ = saveAs_ = true;
    } else if (name == "PLOT") {
        CKorvaneDialogBar* bar = KvDockBar();
        barDisabledForPlot_ = bar && bar->IsVisible();
        if (barDisabledForPlot_) EnableWindow(bar->GetSafeHwnd(), FALSE);
    }
}

void AcKvEdReactor::commandEnded(const std::string& name) {
    const bool wasSaveAs = saveAs_;
    clearSaveFlags();
    try {
        enableBarAfterPlot(name);
        KvTabPanel().TabCtrl().OnCommandEnded(name);
        if (name == "CLOSE") return;
        KvApplyInputMethodRule();
        // The selected tab's modified mark follows DBMOD.
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        const int selected = tab.GetCurSel();
        if (selected < 0 || !tab.fileIcon) return;
        CItemData* item = tab.GetItem(selected);
        AcApDocument* doc = acDocManager->curDocument();
        if (!item || !doc || item->drawingDoc != doc) return;
        if (wasSaveAs) item->pathName = doc->fileName();
        int dbmod = 0;
        KvGetVarInt("DBMOD", &dbmod);
        item->modified = dbmod != 0 ? 1 : 0;
        tab.Redraw();
    } catch (...) {
        char line[300];
        std::snprintf(line, sizeof line, "Exception error : COMMAND \"%s\"\n", name.c_str());
        KvReportExceptionLine(line);
    }
}

void AcKvEdReactor::commandCancelled(const std::string& name) {
    clearSaveFlags();
    try {
        KvTabPanel().TabCtrl().OnCommandStopped(name);
        KvApplyInputMethodRule();
        enableBarAfterPlot(name);
    } catch (...) {
        char line[300];
        std::snprintf(line, sizeof line, "Exception error : COMMAND \"%s\" Cancelled\n", name.c_str());
        KvReportExceptionLine(line);
    }
}

void AcKvEdReactor::commandFailed(const std::string& name) {
    clearSaveFlags();
    enableBarAfterPlot(name);
    KvGuard("commandFailed", [&] { KvTabPanel().TabCtrl().OnCommandStopped(name); });
}

void AcKvEdReactor::lispEnded() {
    try {
        KvApplyInputMethodRule();
    } catch (...) {
        KvReportExceptionLine("Exception error : lispEnded\n");
    }
}

void AcKvEdReactor::saveComplete(AcDbDatabase* db, const std::string& fileName) {
    try {
        AcApDocument* doc = acDocManager->document(db);
        if (!doc) return;
        AcKvUiTabPanel& panel = KvTabPanel();
        CItemData* item = panel.FindItemByDocument(doc);
        if (!item) return;
        if (App().sdi && !App().sdiModeEnabled) {
            // The bar does not follow single-document mode, but a tab it already holds must not
            // keep the old path of a drawing saved under a new name: its caption already shows the
            // new one, and closing it would leave a link to the wrong file.
            if (item->pathName != doc->fileName()) panel.ModifyDrawing(doc);
            return;
        }
        if (saving_) {
            const bool maintain = GetSettingNumber(SettingId::MaintenanceVersion) != 0;
            const KvSaveCommand command =
                quickSave_ ? KvSaveCommand::QuickSave : saveAs_ ? KvSaveCommand::SaveAs : KvSaveCommand::Save;
            KvApplySaveRule(docData(doc), command, maintain, int(doc->formatForSave()));
            panel.ModifyDrawing(doc);
        } else {
            // A save nobody asked for (an automatic save): only the file information.
            panel.RefreshFileInfo(item, fileName);
        }
    } catch (...) {
        char line[600];
        std::snprintf(line, sizeof line, "Exception error : \"%s\"\n", fileName.c_str());
        KvReportExceptionLine(line);
    }
}

void AcKvEdReactor::sysVarChanged(const std::string& name, bool) {
    if (name != "SDI" && name != "*SDI") return;
    KvGuard("sysVarChanged", [] {
        int sdi = 0;
        if (KvGetVarInt("SDI", &sdi) == RTNORM) App().sdi = sdi != 0;
        if (!App().sdi || App().sdiModeEnabled) addMissingDrawingTabs();
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        for (int i = 0; i < tab.GetItemCount(); ++i)
            if (CItemData* item = tab.GetItem(i); item && item->drawingDoc) item->keepAsLink = App().sdi ? 1 : 0;
        // The bar follows the rule every tab change applies, which counts the tabs: 'One tab
        // hidden' must not hide a bar of several tabs.
        KvTabPanel().UpdateBarVisibility();
    });
}

void AcKvEdReactor::mainFrameMovedOrResized(HWND, bool) {
    KvGuard("mainFrameMovedOrResized", [] {
        std::vector<HMONITOR> monitors;
        EnumDisplayMonitors([&](HMONITOR m) {
            monitors.push_back(m);
            return true;
        });
        if (monitors.size() < 2) return;
        HMONITOR view = MonitorFromWindow(acedGetAcadDwgView(), MONITOR_DEFAULTTONEAREST);
        HMENU popup = GetSubMenu(GetSystemMenu(acedGetAcadFrame(), FALSE), 0);
        if (!popup) return;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            EnableMenuItem(popup, UINT(i), MF_BYPOSITION | MF_ENABLED);
            CheckMenuItem(popup, UINT(i), MF_BYPOSITION | MF_UNCHECKED);
        }
        for (size_t i = 0; i < monitors.size(); ++i) {
            if (monitors[i] != view) continue;
            CheckMenuItem(popup, UINT(kCmdFirstMonitor + i), MF_BYCOMMAND | MF_CHECKED);
            EnableMenuItem(popup, UINT(kCmdFirstMonitor + i), MF_BYCOMMAND | MF_GRAYED);
        }
    });
}

// ---- Life --------------------------------------------------------------------------------------

void KvCreateReactors() {
    if (!g_docReactor) g_docReactor = std::make_unique<AcKvDocReactor>(true);
    if (!g_edReactor) g_edReactor = std::make_unique<AcKvEdReactor>(true);
    if (!g_windowReactor) g_windowReactor = std::make_unique<AcKvDocWindowManagerReactor>(true);
}

void KvDeleteReactors() {
    g_docReactor.reset();
    g_edReactor.reset();
    g_windowReactor.reset();
}
