// AcKvUiTabCtrlDialog: the Ctrl+Tab document switcher. While Ctrl is held each Tab moves a
// highlight through a list of every tab (Shift+Tab moves it back); releasing Ctrl activates the
// highlighted drawing, window or link. Under the list: the highlighted drawing's picture and facts,
// and a status line with the tab count and the machine's memory.
#pragma once
#include <cstdint>
#include <string>
#include "win/imagelist.h"
#include "win/system.h"
#include "win/tabctrl.h"
#include "win/window.h"

struct CItemData;
class AcKvUiTabPanel;

// A byte count for people: "512 B", "1,024" grouping, "1.50 KB", "2 MB", "17.25 GB"; the two
// decimals are the truncated hundredths of the unit and a ".00" is left out.
std::string KvFormatByteSize(std::uint64_t bytes);
// The name of a drawing-version code of the host's database ("2013 final", "(Unknown)", ...).
std::string KvDwgVersionName(int versionCode);

// Which picture of the switcher's image list a tab shows.
enum class KvSwitcherTab { Drawing, Window, Link };
constexpr int kSwitcherIconUnknown = 0;
constexpr int kSwitcherIconDocument = 11;
constexpr int kSwitcherIconWindow = 12;
constexpr int kSwitcherIconCount = 13;
// Drawings by the format of their file on disk, links by the format code read from the file.
int KvSwitcherIconIndex(KvSwitcherTab kind, int fileType, int diskFormat, int versionCode);
// "N Item(s), Total RAM: ..., free: ..., virtual free: ..., load=N%\n".
std::string KvSwitcherStatusLine(int items, const MEMORYSTATUSEX& memory);

class AcKvUiTabCtrlDialog {
public:
    // Lists the tabs of `panel`, which outlives the switcher.
    explicit AcKvUiTabCtrlDialog(AcKvUiTabPanel& panel) : panel_(panel) {}
    ~AcKvUiTabCtrlDialog();
    AcKvUiTabCtrlDialog(const AcKvUiTabCtrlDialog&) = delete;
    AcKvUiTabCtrlDialog& operator=(const AcKvUiTabCtrlDialog&) = delete;

    // Creates the dialog from its template, hidden, with `parent` as its parent.
    bool Create(HWND parent);
    void Destroy();
    HWND GetSafeHwnd() const { return hwnd_; }
    HWND List() const { return list_; }
    bool IsVisible() const;

    // Ctrl+Tab: shows the dialog, gives it the focus and fills it; the Tab that opened it moves the
    // highlight one row on (one row back with Shift), so that Ctrl+Tab alone switches documents.
    void Open(bool backwards);
    // Centres the dialog on its parent, lists every tab and highlights the current drawing's row.
    void Fill();
    void Next();
    void Previous();
    // Activates what the selected row stands for (on Ctrl release).
    void ChangeDocument();
    // Picture, path and facts of a row's tab (on every change of the selected row).
    void ShowDetails(int row);

    // The key handling, before the dialog's own: Ctrl held with Tab released arms, the next Tab
    // (Shift+Tab) moves the highlight on (back), Ctrl released hides the dialog and changes the
    // document. True when the message is used up. Only messages to the visible dialog count.
    bool PreTranslateMessage(MSG* msg);

    int HighlightedIndex() const { return highlighted_; }
    bool Armed() const { return armed_; }

private:
    INT_PTR DialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);
    void initControls();
    void paintThumbnail(const DRAWITEMSTRUCT& dis);
    void selectRow(int row);
    CItemData* rowItem(int row) const;   // null when the row's tab is gone meanwhile
    int rowCount() const;

    AcKvUiTabPanel& panel_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HIMAGELIST images_ = nullptr;
    HBITMAP bitmaps_[kSwitcherIconCount] = {};
    int highlighted_ = -1;
    bool armed_ = false;
    CItemData* detailsItem_ = nullptr;   // whose picture the thumbnail box shows
};

struct KvFeatureObjects;

// The switcher of the loaded module: created hidden at start-up into `owner`, destroyed at unload.
AcKvUiTabCtrlDialog* KvSwitcher();
bool KvCreateSwitcher(KvFeatureObjects& owner, HWND parent);
void KvDestroySwitcher(KvFeatureObjects& owner);
bool KvSwitcherVisible();
// The switcher's key handling for a message on its way (see PreTranslateMessage).
bool KvSwitcherPreTranslate(MSG* msg);
