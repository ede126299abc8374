#include "doctrack/reactors.h"

#include <memory>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "doctrack/docdata.h"
#include "settings/settings.h"
#include "win/imm.h"

namespace {

// In single-document mode the document reactor keeps the tabs, and only when asked to.
bool documentReactorKeepsTabs() { return App().sdi && App().sdiModeEnabled; }

void insertDrawingTab(KvDocumentEvents& events, AcApDocument* doc) {
    events.AddTab(doc);
    updateOpenFormat(doc, false);
    commitDiskFormat(doc);
}

// Single-document mode without the plug-in's own handling leaves the tabs alone while it lasts;
// when the tabs are kept again, the drawings opened meanwhile get theirs and the current one is
// selected.
void addMissingDrawingTabs(KvDocumentEvents& events) {
    std::unique_ptr<AcApDocumentIterator> it(acDocManager->newAcApDocumentIterator());
    for (; it && !it->done(); it->step()) {
        if (AcApDocument* doc = it->document(); doc && !events.HasTab(doc)) insertDrawingTab(events, doc);
    }
    if (AcApDocument* cur = acDocManager->curDocument()) events.SelectTab(cur);
}

}   // namespace

// ---- Input method ----------------------------------------------------------------------------

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

AcKvDocReactor::AcKvDocReactor(KvDocumentEvents& events, bool autoRegister) : events_(events) {
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
        events_.DocumentCreated(doc);
        if (documentReactorKeepsTabs()) insertDrawingTab(events_, doc);
    });
}

void AcKvDocReactor::documentToBeDestroyed(AcApDocument* doc) {
    KvGuard("documentToBeDestroyed", [&] {
        events_.DocumentToBeDestroyed(doc);
        // In single-document mode the window reactor stays out, so the tab goes here: also when
        // the plug-in's handling is off and no tab is made, since a tab made before must not
        // outlive its document (it becomes a link when it was to be kept as one).
        if (App().sdi) events_.RemoveTab(doc);
    });
}

void AcKvDocReactor::documentCreateCanceled(AcApDocument* doc) {
    KvGuard("documentCreateCanceled", [&] {
        if (documentReactorKeepsTabs()) events_.RemoveTab(doc);
    });
}

void AcKvDocReactor::documentActivated(AcApDocument* doc) {
    KvGuard("documentActivated", [&] {
        if (!documentReactorKeepsTabs()) return;
        events_.SelectTab(doc);
        events_.DrawingActivated(doc);
    });
}

// ---- Document windows --------------------------------------------------------------------------

void AcKvDocWindowReactor::documentWindowLoaded(AcApDocWindow* window) {
    KvGuard("documentCreated", [&] {
        if (AcApDocument* doc = window->document()) {
            if (App().sdi) return;
            insertDrawingTab(events_, doc);
        } else {
            events_.AddTab(window);
        }
    });
}

AcKvDocWindowManagerReactor::AcKvDocWindowManagerReactor(KvDocumentEvents& events, bool autoRegister)
    : events_(events) {
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
    auto* reactor = new AcKvDocWindowReactor(events_, window);
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
            events_.SelectTab(doc);
            events_.DrawingActivated(doc);
        } else {
            events_.SelectTab(window);
        }
    });
}

void AcKvDocWindowManagerReactor::destroyed(AcApDocWindow* window) {
    if (AcApDocument* doc = window->document()) {
        if (!App().sdi) events_.RemoveTab(doc);
    } else {
        events_.RemoveTab(window);
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

AcKvEdReactor::AcKvEdReactor(KvDocumentEvents& events, bool autoRegister) : events_(events) {
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
    if (name == "PLOT" && barDisabledForPlot_) events_.EnableBarAfterPlot();
}

void AcKvEdReactor::commandWillStart(const std::string& name) {
    if (name == "SAVE" || name == "QSAVE") {
        saving_ = true;
        quickSave_ = name == "QSAVE";
        KvGuardLine("Exception error : AcKvEdReactor::commandWillStart", [&] {
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
        });
    } else if (name == "SAVEAS") {
        saving_ = saveAs_ = true;
    } else if (name == "PLOT") {
        barDisabledForPlot_ = events_.DisableBarForPlot();
    }
}

void AcKvEdReactor::commandEnded(const std::string& name) {
    const bool wasSaveAs = saveAs_;
    clearSaveFlags();
    try {
        enableBarAfterPlot(name);
        events_.CommandEnded(name);
        if (name == "CLOSE") return;
        KvApplyInputMethodRule();
        events_.CurrentDrawingChanged(wasSaveAs);
    } catch (...) {
        char line[300];
        std::snprintf(line, sizeof line, "Exception error : COMMAND \"%s\"\n", name.c_str());
        KvReportExceptionLine(line);
    }
}

void AcKvEdReactor::commandCancelled(const std::string& name) {
    clearSaveFlags();
    try {
        events_.CommandStopped(name);
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
    KvGuard("commandFailed", [&] { events_.CommandStopped(name); });
}

void AcKvEdReactor::lispEnded() {
    KvGuardLine("Exception error : lispEnded\n", [] { KvApplyInputMethodRule(); });
}

void AcKvEdReactor::saveComplete(AcDbDatabase* db, const std::string& fileName) {
    try {
        AcApDocument* doc = acDocManager->document(db);
        if (!doc) return;
        if (!events_.HasTab(doc)) return;
        if (App().sdi && !App().sdiModeEnabled) {
            // The bar does not follow single-document mode, but a tab it already holds must not
            // keep the old path of a drawing saved under a new name: its caption already shows the
            // new one, and closing it would leave a link to the wrong file.
            events_.DrawingSaved(doc);
            return;
        }
        if (saving_) {
            const bool maintain = GetSettingNumber(SettingId::MaintenanceVersion) != 0;
            const KvSaveCommand command = quickSave_ ? KvSaveCommand::QuickSave
                : saveAs_                            ? KvSaveCommand::SaveAs
                                                     : KvSaveCommand::Save;
            KvApplySaveRule(docData(doc), command, maintain, int(doc->formatForSave()));
            events_.DrawingSaved(doc);
        } else {
            // A save nobody asked for (an automatic save): only the file information.
            events_.DrawingSavedUnasked(doc, fileName);
        }
    } catch (...) {
        char line[600];
        std::snprintf(line, sizeof line, "Exception error : \"%s\"\n", fileName.c_str());
        KvReportExceptionLine(line);
    }
}

void AcKvEdReactor::sysVarChanged(const std::string& name, bool) {
    if (name != "SDI" && name != "*SDI") return;
    KvGuard("sysVarChanged", [&] {
        int sdi = 0;
        if (KvGetVarInt("SDI", &sdi) == RTNORM) App().sdi = sdi != 0;
        if (!App().sdi || App().sdiModeEnabled) addMissingDrawingTabs(events_);
        events_.SingleDocumentModeChanged();
    });
}

void AcKvEdReactor::mainFrameMovedOrResized(HWND, bool) {
    KvGuard("mainFrameMovedOrResized", [&] { events_.FrameMovedOrResized(); });
}

// ---- Life --------------------------------------------------------------------------------------

void KvReactors::Create(KvDocumentEvents& events) {
    if (!document_) document_ = std::make_unique<AcKvDocReactor>(events, true);
    if (!editor_) editor_ = std::make_unique<AcKvEdReactor>(events, true);
    if (!windows_) windows_ = std::make_unique<AcKvDocWindowManagerReactor>(events, true);
}

void KvReactors::Delete() {
    document_.reset();
    editor_.reset();
    windows_.reset();
}
