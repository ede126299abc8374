// What the host reactors tell the layers above them (the tab strip, the dock bar, the batch
// dialog, the frame's system menu), which this layer cannot include: the module's wiring hands the
// reactors one implementation at start-up. Each call stands for one step the reactors take; the
// reactors keep the rules of when (single-document mode, saves, PLOT).
#pragma once
#include <string>
#include "arx/docman.h"

class KvDocumentEvents {
public:
    virtual ~KvDocumentEvents() = default;

    // Any document's life, whatever the mode (the batch dialog follows the drawings it opens).
    virtual void DocumentCreated(AcApDocument* doc) = 0;
    virtual void DocumentToBeDestroyed(AcApDocument* doc) = 0;

    // The tabs of documents and document windows.
    virtual bool HasTab(AcApDocument* doc) = 0;
    // A new tab, made the current one.
    virtual void AddTab(AcApDocument* doc) = 0;
    virtual void AddTab(AcApDocWindow* window) = 0;
    virtual void SelectTab(AcApDocument* doc) = 0;
    virtual void SelectTab(AcApDocWindow* window) = 0;
    virtual void RemoveTab(AcApDocument* doc) = 0;
    virtual void RemoveTab(AcApDocWindow* window) = 0;
    // `doc` became current while its tabs are kept: the pending operations move on.
    virtual void DrawingActivated(AcApDocument* doc) = 0;
    // A save of a drawing with a tab: one the user asked for (after the save rule was applied),
    // or one nobody asked for (an automatic save, which only refreshes the file's facts).
    virtual void DrawingSaved(AcApDocument* doc) = 0;
    virtual void DrawingSavedUnasked(AcApDocument* doc, const std::string& fileName) = 0;
    // SDI changed (App().sdi holds the new value) and the missing tabs were added.
    virtual void SingleDocumentModeChanged() = 0;

    // Commands. PLOT disables a visible bar while it runs: true when it did.
    virtual bool DisableBarForPlot() = 0;
    virtual void EnableBarAfterPlot() = 0;
    virtual void CommandEnded(const std::string& name) = 0;
    virtual void CommandStopped(const std::string& name) = 0;
    // After a command other than CLOSE: the current drawing's tab follows DBMOD (and takes the
    // new path after SAVEAS).
    virtual void CurrentDrawingChanged(bool afterSaveAs) = 0;
    virtual void FrameMovedOrResized() = 0;
};
