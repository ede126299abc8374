// The 18 pages of the options dialog.
#include "settings/options_pages.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "arx/aced.h"
#include "arx/dockbar.h"
#include "cadfile/cadfile.h"
#include "core/app_state.h"
#include "core/paths.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "res/resource.h"
#include "settings/dockside.h"
#include "settings/fontrecord.h"
#include "uikit/effects.h"
#include "uikit/pickers.h"
#include "win/commdlg.h"
#include "win/dialog.h"
#include "win/imagelist.h"
#include "win/module.h"
#include "win/shell.h"
#include "win/system.h"

// ---- The page base ------------------------------------------------------------------------------

bool AcUiPrefsSubDlg::Create(HWND frame, OptionsPageContext& context) {
    context_ = &context;
    hwnd_ = KvFromResources(
        [&](HINSTANCE module) {
            return CreateDialogParam(
                module, template_, frame, [this](HWND d, UINT m, WPARAM w, LPARAM l) { return proc(d, m, w, l); }, 0);
        },
        HWND(nullptr));
    return hwnd_ != nullptr;
}

INT_PTR AcUiPrefsSubDlg::proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        hwnd_ = dlg;
        for (const Binding& b : bindings_) {
            switch (b.kind) {
            case Kind::Check: Check(b.control, V().num(b.id) != 0); break;
            case Kind::Number: SetText(b.control, std::to_string(V().num(b.id))); break;
            case Kind::Text: SetText(b.control, V().str(b.id)); break;
            case Kind::Index: SendDlgItemMessage(dlg, b.control, CB_SETCURSEL, WPARAM(V().num(b.id)), 0); break;
            }
        }
        OnInit();
        return FALSE;
    case WM_COMMAND:
        // Enter and Escape inside a page do not end the dialog.
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) return TRUE;
        return OnCommand(LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_NOTIFY:
        if (lp) OnNotify(*reinterpret_cast<const NMHDR*>(lp), lp);
        return FALSE;
    case WM_DRAWITEM: return lp && OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)) ? TRUE : FALSE;
    default: return FALSE;
    }
}

bool AcUiPrefsSubDlg::Store() {
    if (!OnStore()) return false;
    for (const Binding& b : bindings_) {
        switch (b.kind) {
        case Kind::Check: V().num(b.id) = Checked(b.control) ? 1 : 0; break;
        // A number outside what its setting allows is brought into that range (a page that
        // states a range refuses such a number first, in OnStore).
        case Kind::Number: V().num(b.id) = UsableSettingNumber(b.id, KvOptionsNumber(Text(b.control))); break;
        case Kind::Text: V().str(b.id) = Text(b.control); break;
        case Kind::Index: {
            const auto sel = SendDlgItemMessage(hwnd_, b.control, CB_GETCURSEL, 0, 0);
            if (sel != CB_ERR) V().num(b.id) = int(sel);
            break;
        }
        }
    }
    return true;
}

bool AcUiPrefsSubDlg::Checked(int control) const { return IsDlgButtonChecked(hwnd_, control) == BST_CHECKED; }
void AcUiPrefsSubDlg::Check(int control, bool on) { CheckDlgButton(hwnd_, control, on ? BST_CHECKED : BST_UNCHECKED); }
void AcUiPrefsSubDlg::Enable(int control, bool on) { EnableWindow(Item(control), on ? TRUE : FALSE); }
std::string AcUiPrefsSubDlg::Text(int control) const { return GetDlgItemText(hwnd_, control); }
void AcUiPrefsSubDlg::SetText(int control, const std::string& text) { SetDlgItemText(hwnd_, control, text); }

namespace {

using S = SettingId;

// A page of check boxes and boxes bound to settings, with nothing of its own.
class CBoundPage : public AcUiPrefsSubDlg {
public:
    using AcUiPrefsSubDlg::AcUiPrefsSubDlg;
    using AcUiPrefsSubDlg::BindCheck;
    using AcUiPrefsSubDlg::BindNumber;
    using AcUiPrefsSubDlg::BindText;
};

std::unique_ptr<AcUiPrefsSubDlg> boundPage(int templateId, std::initializer_list<std::pair<int, S>> checks,
                                           std::initializer_list<std::pair<int, S>> numbers = {}) {
    auto page = std::make_unique<CBoundPage>(templateId);
    for (auto [c, id] : checks) page->BindCheck(c, id);
    for (auto [c, id] : numbers) page->BindNumber(c, id);
    return page;
}

// Korvane Shape: docking side, menu offset, banner.
class COptionsInterfacePage : public AcUiPrefsSubDlg {
public:
    COptionsInterfacePage() : AcUiPrefsSubDlg(IDD_OPT_SHAPE) {
        BindNumber(IDC_OPT_MENU_Y, S::MenuYPosition);
        BindCheck(IDC_OPT_USE_BANNER, S::UseBanner);
    }

protected:
    static constexpr std::pair<int, int> kSides[] = {{IDC_OPT_DOCK_TOP, kDockTop},
                                                     {IDC_OPT_DOCK_BOTTOM, kDockBottom},
                                                     {IDC_OPT_DOCK_LEFT, kDockLeft},
                                                     {IDC_OPT_DOCK_RIGHT, kDockRight}};
    void OnInit() override {
        SendDlgItemMessage(hwnd_, IDC_OPT_MENU_Y, EM_LIMITTEXT, 4, 0);
        for (auto [c, side] : kSides) Check(c, V().num(S::DockingPosition) == side);
    }
    bool OnStore() override {
        // A stored side that matches no button stays as it was.
        for (auto [c, side] : kSides)
            if (Checked(c)) V().num(S::DockingPosition) = side;
        return true;
    }
};

// Tab Item: what a tab shows, with the dependencies between the choices.
class COptionsTabItemPage : public AcUiPrefsSubDlg {
public:
    COptionsTabItemPage() : AcUiPrefsSubDlg(IDD_OPT_TAB_ITEM) {
        BindCheck(IDC_OPT_THUMBNAIL, S::ThumbnailIcon);
        BindCheck(IDC_OPT_COMMENT, S::ThumbnailComment);
        BindCheck(IDC_OPT_FILE_ICON, S::FileIcon);
        BindCheck(IDC_OPT_VERSION_ICON, S::VersionIcon);
        BindCheck(IDC_OPT_EXTENSION, S::Extension);
        BindCheck(IDC_OPT_CLOSE_BUTTON, S::ShowCloseButton);
        BindNumber(IDC_OPT_CLOSE_SIZE, S::SubControlSize);
        BindCheck(IDC_OPT_FIXED_WIDTH, S::FixedWidth);
        BindNumber(IDC_OPT_WIDTH, S::FixedWidthX);
        BindCheck(IDC_OPT_MAX_LENGTH_USE, S::MaxCharLengthUse);
        BindNumber(IDC_OPT_MAX_LENGTH, S::MaxCharLength);
        BindCheck(IDC_OPT_SORT, S::OpenSort);
        BindCheck(IDC_OPT_ONE_TAB_HIDDEN, S::OneTabHidden);
        BindCheck(IDC_OPT_SDI_MODE, S::EnableSdiMode);
    }

protected:
    void OnInit() override {
        if (Checked(IDC_OPT_THUMBNAIL)) thumbnail(true);
        else Enable(IDC_OPT_COMMENT, false);
        Enable(IDC_OPT_SDI_MODE, App().sdi);
        refresh();
    }
    bool OnCommand(int id, int code) override {
        if (code != BN_CLICKED) return false;
        switch (id) {
        case IDC_OPT_THUMBNAIL: thumbnail(Checked(id)); break;
        case IDC_OPT_FILE_ICON:
            if (!Checked(id)) Check(IDC_OPT_VERSION_ICON, false);
            break;
        case IDC_OPT_CLOSE_BUTTON:
        case IDC_OPT_FIXED_WIDTH:
        case IDC_OPT_MAX_LENGTH_USE: break;
        default: return false;
        }
        refresh();
        return true;
    }
    bool OnStore() override {
        // The page states the close button's sizes; a size outside them would turn the whole tab
        // into the button.
        const SettingDef& def = GetSettingDef(S::SubControlSize);
        const int size = KvOptionsNumber(Text(IDC_OPT_CLOSE_SIZE));
        if (IsWindowEnabled(Item(IDC_OPT_CLOSE_SIZE)) && (size < def.useLow || size > def.useHigh)) {
            MessageBox(hwnd_, KvLoadString(IDS_OPTIONS_BAD_CLOSE_SIZE), "Korvane", MB_OK | MB_ICONWARNING);
            SetFocus(Item(IDC_OPT_CLOSE_SIZE));
            return false;
        }
        return true;
    }

private:
    // Thumbnails replace the file and version icons and need tabs of one width.
    void thumbnail(bool on) {
        Enable(IDC_OPT_COMMENT, on);
        if (on) {
            Check(IDC_OPT_FILE_ICON, false);
            Check(IDC_OPT_VERSION_ICON, false);
            Check(IDC_OPT_FIXED_WIDTH, true);
        } else {
            Check(IDC_OPT_FILE_ICON, true);
        }
        Enable(IDC_OPT_FILE_ICON, !on);
        Enable(IDC_OPT_FIXED_WIDTH, !on);
    }
    void refresh() {
        const bool thumb = Checked(IDC_OPT_THUMBNAIL);
        Enable(IDC_OPT_VERSION_ICON, !thumb && Checked(IDC_OPT_FILE_ICON));
        Enable(IDC_OPT_CLOSE_SIZE, Checked(IDC_OPT_CLOSE_BUTTON));
        Enable(IDC_OPT_WIDTH, Checked(IDC_OPT_FIXED_WIDTH));
        Enable(IDC_OPT_MAX_LENGTH, Checked(IDC_OPT_MAX_LENGTH_USE));
    }
};

// Tab Style: fonts, colours, background effect, border and outline, with a preview.
class COptionsTextStylePage : public AcUiPrefsSubDlg {
public:
    COptionsTextStylePage() : AcUiPrefsSubDlg(IDD_OPT_TAB_STYLE) {
        BindIndex(IDC_OPT_EFFECT, S::BackgroundColorEffect);
        BindIndex(IDC_OPT_BORDER, S::TabBorderLinetype);
        BindCheck(IDC_OPT_USE_OUTLINE, S::UseOutline);
    }
    ~COptionsTextStylePage() override {
        if (previewFont_) DeleteObject(previewFont_);
    }

protected:
    void OnInit() override {
        // The lists are filled before the bound selection is applied again.
        for (std::string_view name : kvui::EffectNames())
            SendDlgItemMessage(hwnd_, IDC_OPT_EFFECT, CB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(std::string(name).c_str()));
        for (const char* name : {"NULL", "SOLID", "DASH", "DOT", "DASHDOT", "DASHDOTDOT", "DOUBLE"})
            SendDlgItemMessage(hwnd_, IDC_OPT_BORDER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendDlgItemMessage(hwnd_, IDC_OPT_EFFECT, CB_SETCURSEL, WPARAM(V().num(S::BackgroundColorEffect)), 0);
        SendDlgItemMessage(hwnd_, IDC_OPT_BORDER, CB_SETCURSEL, WPARAM(V().num(S::TabBorderLinetype)), 0);
        SetText(IDC_OPT_OUTLINE_WIDTH, std::to_string(V().num(S::OutlineWidth)));
        selFont_ = fontOf(V().str(S::SelectedTabFontStyle));
        rebuildPreviewFont();
        outline();
    }
    bool OnStore() override {
        V().num(S::OutlineWidth) = KvOutlineWidthFromText(Text(IDC_OPT_OUTLINE_WIDTH));
        return true;
    }
    bool OnCommand(int id, int code) override {
        switch (id) {
        case IDC_OPT_SEL_FONT:
        case IDC_OPT_UNSEL_FONT:
            if (code == BN_CLICKED) chooseFont(id == IDC_OPT_SEL_FONT);
            break;
        case IDC_OPT_START_COLOR: chooseColour(S::StartBgColor); break;
        case IDC_OPT_MIDDLE_COLOR: chooseColour(S::MiddleBgColor); break;
        case IDC_OPT_END_COLOR: chooseColour(S::EndBgColor); break;
        case IDC_OPT_OUTLINE_COLOR: chooseColour(S::OutlineColor); break;
        case IDC_OPT_USE_OUTLINE: outline(); break;
        case IDC_OPT_EFFECT:
        case IDC_OPT_BORDER:
            if (code != CBN_SELCHANGE) return false;
            break;
        case IDC_OPT_OUTLINE_WIDTH:
            if (code != EN_CHANGE) return false;
            break;
        default: return false;
        }
        repaint();
        return true;
    }
    bool OnDrawItem(const DRAWITEMSTRUCT& dis) override {
        switch (dis.CtlID) {
        case IDC_OPT_STYLE_PREVIEW: paintPreview(dis.hDC, dis.rcItem); return true;
        case IDC_OPT_START_SWATCH: swatch(dis, S::StartBgColor); return true;
        case IDC_OPT_MIDDLE_SWATCH: swatch(dis, S::MiddleBgColor); return true;
        case IDC_OPT_END_SWATCH: swatch(dis, S::EndBgColor); return true;
        case IDC_OPT_OUTLINE_SWATCH: swatch(dis, S::OutlineColor); return true;
        default: return false;
        }
    }

private:
    static LOGFONT fontOf(const std::string& record) {
        if (auto f = KvParseFontRecord(record)) return *f;
        LOGFONT lf;
        KvGetMessageFont(&lf);
        return lf;
    }
    int currentIndex(int control) const {
        const auto sel = SendDlgItemMessage(hwnd_, control, CB_GETCURSEL, 0, 0);
        return sel == CB_ERR ? 0 : int(sel);
    }
    void outline() {
        const bool on = Checked(IDC_OPT_USE_OUTLINE);
        Enable(IDC_OPT_OUTLINE_COLOR, on);
        Enable(IDC_OPT_OUTLINE_WIDTH, on);
    }
    void repaint() {
        for (int id : {IDC_OPT_STYLE_PREVIEW, IDC_OPT_START_SWATCH, IDC_OPT_MIDDLE_SWATCH, IDC_OPT_END_SWATCH,
                       IDC_OPT_OUTLINE_SWATCH})
            InvalidateRect(Item(id), nullptr, TRUE);
    }
    void rebuildPreviewFont() {
        if (previewFont_) DeleteObject(previewFont_);
        LOGFONT lf = selFont_;
        lf.lfEscapement = lf.lfOrientation = 0;
        lf.lfHeight = -16;   // the preview's text is 12 points whatever the tab font's size
        previewFont_ = CreateFontIndirect(&lf);
    }
    // The font dialog: the font goes to the tab strip at once (and stays there when the dialog is
    // then cancelled); the record and the colour are stored on OK.
    void chooseFont(bool selected) {
        const S styleId = selected ? S::SelectedTabFontStyle : S::UnselectedTabFontStyle;
        const S colourId = selected ? S::SelectedTabFontColor : S::UnselectedTabFontColor;
        LOGFONT lf = fontOf(V().str(styleId));
        CHOOSEFONT cf;
        cf.hwndOwner = hwnd_;
        cf.lpLogFont = &lf;
        cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
        cf.rgbColors = COLORREF(V().num(colourId));
        if (!ChooseFont(&cf)) return;
        // Keeps the escapement and orientation of the font it replaces.
        const LOGFONT previous = fontOf(V().str(styleId));
        lf.lfEscapement = previous.lfEscapement;
        lf.lfOrientation = previous.lfOrientation;
        const std::string record = KvFormatFontRecord(lf);
        Context().strip->TabFontChosen(selected, record);
        V().str(styleId) = record;
        V().num(colourId) = int(cf.rgbColors);
        if (selected) {
            selFont_ = lf;
            rebuildPreviewFont();
        }
    }
    void chooseColour(S id) {
        CHOOSECOLOR cc;
        cc.hwndOwner = hwnd_;
        cc.rgbResult = COLORREF(V().num(id));
        cc.lpCustColors = Context().customColours->data();
        cc.Flags = CC_RGBINIT | CC_FULLOPEN;
        if (ChooseColor(&cc)) V().num(id) = int(cc.rgbResult);
    }
    void swatch(const DRAWITEMSTRUCT& dis, S id) {
        const bool on = id != S::OutlineColor || Checked(IDC_OPT_USE_OUTLINE);
        FillSolidRect(dis.hDC, dis.rcItem, on ? COLORREF(V().num(id)) : GetSysColor(COLOR_BTNFACE));
        KvFrameRect(dis.hDC, dis.rcItem, KVPEN{PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)});
    }
    // The selected tab in the style the page holds: the strip paints it.
    void paintPreview(HDC dc, RECT r) {
        KvLookPreview look;
        look.bgEffect = currentIndex(IDC_OPT_EFFECT);
        look.startColor = COLORREF(V().num(S::StartBgColor));
        look.middleColor = COLORREF(V().num(S::MiddleBgColor));
        look.endColor = COLORREF(V().num(S::EndBgColor));
        look.borderLineType = currentIndex(IDC_OPT_BORDER);
        look.useOutline = Checked(IDC_OPT_USE_OUTLINE);
        look.outlineColor = COLORREF(V().num(S::OutlineColor));
        look.outlineWidth = KvOutlineWidthFromText(Text(IDC_OPT_OUTLINE_WIDTH));
        look.font = previewFont_;
        look.textColor = COLORREF(V().num(S::SelectedTabFontColor));
        look.text = "Select Item Text Style";
        Context().strip->PaintLookPreview(dc, r, look);
    }

    LOGFONT selFont_;
    HFONT previewFont_ = nullptr;
};

// Language: the languages of the packs beside the plug-in.
class COptionsLanguagePage : public AcUiPrefsSubDlg {
public:
    COptionsLanguagePage() : AcUiPrefsSubDlg(IDD_OPT_LANGUAGE) {}

protected:
    void OnInit() override {
        for (const std::string& name : Context().languages)
            SendDlgItemMessage(hwnd_, IDC_OPT_LANGUAGE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SendDlgItemMessage(hwnd_, IDC_OPT_LANGUAGE_LIST, LB_SELECTSTRING, WPARAM(-1),
                           reinterpret_cast<LPARAM>(Context().language->c_str()));
    }
    bool OnStore() override {
        const auto sel = SendDlgItemMessage(hwnd_, IDC_OPT_LANGUAGE_LIST, LB_GETCURSEL, 0, 0);
        if (sel != LB_ERR) {
            std::string name;
            SendDlgItemMessage(hwnd_, IDC_OPT_LANGUAGE_LIST, LB_GETTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(&name));
            *Context().language = name;
        }
        return true;
    }
};

// Tooltip: the picture and the description only with the tooltip itself.
class COptionsTooltipPage : public AcUiPrefsSubDlg {
public:
    COptionsTooltipPage() : AcUiPrefsSubDlg(IDD_OPT_TOOLTIP) {
        BindCheck(IDC_OPT_TOOLTIP_USE, S::TooltipEnable);
        BindCheck(IDC_OPT_TOOLTIP_THUMB, S::ShowThumbnail);
        BindCheck(IDC_OPT_TOOLTIP_DESC, S::ShowDesc);
    }

protected:
    void OnInit() override { refresh(); }
    bool OnCommand(int id, int code) override {
        if (id != IDC_OPT_TOOLTIP_USE || code != BN_CLICKED) return false;
        refresh();
        return true;
    }

private:
    void refresh() {
        Enable(IDC_OPT_TOOLTIP_THUMB, Checked(IDC_OPT_TOOLTIP_USE));
        Enable(IDC_OPT_TOOLTIP_DESC, Checked(IDC_OPT_TOOLTIP_USE));
    }
};

// Higher Dwg Open: the add-on's options and its converter program.
class COptionsZentropePage : public AcUiPrefsSubDlg {
public:
    COptionsZentropePage() : AcUiPrefsSubDlg(IDD_OPT_ZENTROPE) {
        BindCheck(IDC_OPT_ZENTROPE_USE, S::UseZentrope);
        BindCheck(IDC_OPT_BACKUP, S::UseBackup);
        BindText(IDC_OPT_SUFFIX, S::BackupSuffix);
    }

protected:
    bool OnCommand(int id, int code) override {
        if (id != IDC_OPT_CONVERTER || code != BN_CLICKED) return false;
        ShellExecute(hwnd_, "open", App().moduleFolder + "ZentropeMan.exe", "", "", SW_SHOWNORMAL);
        return true;
    }
};

// Save: the command run before saving, shown and stored with its one ending blank.
class COptionsSavePage : public AcUiPrefsSubDlg {
public:
    COptionsSavePage() : AcUiPrefsSubDlg(IDD_OPT_SAVE) {
        BindCheck(IDC_OPT_SAVE_AFTER_SCRIPT, S::ZoomExtents);
        BindCheck(IDC_OPT_ONLY_MODIFIED, S::OnlyModifiedDwgFiles);
        BindCheck(IDC_OPT_KEEP_VERSION, S::MaintenanceVersion);
        BindCheck(IDC_OPT_ASK_WITHOUT_SAVE, S::AskWithoutSave);
    }

protected:
    void OnInit() override {
        SetText(IDC_OPT_SAVE_COMMAND, KvSaveCommandShown(V().str(S::SaveBeforeScript)));
        Enable(IDC_OPT_SAVE_COMMAND, Checked(IDC_OPT_SAVE_AFTER_SCRIPT));
    }
    bool OnStore() override {
        V().str(S::SaveBeforeScript) = KvSaveCommandStored(Text(IDC_OPT_SAVE_COMMAND));
        return true;
    }
    bool OnCommand(int id, int code) override {
        if (id != IDC_OPT_SAVE_AFTER_SCRIPT || code != BN_CLICKED) return false;
        Enable(IDC_OPT_SAVE_COMMAND, Checked(id));
        return true;
    }
};

// A folder box with its "..." button (Script and Cache pages).
std::string chooseFolder(HWND owner, const std::string& start) {
    const std::string path = KvPickFolder(owner, KvLoadString(IDS_SELECT_FOLDER), start);
    return path.empty() ? path : WithTrailingSeparator(path);
}

class CFolderPage : public AcUiPrefsSubDlg {
public:
    CFolderPage(int templateId, int box, int button, S pathId, int check, S checkId)
        : AcUiPrefsSubDlg(templateId), box_(box), button_(button) {
        BindText(box, pathId);
        BindCheck(check, checkId);
    }

protected:
    bool OnCommand(int id, int code) override {
        if (id != button_ || code != BN_CLICKED) return false;
        const std::string folder = chooseFolder(hwnd_, Text(box_));
        if (!folder.empty()) SetText(box_, folder);
        return true;
    }

private:
    int box_, button_;
};

// Favorites and Template: a list of "path;title" entries with a preview of the selected file.
class CEntryListPage : public AcUiPrefsSubDlg {
public:
    CEntryListPage(int templateId, bool templates) : AcUiPrefsSubDlg(templateId), templates_(templates) {
        if (!templates) BindCheck(IDC_OPT_FAVORITES_USE, S::FavoritesUse);
    }
    ~CEntryListPage() override {
        if (preview_) DeleteObject(preview_);
        if (icons_) ImageList_Destroy(icons_);
    }

protected:
    std::vector<std::string>& entries() { return templates_ ? *Context().templates : *Context().favourites; }
    void OnInit() override {
        HWND list = Item(IDC_OPT_ENTRY_LIST);
        SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        icons_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, int(std::size(kIcons)), 1);
        for (UINT id : kIcons) {
            HBITMAP b = LoadBitmap(App().ownModule, id);
            ImageList_AddMasked(icons_, b, RGB(255, 0, 255));
            if (b) DeleteObject(b);
        }
        SendMessage(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons_));
        LVCOLUMN column;
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.text = "Title";
        column.cx = 110;
        SendMessage(list, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&column));
        column.text = "Path";
        column.cx = 400;
        SendMessage(list, LVM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&column));
        fill(0);
    }
    bool OnCommand(int id, int code) override {
        if (code != BN_CLICKED) return false;
        const int sel = selected();
        auto& list = entries();
        switch (id) {
        case IDC_OPT_ENTRY_MODIFY:
            if (sel < 0) return true;
            list[std::size_t(sel)] = KvMakeEntry(KvEntryPath(list[std::size_t(sel)]), Text(IDC_OPT_ENTRY_TITLE));
            edited();
            fill(sel);
            return true;
        case IDC_OPT_ENTRY_DELETE:
            if (sel < 0) return true;
            list.erase(list.begin() + sel);
            edited();
            fill(std::min(sel, int(list.size()) - 1));
            return true;
        case IDC_OPT_ENTRY_APPEND: append(); return true;
        default: return false;
        }
    }
    void OnNotify(const NMHDR& hdr, LPARAM lp) override {
        if (hdr.idFrom != IDC_OPT_ENTRY_LIST || hdr.code != LVN_ITEMCHANGED) return;
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
        if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED)) show(nm->iItem);
    }
    bool OnDrawItem(const DRAWITEMSTRUCT& dis) override {
        if (dis.CtlID != IDC_OPT_ENTRY_PREVIEW) return false;
        FillSolidRect(dis.hDC, dis.rcItem, RGB(255, 255, 255));
        Draw3dRect(dis.hDC, dis.rcItem, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        if (preview_) {
            const RECT inner{dis.rcItem.left + 3, dis.rcItem.top + 3, dis.rcItem.right - 3, dis.rcItem.bottom - 3};
            KvDrawBitmapFit(dis.hDC, inner, preview_, KVBMP_KEYED);
        }
        return true;
    }

private:
    int selected() const {
        return int(SendDlgItemMessage(hwnd_, IDC_OPT_ENTRY_LIST, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    }
    void edited() { *Context().listsEdited = true; }
    void fill(int select) {
        HWND list = Item(IDC_OPT_ENTRY_LIST);
        SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
        const auto& e = entries();
        for (std::size_t i = 0; i < e.size(); ++i) {
            LVITEM item;
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = int(i);
            item.iImage = iconOf(KvEntryPath(e[i]));
            item.text = KvEntryTitle(e[i]);
            SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
            item.mask = LVIF_TEXT;
            item.iSubItem = 1;
            item.text = KvEntryPath(e[i]);
            SendMessage(list, LVM_SETITEMTEXT, i, reinterpret_cast<LPARAM>(&item));
        }
        if (select >= 0 && select < int(e.size())) {
            LVITEM state;
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessage(list, LVM_SETITEMSTATE, WPARAM(select), reinterpret_cast<LPARAM>(&state));
        } else {
            show(-1);
        }
    }
    void show(int row) {
        if (preview_) DeleteObject(preview_);
        preview_ = nullptr;
        const auto& e = entries();
        if (row >= 0 && row < int(e.size())) {
            SetText(IDC_OPT_ENTRY_TITLE, KvEntryTitle(e[std::size_t(row)]));
            preview_ = loadPreview(KvEntryPath(e[std::size_t(row)]));
        } else {
            SetText(IDC_OPT_ENTRY_TITLE, "");
        }
        InvalidateRect(Item(IDC_OPT_ENTRY_PREVIEW), nullptr, TRUE);
    }
    // The header reader first; the host's own reader when it has no picture.
    static HBITMAP loadPreview(const std::string& path) {
        CCadFile file;
        file.SetPath(path);
        AcColorSettings colours;
        if (acedGetCurrentColors(&colours)) {
            const DWORD bg = colours.dwGfxModelBkColor;
            file.SetBackground(BYTE(bg & 0xFF), BYTE((bg >> 8) & 0xFF), BYTE((bg >> 16) & 0xFF));
        }
        if (file.ReadPreview() && file.ReadInformation())
            if (HBITMAP b = file.DetachBitmap()) return b;
        return acdbGetPreviewBitmapFromDwg(path);
    }
    void append() {
        auto& list = entries();
        // Only 30 entries survive a save; refuse more rather than lose them silently.
        if (list.size() >= 30) {
            MessageBox(hwnd_, KvLoadString(IDS_OPTIONS_LIST_FULL), "Korvane", MB_OK | MB_ICONWARNING);
            return;
        }
        KvOpenFilesRequest request;
        request.owner = hwnd_;
        request.filter = std::string("DWT files (*.dwt)\0*.dwt\0\0", 26);
        request.title = "Select AutoCAD Template";
        request.flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        request.bufferBytes = 1024;
        const std::vector<std::string> chosen = KvPickOpenFiles(request);
        if (chosen.empty()) return;
        list.push_back(KvMakeEntry(chosen.front(), ""));
        edited();
        fill(int(list.size()) - 1);
    }

    // The file's picture in the list: the drawing's release, the exchange format, or the unknown
    // file (also for a file that is gone, so that a stale entry stands out).
    static constexpr UINT kIcons[] = {IDB_ICON_UNKNOWN, IDB_ICON_DXF, IDB_ICON_12, IDB_ICON_13,
                                      IDB_ICON_14,      IDB_ICON_15,  IDB_ICON_16, IDB_ICON_17,
                                      IDB_ICON_18,      IDB_ICON_19,  IDB_ICON_20};
    static int iconOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        char header[7] = {};
        if (!in.read(header, 6)) return 0;
        static constexpr const char* kReleases[] = {"AC1009", "AC1012", "AC1014", "AC1015", "AC1018",
                                                    "AC1021", "AC1024", "AC1027", "AC1032"};
        for (std::size_t i = 0; i < std::size(kReleases); ++i)
            if (std::string_view(header, 6) == kReleases[i]) return int(i) + 2;
        if (std::string_view(header, 6) == "AC1013") return 3;
        const std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
        return ext == ".dxf" || ext == ".DXF" ? 1 : 0;
    }

    bool templates_;
    HBITMAP preview_ = nullptr;
    HIMAGELIST icons_ = nullptr;
};

// Similar Menu: the name positions are held in one byte each.
class COptionsMenuPage : public AcUiPrefsSubDlg {
public:
    COptionsMenuPage() : AcUiPrefsSubDlg(IDD_OPT_SIMILAR) {
        BindCheck(IDC_OPT_SAME_FOLDER, S::SimilarFolder);
        BindCheck(IDC_OPT_FILE_NAME, S::SimilarFile);
        BindNumber(IDC_OPT_START_POS, S::SimilarStartPos);
        BindNumber(IDC_OPT_END_POS, S::SimilarEndPos);
    }

protected:
    void OnInit() override {
        SendDlgItemMessage(hwnd_, IDC_OPT_POPUP_KEY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("'Tab' Key"));
        SendDlgItemMessage(hwnd_, IDC_OPT_POPUP_KEY, CB_SETCURSEL, 0, 0);
    }
    bool OnStore() override {
        // Runs before the bound boxes are read; the byte rule is applied to their text here.
        SetText(IDC_OPT_START_POS, std::to_string(KvSimilarPositionFromText(Text(IDC_OPT_START_POS))));
        SetText(IDC_OPT_END_POS, std::to_string(KvSimilarPositionFromText(Text(IDC_OPT_END_POS))));
        return true;
    }
};

// Cloudfold: server, port and user; while the storage is in use the port must be one a
// connection can use.
class COptionsWebhardInfoPage : public AcUiPrefsSubDlg {
public:
    COptionsWebhardInfoPage() : AcUiPrefsSubDlg(IDD_OPT_CLOUDFOLD) {
        BindCheck(IDC_OPT_CLOUDFOLD_USE, S::CloudfoldUse);
        BindText(IDC_OPT_SERVER_ADDRESS, S::ServerAddress);
        BindText(IDC_OPT_SERVER_PORT, S::ServerPort);
        BindText(IDC_OPT_SERVLET, S::ServletObject);
        BindText(IDC_OPT_USER_ID, S::UserId);
        BindText(IDC_OPT_PASSWORD, S::UserPassword);
        BindCheck(IDC_OPT_SAVE_PASSWORD, S::SavePassword);
    }

protected:
    bool OnStore() override {
        const std::string port = Text(IDC_OPT_SERVER_PORT);
        const bool digits = !port.empty() && port.size() <= 5 &&
            std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
        const int value = digits ? std::stoi(port) : 0;
        if (Checked(IDC_OPT_CLOUDFOLD_USE) && (value < 1 || value > 65535)) {
            MessageBox(hwnd_, KvLoadString(IDS_OPTIONS_BAD_PORT), "Korvane", MB_OK | MB_ICONWARNING);
            SetFocus(Item(IDC_OPT_SERVER_PORT));
            return false;
        }
        return true;
    }
};

class COptionsAboutPage : public AcUiPrefsSubDlg {
public:
    COptionsAboutPage() : AcUiPrefsSubDlg(IDD_OPT_ABOUT) {}

protected:
    void OnInit() override { SetText(IDC_OPT_ABOUT_TEXT, App().aboutText); }
};

}   // namespace

std::vector<std::unique_ptr<AcUiPrefsSubDlg>> KvMakeOptionsPages() {
    std::vector<std::unique_ptr<AcUiPrefsSubDlg>> p;
    p.push_back(std::make_unique<COptionsInterfacePage>());
    p.push_back(std::make_unique<COptionsTabItemPage>());
    p.push_back(std::make_unique<COptionsTextStylePage>());
    p.push_back(std::make_unique<COptionsLanguagePage>());
    p.push_back(std::make_unique<COptionsTooltipPage>());
    // Short Key
    p.push_back(boundPage(
        IDD_OPT_SHORT_KEY,
        {{IDC_OPT_TAB_MENU, S::UseTabMenu}, {IDC_OPT_SHORT_KEY, S::ShortKey}, {IDC_OPT_WHEEL, S::EnableWheelMouse}}));
    // Start
    p.push_back(boundPage(IDD_OPT_START,
                          {{IDC_OPT_FAVOR_OPEN, S::FavorOpen},
                           {IDC_OPT_ENGLISH_IME, S::AutoEnglishMode},
                           {IDC_OPT_WINDOW_ARRANGE, S::WindowsArrange},
                           {IDC_OPT_USER_COMMAND, S::UseUserCommand},
                           {IDC_OPT_SORT_FUNCTION, S::UseSortFunction},
                           {IDC_OPT_LINK_FILE, S::UseLinkFile}}));
    p.push_back(std::make_unique<COptionsZentropePage>());
    p.push_back(std::make_unique<COptionsSavePage>());
    p.push_back(std::make_unique<CFolderPage>(IDD_OPT_SCRIPT, IDC_OPT_SCRIPT_PATH, IDC_OPT_SCRIPT_BROWSE, S::ScriptPath,
                                              IDC_OPT_SCRIPT_LINK_CLOSE, S::LinkTabClose));
    p.push_back(std::make_unique<CEntryListPage>(IDD_OPT_FAVORITES, false));
    p.push_back(std::make_unique<CEntryListPage>(IDD_OPT_TEMPLATE, true));
    p.push_back(std::make_unique<COptionsMenuPage>());
    // Drawing History
    p.push_back(boundPage(IDD_OPT_HISTORY, {{IDC_OPT_HISTORY_USE, S::DrawingHistoryUse}},
                          {{IDC_OPT_HISTORY_LENGTH, S::HistoryPathLength}}));
    p.push_back(std::make_unique<COptionsWebhardInfoPage>());
    // Plugins (the list of plug-in programs is not filled)
    p.push_back(boundPage(IDD_OPT_PLUGINS, {{IDC_OPT_PLUGINS_USE, S::WebPlugins}}));
    p.push_back(std::make_unique<CFolderPage>(IDD_OPT_CACHE, IDC_OPT_CACHE_PATH, IDC_OPT_CACHE_BROWSE, S::CachePath,
                                              IDC_OPT_CACHE_DELETE, S::DeleteCacheFiles));
    p.push_back(std::make_unique<COptionsAboutPage>());
    return p;
}
