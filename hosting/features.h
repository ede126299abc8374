// What the tab panel, the dock bar, the document switcher, the context menus, the drawing
// operations and the batch dialog keep while the module is loaded. The module's root owns the one
// instance; the functions of these folders reach it through KvFeatures(), which is null before
// start-up and after unload (they then behave as if there were no bar, no switcher, no context menu
// and no batch dialog).
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "batch/batchdlg.h"
#include "hosting/dockbar.h"
#include "hosting/striphost.h"
#include "hosting/switcher.h"
#include "menus/contextapp.h"
#include "menus/docops.h"
#include "menus/tabmenus.h"
#include "tabstrip/panel.h"
#include "win/types.h"

// Members in creation order; each member that refers to another comes after it, so that it goes
// first.
struct KvFeatureObjects {
    KvFeatureObjects();
    // Detaches the tab control from the menus and the host, then takes the panel's window down
    // before the bar that holds it, as unload does (when unload has not already).
    ~KvFeatureObjects();
    KvFeatureObjects(const KvFeatureObjects&) = delete;
    KvFeatureObjects& operator=(const KvFeatureObjects&) = delete;

    KvBarAndSwitcher stripHost;                // the tab strip's host: the bar's visibility, the switcher
    KvTabStripSettingsApplied stripSettings;   // the running strip as the Options dialog sees it
    // The tabs; its window exists while the bar does. Its tab control reports to tabMenus and asks
    // stripHost; the bar, the switcher, the operations and the menus keep references to it.
    AcKvUiTabPanel panel;
    std::unique_ptr<CKorvaneDialogBar> bar;
    HBITMAP sharedBitmaps[4] = {};   // the close, menu and link glyphs and the tab-menu arrow
    std::unique_ptr<AcKvUiContextApp> contextApp;
    std::unique_ptr<AcKvUiTabCtrlDialog> switcher;
    std::string lastInsertFolder;                 // where the insert-drawings picker opens
    std::vector<std::string> combinePaths;        // the marked drawings, until the combine runs
    std::unique_ptr<KvBatchDialog> batchDialog;   // made by the first KV_BSCRIPT
    KvTabOperations tabOperations;                // the operations over several drawings
    KvTabMenus tabMenus;                          // the tab strip's menus, the tab control's controller
};

// The instance of the loaded module, or null.
KvFeatureObjects* KvFeatures();

// The loaded module's tab panel. It exists only while the module is loaded: outside its life (before
// the initialise message, after unload) there is none, and this throws std::logic_error, which the
// host-boundary guard reports. What can run then (commands, exports, the message filter, work the
// host runs later) checks KvFeatures() or the root first; the reactors' events are handed the panel.
AcKvUiTabPanel& KvTabPanel();
