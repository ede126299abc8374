// The options dialog: the copy of the settings, the frame with its tree of pages, OK and Cancel.
// The pages themselves are in options_pages.cpp.
#include "settings/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "core/app_state.h"
#include "core/guard.h"
#include "core/profile.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "res/resource.h"
#include "settings/language.h"
#include "settings/options_pages.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/system.h"
#include "win/tabctrl.h"

// ---- The copy of the settings -------------------------------------------------------------------

COptionsValues KvReadOptionsValues() {
    COptionsValues v;
    for (int i = 1; i <= kSettingCount; ++i) {
        const auto id = SettingId(i);
        // Numbers show as they are used, so that OK never writes back a value nothing can use.
        if (GetSettingDef(id).kind == SettingKind::Numeric) v.number[std::size_t(i)] = GetUsableSettingNumber(id);
        else v.text[std::size_t(i)] = GetSettingText(id);
    }
    v.str(SettingId::UserPassword) = UnscramblePassword(v.str(SettingId::UserPassword));
    return v;
}

const std::vector<SettingId>& KvOptionsWriteOrder() {
    static const std::vector<SettingId> order = [] {
        const int n[] = {1,  5,  46, 6,  60, 8,  66, 7,  9,  10, 11, 12, 45, 53, 54, 47, 13, 14, 15, 16, 17, 18, 19,
                         20, 21, 55, 22, 23, 24, 70, 27, 61, 25, 26, 28, 52, 49, 57, 58, 59, 67, 68, 69, 29, 30, 31,
                         56, 48, 34, 62, 63, 64, 65, 50, 51, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 71, 72, 73};
        std::vector<SettingId> ids;
        for (int i : n) ids.push_back(SettingId(i));
        return ids;
    }();
    return order;
}

void KvWriteOptionsValues(const COptionsValues& v) {
    SettingsWriteGroup group;
    for (SettingId id : KvOptionsWriteOrder()) {
        if (id == SettingId::UserPassword) {
            SetSettingText(id, v.num(SettingId::SavePassword) ? ScramblePassword(v.str(id)) : std::string());
        } else if (GetSettingDef(id).kind == SettingKind::Numeric) {
            SetSettingNumber(id, v.num(id));
        } else {
            SetSettingText(id, v.str(id));
        }
    }
}

// ---- Rules of the boxes -------------------------------------------------------------------------

int KvOptionsNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    long long value = 0;
    bool any = false;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        any = true;
        // Saturates rather than overflowing; the page's range rule then applies.
        if (value < 0x7FFFFFFFLL) value = value * 10 + (text[i] - '0');
    }
    if (!any) return 0;
    value = std::min<long long>(value, 0x7FFFFFFFLL);
    return int(negative ? -value : value);
}

namespace {
constexpr const char* kDefaultSaveCommand = "'_ZOOM _Extents ";
std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}
}  // namespace

std::string KvSaveCommandShown(const std::string& stored) {
    if (stored.size() < 2) return kDefaultSaveCommand;
    return trimRight(stored) + " ";
}

std::string KvSaveCommandStored(const std::string& box) {
    const std::string t = trimRight(box);
    if (t.empty()) return kDefaultSaveCommand;
    return t + " ";
}

int KvOutlineWidthFromText(const std::string& box) {
    const int w = KvOptionsNumber(box);
    return w >= 1 && w <= 8 ? w : 8;
}

int KvSimilarPositionFromText(const std::string& box) { return KvOptionsNumber(box) & 0xFF; }


// ---- The frame ----------------------------------------------------------------------------------

namespace {

struct PageRow {
    UINT title;
    int parent;   // index of the parent row, -1 for none
};
// Tree order; indented rows are children of the row named.
constexpr PageRow kRows[] = {
    {IDS_PAGE_SHAPE, -1},      {IDS_PAGE_TAB_ITEM, 0},       {IDS_PAGE_TAB_STYLE, 0},  {IDS_PAGE_LANGUAGE, 0},
    {IDS_PAGE_TOOLTIP, 0},     {IDS_PAGE_SHORT_KEY, 0},      {IDS_PAGE_START, -1},     {IDS_PAGE_HIGHER_DWG, 6},
    {IDS_PAGE_SAVE, -1},       {IDS_PAGE_SCRIPT, -1},        {IDS_PAGE_FAVORITES, -1}, {IDS_PAGE_TEMPLATE, -1},
    {IDS_PAGE_SIMILAR_MENU, -1}, {IDS_MENU_DRAWING_HISTORY, -1}, {IDS_PAGE_CLOUDFOLD, -1}, {IDS_PAGE_PLUGINS, 14},
    {IDS_PAGE_CACHE, 14},      {IDS_PAGE_ABOUT, -1},
};
constexpr int kPageCount = int(std::size(kRows));

}  // namespace

class AcUiPrefsDialog {
public:
    AcUiPrefsDialog(COptionsValues values, KvSettingsApplied& strip, KvCustomColours& customColours)
        : values_(std::move(values)), strip_(strip), customColours_(customColours) {
        pages_ = KvMakeOptionsPages();
    }
    ~AcUiPrefsDialog() {
        if (captionFont_) DeleteObject(captionFont_);
    }

    bool Run(HWND parent) {
        const INT_PTR r = KvFromResources(
            [&](HINSTANCE module) {
                return DialogBoxParam(module, IDD_OPTIONS, parent,
                                      [this](HWND d, UINT m, WPARAM w, LPARAM l) { return proc(d, m, w, l); }, 0);
            },
            INT_PTR(-1));
        return r == IDOK;
    }
    COptionsValues& Values() { return values_; }
    std::string LanguageChoice() const { return language_; }
    bool ListsEdited() const { return listsEdited_; }
    const std::vector<std::string>& Favourites() const { return favourites_; }
    const std::vector<std::string>& Templates() const { return templates_; }

private:
    INT_PTR proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
        switch (msg) {
        case WM_INITDIALOG: init(dlg); return TRUE;
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr && hdr->idFrom == IDC_OPTIONS_TREE && hdr->code == TVN_SELCHANGED) {
                const auto* nm = reinterpret_cast<const NMTREEVIEW*>(lp);
                showPage(pageOfNode(nm->itemNew.hItem));
            }
            return FALSE;
        }
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (!dis || dis->CtlID != IDC_OPTIONS_CAPTION) return FALSE;
            paintCaption(*dis);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wp)) {
            case IDOK: onOk(); return TRUE;
            case IDCANCEL: onCancel(); return TRUE;
            case IDC_OPTIONS_HELP: OpenHelp(dlg); return TRUE;
            default: return FALSE;
            }
        case WM_CLOSE: onCancel(); return TRUE;
        default: return FALSE;
        }
    }

    void init(HWND dlg) {
        hwnd_ = dlg;
        SetWindowText(dlg, "Korvane [" + std::string(kProductVersion) + "]");
        context_.values = &values_;
        context_.favourites = &favourites_;
        context_.templates = &templates_;
        context_.listsEdited = &listsEdited_;
        context_.language = &language_;
        context_.languages = CollectLanguages();
        context_.frame = dlg;
        context_.strip = &strip_;
        context_.customColours = &customColours_;
        favourites_ = strip_.Favourites();
        templates_ = strip_.Templates();
        language_ = KvLanguageChoice();

        // The caption strip's font: the string table names it, Verdana when it does not.
        LOGFONT lf;
        std::string face = KvLoadString(IDS_OPTIONS_CAPTION_FONT);
        if (face.empty() || KvIsEmptyText(face)) face = "Verdana";
        lf.lfFaceName = face;
        lf.lfHeight = 14;
        lf.lfWeight = FW_BOLD;
        captionFont_ = CreateFontIndirect(&lf);

        HWND tree = GetDlgItem(dlg, IDC_OPTIONS_TREE);
        SetWindowLongPtr(tree, GWL_STYLE, GetWindowLongPtr(tree, GWL_STYLE) | TVS_TRACKSELECT);
        for (int i = 0; i < kPageCount; ++i) {
            TVINSERTSTRUCT ins;
            ins.hParent = kRows[i].parent >= 0 ? nodes_[std::size_t(kRows[i].parent)] : TVI_ROOT;
            ins.hInsertAfter = TVI_LAST;
            ins.item.mask = TVIF_TEXT | TVIF_PARAM;
            ins.item.text = KvLoadString(kRows[i].title);
            ins.item.lParam = i;
            nodes_[std::size_t(i)] =
                reinterpret_cast<HTREEITEM>(SendMessage(tree, TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&ins)));
        }
        for (HTREEITEM n : nodes_) SendMessage(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(n));
        SendMessage(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(nodes_[0]));
        if (current_ < 0) showPage(0);
    }

    int pageOfNode(HTREEITEM node) const {
        for (int i = 0; i < kPageCount; ++i)
            if (nodes_[std::size_t(i)] == node) return i;
        return -1;
    }

    void showPage(int index) {
        if (index < 0 || index >= kPageCount || index == current_) return;
        AcUiPrefsSubDlg& page = *pages_[std::size_t(index)];
        if (!page.GetSafeHwnd()) {
            if (!page.Create(hwnd_, context_)) return;
            RECT area;
            GetWindowRect(GetDlgItem(hwnd_, IDC_OPTIONS_PAGE_AREA), &area);
            POINT tl{area.left, area.top};
            ScreenToClient(hwnd_, &tl);
            MoveWindow(page.GetSafeHwnd(), tl.x, tl.y, area.right - area.left, area.bottom - area.top, FALSE);
        }
        if (current_ >= 0 && pages_[std::size_t(current_)]->GetSafeHwnd())
            ShowWindow(pages_[std::size_t(current_)]->GetSafeHwnd(), SW_HIDE);
        current_ = index;
        ShowWindow(page.GetSafeHwnd(), SW_SHOW);
        SetDlgItemText(hwnd_, IDC_OPTIONS_CAPTION, KvLoadString(kRows[index].title));
        InvalidateRect(GetDlgItem(hwnd_, IDC_OPTIONS_CAPTION), nullptr, TRUE);
    }

    void selectPage(int index) {
        SendMessage(GetDlgItem(hwnd_, IDC_OPTIONS_TREE), TVM_SELECTITEM, TVGN_CARET,
                    reinterpret_cast<LPARAM>(nodes_[std::size_t(index)]));
        showPage(index);
    }

    void paintCaption(const DRAWITEMSTRUCT& dis) {
        RECT r = dis.rcItem;
        FillSolidRect(dis.hDC, r, GetSysColor(COLOR_BTNFACE));
        Draw3dRect(dis.hDC, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT text{r.left + 6, r.top, r.right - 4, r.bottom};
        if (current_ >= 0)
            DrawText(dis.hDC, KvLoadString(kRows[current_].title), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE,
                     captionFont_, GetSysColor(COLOR_BTNTEXT));
    }

    void onOk() {
        // Every page that exists checks and stores its controls; one that refuses keeps the dialog
        // open on that page.
        for (int i = 0; i < kPageCount; ++i) {
            AcUiPrefsSubDlg& page = *pages_[std::size_t(i)];
            if (!page.GetSafeHwnd()) continue;
            if (!page.Store()) {
                selectPage(i);
                return;
            }
        }
        EndDialog(hwnd_, IDOK);
    }

    void onCancel() {
        for (auto& page : pages_)
            if (page->GetSafeHwnd()) page->Cancel();
        EndDialog(hwnd_, IDCANCEL);
    }

    COptionsValues values_;
    KvSettingsApplied& strip_;
    KvCustomColours& customColours_;
    std::vector<std::unique_ptr<AcUiPrefsSubDlg>> pages_;
    std::array<HTREEITEM, kPageCount> nodes_{};
    OptionsPageContext context_;
    std::vector<std::string> favourites_, templates_;
    bool listsEdited_ = false;
    std::string language_;
    HWND hwnd_ = nullptr;
    HFONT captionFont_ = nullptr;
    int current_ = -1;
};

bool KvShowOptionsDialog(HWND parent, KvSettingsApplied& strip, KvCustomColours& customColours) {
    AcUiPrefsDialog dialog(KvReadOptionsValues(), strip, customColours);
    if (!dialog.Run(parent)) return false;
    const COptionsValues& v = dialog.Values();
    KvWriteOptionsValues(v);
    // Values some consumers hold in their own state.
    strip.SettingsStored(v);
    App().englishIme = v.num(SettingId::AutoEnglishMode) != 0;
    if (dialog.ListsEdited()) strip.ListsEdited(dialog.Favourites(), dialog.Templates());
    ApplyLanguageChoice(dialog.LanguageChoice());
    return true;
}
