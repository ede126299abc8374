// AcKvUiTabPanel: the panel inside the dock bar that owns the tab control and keeps one tab per
// open drawing, per other host document window, and per link to a drawing file that is not open.
#pragma once
#include <string>
#include "arx/docman.h"
#include "tabstrip/banner.h"
#include "tabstrip/tabctrl.h"
#include "uikit/tooltip.h"

class AcKvUiTabPanel {
public:
    AcKvUiTabPanel() : tab_(this) {}
    ~AcKvUiTabPanel();
    AcKvUiTabPanel(const AcKvUiTabPanel&) = delete;
    AcKvUiTabPanel& operator=(const AcKvUiTabPanel&) = delete;

    // Creates the panel window inside `parent` and the tab control filling it, then inserts the
    // tabs of the drawings already open and selects the current one.
    bool Create(HWND parent, UINT id);
    void Destroy();
    HWND GetSafeHwnd() const { return hwnd_; }
    AcKvUiTabCtrl& TabCtrl() { return tab_; }
    void Resize(int width, int height);

    // Tab operations; each reports its own exception on the command line.
    void InsertDrawing(AcApDocument* doc);
    void InsertDocWindow(AcApDocWindow* window);
    void InsertLinkDrawing(const std::string& path);
    void ModifyDrawing(AcApDocument* doc);
    void ModifyItemData(int index, CItemData* item);
    // Forms every tab's caption again (after the caption settings changed), so that each tab is
    // sized for what it now shows.
    void RefreshCaptions();
    int DeleteDrawing(AcApDocument* doc);
    int DeleteDrawing(AcApDocWindow* window);
    int DeleteDrawing(CItemData* item);
    void SetCurTabFromDocument(AcApDocument* doc);
    void SetCurTabFromDocument(AcApDocWindow* window);
    int SetCurTabFromWildcard(const std::string& pattern);
    void UpdateBarVisibility();
    // Slides the banner in or out for the tab count.
    void UpdateBanner();
    AsUiBannerCtrl& Banner() { return banner_; }
    CItemData* GetItem(int index) const { return tab_.GetItem(index); }
    int FindItemIndex(const CItemData* item) const;
    CItemData* FindItemByDocument(AcApDocument* doc) const;
    // The item's picture, format code and description from its file, as after a save.
    void RefreshFileInfo(CItemData* item, const std::string& fileName);
    // After a change of language: every tab's description and picture made again, as they carry
    // texts of the string table.
    void RefreshTexts();

    // Opens the file of the link tab at the tab control's linkIndex, in the host's application
    // context; a file that no longer exists loses its tab.
    void OpenLinkTab(int advanceQueue);
    // The same, once the host is back in its application context. The host runs that later, when
    // this panel may be gone: the work finds the loaded module's panel through the lookup below
    // and does nothing without one.
    static void OpenLinkTabLater();
    // Advances the pending-operation queue when `doc` became current.
    void AdvanceQueueFor(AcApDocument* doc);
    // The selection notifications of the tab control.
    LRESULT OnSelChanging();
    void OnSelChange();
    // Brings the drawing's window forward, cancelling a running command first; needs no panel.
    static void ActivateDrawing(AcApDocument* doc);

    // Fills the tooltip's markup and placement for the tab under the pointer (the tooltip's display
    // notification); leaves the text empty when there is no tip to show.
    void OnTooltipDisplay(kvui::NMKVTOOLTIPDISPLAY* request);
    kvui::CKvTooltip& Tooltip() { return tooltip_; }

    // Where a new tab goes: the end, or with "Open sort" before the first tab whose name is not
    // less than the new one (letter case ignored).
    int InsertionIndex(const std::string& path) const;
    // Reads the settings the panel and tab control copy into their fields.
    void ReadSettings();

private:
    std::string captionOf(const std::string& path) const;
    // The item's preview picture and format code.
    void makeThumbnail(CItemData* item, const std::string& path) const;
    void afterCountChange();
    void fillDrawing(CItemData* item, AcApDocument* doc);

    HWND hwnd_ = nullptr;
    AcKvUiTabCtrl tab_;
    AsUiBannerCtrl banner_;
    kvui::CKvTooltip tooltip_;
    bool oneTabHidden_ = false;
};

// The pattern rule of the find command: "*" any run, "." any one character, the rest exact.
bool KvWildcardMatch(const std::string& pattern, const std::string& name);

// How work the host runs later (in application context) finds the panel: the layer that owns the
// panel sets a lookup answering the loaded module's panel, or null outside the module's life.
// Without a lookup such work finds no panel and does nothing.
using KvTabPanelLookup = AcKvUiTabPanel* (*)();
void KvSetTabPanelLookup(KvTabPanelLookup lookup);
