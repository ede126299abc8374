#include "core/wiring/document_events.h"

#include "arx/aced.h"
#include "batch/batchdlg.h"
#include "core/app_state.h"
#include "core/hostvars.h"
#include "core/wiring/lifecycle.h"
#include "hosting/dockbar.h"
#include "menus/docops.h"
#include "tabstrip/panel.h"

namespace {

class ModuleDocumentEvents final : public KvDocumentEvents {
public:
    explicit ModuleDocumentEvents(AcKvUiTabPanel& panel) : panel_(panel) {}

    void DocumentCreated(AcApDocument* doc) override { KvBatchDialogDocumentEvent(doc->fileName(), true); }
    void DocumentToBeDestroyed(AcApDocument* doc) override { KvBatchDialogDocumentEvent(doc->fileName(), false); }

    bool HasTab(AcApDocument* doc) override { return panel_.FindItemByDocument(doc) != nullptr; }
    void AddTab(AcApDocument* doc) override {
        panel_.InsertDrawing(doc);
        panel_.SetCurTabFromDocument(doc);
    }
    void AddTab(AcApDocWindow* window) override {
        panel_.InsertDocWindow(window);
        panel_.SetCurTabFromDocument(window);
    }
    void SelectTab(AcApDocument* doc) override { panel_.SetCurTabFromDocument(doc); }
    void SelectTab(AcApDocWindow* window) override { panel_.SetCurTabFromDocument(window); }
    void RemoveTab(AcApDocument* doc) override { panel_.DeleteDrawing(doc); }
    void RemoveTab(AcApDocWindow* window) override { panel_.DeleteDrawing(window); }
    void DrawingActivated(AcApDocument* doc) override { panel_.AdvanceQueueFor(doc); }
    void DrawingSaved(AcApDocument* doc) override { panel_.ModifyDrawing(doc); }
    void DrawingSavedUnasked(AcApDocument* doc, const std::string& fileName) override {
        if (CItemData* item = panel_.FindItemByDocument(doc)) panel_.RefreshFileInfo(item, fileName);
    }
    void SingleDocumentModeChanged() override {
        AcKvUiTabCtrl& tab = panel_.TabCtrl();
        for (int i = 0; i < tab.GetItemCount(); ++i)
            if (CItemData* item = tab.GetItem(i); item && item->drawingDoc) item->keepAsLink = App().sdi ? 1 : 0;
        // The bar follows the rule every tab change applies, which counts the tabs: 'One tab
        // hidden' must not hide a bar of several tabs.
        panel_.UpdateBarVisibility();
    }

    bool DisableBarForPlot() override {
        CKorvaneDialogBar* bar = KvDockBar();
        const bool disable = bar && bar->IsVisible();
        if (disable) EnableWindow(bar->GetSafeHwnd(), FALSE);
        return disable;
    }
    void EnableBarAfterPlot() override {
        if (KvDockBar()) EnableWindow(KvDockBar()->GetSafeHwnd(), TRUE);
    }
    void CommandEnded(const std::string& name) override {
        if (KvTabOperations* operations = KvStripOperations()) operations->OnCommandEnded(name);
    }
    void CommandStopped(const std::string& name) override {
        if (KvTabOperations* operations = KvStripOperations()) operations->OnCommandStopped(name);
    }
    void CurrentDrawingChanged(bool afterSaveAs) override {
        // The selected tab's modified mark follows DBMOD.
        AcKvUiTabCtrl& tab = panel_.TabCtrl();
        const int selected = tab.GetCurSel();
        if (selected < 0 || !tab.fileIcon) return;
        CItemData* item = tab.GetItem(selected);
        AcApDocument* doc = acDocManager->curDocument();
        if (!item || !doc || item->drawingDoc != doc) return;
        if (afterSaveAs) item->SetPathName(doc->fileName());
        int dbmod = 0;
        KvGetVarInt("DBMOD", &dbmod);
        item->modified = dbmod != 0 ? 1 : 0;
        tab.Redraw();
    }
    void FrameMovedOrResized() override { KvCheckSystemMenuMonitor(); }

private:
    AcKvUiTabPanel& panel_;
};

}   // namespace

std::unique_ptr<KvDocumentEvents> KvMakeModuleDocumentEvents(AcKvUiTabPanel& panel) {
    return std::make_unique<ModuleDocumentEvents>(panel);
}
