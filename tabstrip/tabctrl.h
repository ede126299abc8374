// AcKvUiTabCtrl: the plug-in's tab control, a platform tab control whose tabs the plug-in paints
// itself: file icon with overlays, format strip or thumbnail, caption with halo, action glyphs,
// and the outline and band of the selected tab for the side the bar is docked to.
#pragma once
#include <string>
#include <vector>
#include "gfx/canvas.h"
#include "settings/dockside.h"
#include "tabstrip/controller.h"
#include "tabstrip/host.h"
#include "tabstrip/itemdata.h"
#include "tabstrip/layout.h"
#include "tabstrip/model.h"
#include "tabstrip/painting.h"
#include "tabstrip/queue.h"
#include "win/menu.h"
#include "win/tabctrl.h"

namespace kvui {
class CKvTooltip;
}
class AcKvUiTabPanel;

// The frame's File Close command.
constexpr UINT kCmdFileClose = 57602;

// The format code a tab shows (its pictures: tabstrip/painting.h).
int KvFormatCodeFromVersionCode(int versionCode);

class AcKvUiTabCtrl {
public:
    // `panel` is the panel that owns the control (null for a control standing alone, which has
    // no panel to close or activate through).
    explicit AcKvUiTabCtrl(AcKvUiTabPanel* panel = nullptr);
    ~AcKvUiTabCtrl();
    AcKvUiTabCtrl(const AcKvUiTabCtrl&) = delete;
    AcKvUiTabCtrl& operator=(const AcKvUiTabCtrl&) = delete;

    bool Create(HWND parent, const RECT& rect, UINT id);
    void Destroy();
    HWND GetSafeHwnd() const { return hwnd_; }
    AcKvUiTabPanel* Panel() const { return panel_; }

    // Loads the pictures, applies the style for `dockSide`, sets the 4 by 4 padding.
    void Initialise();
    void ApplyDockStyle(int dockSide);
    void SetDefaultFonts();
    // Replaces either font from a font record (an empty or unparsable record keeps the font).
    void SetFonts(const std::string& selectedRecord, const std::string& unselectedRecord);
    int SelectedFontHeight() const { return selectedFontHeight_; }
    void SetFixedWidth(bool fixed, int minTabWidth);
    void SetItemSize(SIZE size);
    // Takes over the scroll arrows the control shows when its row of tabs does not fit (its
    // "msctls_updown32" child): horizontal arrows for a row, vertical ones for columns. The
    // arrows found, or null when the control has none.
    HWND RefreshScrollArrows();

    // Tabs.
    int GetItemCount() const { return model_.Count(); }
    CItemData* GetItem(int index) const { return model_.At(index); }
    int InsertTab(int index, const std::string& caption, CItemData* item);
    void DeleteTab(int index);         // deletes the tab's item too
    CItemData* DetachTab(int index);   // removes the tab and hands its item over
    std::string GetCaption(int index) const;
    void SetCaption(int index, const std::string& caption);
    int GetCurSel() const;
    void SetCurSel(int index);
    RECT GetItemRect(int index) const;
    void Redraw();

    // Painting (public for buffered painting and tests).
    void Paint(HDC dc);
    void DrawItem(HDC dc, int index, RECT rect, bool selected);
    // The tab under a client point (a tab whose rectangle holds it with its right and bottom
    // edges included serves when no tab holds it strictly) and the action glyph under it (0 none).
    int HitTest(POINT client, int* glyph = nullptr) const;
    // The host counts as busy without a current document, while it runs a command or while the
    // document switcher is open.
    bool HostBusy() const;

    // The caption as DrawItem paints it: name, extension when shown, shortened when asked.
    std::string PaintedCaption(int index) const;
    // Where DrawItem puts the caption inside a tab rectangle: after the icon (or below the
    // thumbnail), 4 pixels in without either, short of the close glyph when it is shown.
    RECT CaptionRect(RECT tab, const CItemData& item) const;
    // Action glyph squares (1 close, 2 menu, 3 link) of a tab rectangle.
    RECT GlyphRect(const RECT& tab, int glyph) const;
    // The fields the geometry of a tab depends on.
    KvTabStyle LayoutStyle() const;

    // Fields filled from settings (see the settings table).
    COLORREF startColor, middleColor, endColor = RGB(142, 142, 142);
    int bgEffect = 2;
    int borderLineType = 3;
    bool useOutline = true;
    COLORREF outlineColor = RGB(255, 255, 128);
    int outlineWidth = 8;
    bool fileIcon = true, versionIcon = true, thumbnailIcon = false;
    bool showExtension = true, maxCharUse = false;
    int maxChars = 20;
    bool showClose = true;
    int dockSide = kDockTop;
    COLORREF selTextColor = RGB(0, 0, 128), unselTextColor = RGB(128, 128, 128);
    int fixedWidthX = 140;
    bool fixedWidth = false;
    int subControlSize = 6;
    // The rich tooltip: on at all, with the picture, with the description; the preview's band.
    bool tooltipEnable = true, showThumbnail = false, showDesc = false, thumbnailComment = true;
    // The tooltip window watching this control's mouse messages (owned by the panel).
    kvui::CKvTooltip* tooltip = nullptr;
    COLORREF readOnlyColor = RGB(255, 0, 0);
    bool vertical = false;
    bool openSort = false;
    // The pending-operation queue of an operation over several drawings. Its work lives with the
    // operations (menus/docops), which the controller runs.
    const KvOperationQueue& Queue() const { return queue_; }
    KvOperationQueue& Queue() { return queue_; }
    std::vector<CItemData*> AllItems() const;
    // Tells the controller the queue's next head is due (posted or sent by the operations).
    static constexpr UINT kMsgStartNextQueueItem = 546;

    int openingLink = 0;
    int linkIndex = -1;
    // The marked set (the marked tabs in bar order) and the click rules over it.
    std::vector<CItemData*> MarkedItems() const { return model_.Marked(); }
    void MarkOnly(const std::vector<CItemData*>& items) { model_.MarkOnly(items); }
    KvTabStripModel& Model() { return model_; }
    const KvTabStripModel& Model() const { return model_; }

    // The favourites opening at start-up: timer 777 ticks until the current drawing is quiescent.
    static constexpr UINT_PTR kFavouritesTimer = 777;

    // Where the control reports what it does not handle itself (null: nowhere).
    void SetController(KvTabStripController* controller) { controller_ = controller; }
    KvTabStripController* Controller() const { return controller_; }

    // The windows above the strip: the bar that holds it and the document switcher (null: none,
    // and the strip behaves as if there were no bar and no switcher). Set by the panel's owner.
    void SetHost(KvTabStripHost* host) { host_ = host; }
    KvTabStripHost* Host() const { return host_; }
    bool SwitcherVisible() const { return host_ && host_->SwitcherVisible(); }
    // Ctrl+Tab: opens the switcher; false when there is none.
    bool OpenSwitcher(bool backwards) { return host_ && host_->OpenSwitcher(backwards); }

    // Dragging a tab to another place.
    int dragging = 0;
    int dragFrom = -1;
    int dropIndex = -1;
    RECT dropMarker{};
    void UpdateDropMarker(POINT client);
    void MoveTab(int from, int to);

    // The glyph the left button is held on (tab index and glyph number; 0: none).
    int pressedTab = -1;
    int pressedGlyph = 0;

    // The action of glyph 1, 2 or 3 on a tab (refused while the host is busy).
    void GlyphAction(int index, int glyph);
    // Closes the drawing of a tab as the host frame's File Close does.
    void CloseDrawing(CItemData* item);

private:
    LRESULT WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    int formatCodeOf(const CItemData& item) const;
    // How the tabs look, and what tab `index` shows.
    KvTabLook look() const;
    KvTabFace face(int index, bool selected) const;
    void buildFonts(const LOGFONT& base);

    AcKvUiTabPanel* const panel_;
    HWND hwnd_ = nullptr;
    KvTabStripModel model_;   // the tabs' items, in the order the control shows them
    KvTabStripController* controller_ = nullptr;
    KvTabStripHost* host_ = nullptr;
    KvOperationQueue queue_;
    HFONT selFont_ = nullptr, unselFont_ = nullptr;
    int selectedFontHeight_ = 12;
    LOGFONT defaultBase_;   // what SetDefaultFonts builds on: the control's font as created
    std::vector<HBITMAP> pictures_;
};
