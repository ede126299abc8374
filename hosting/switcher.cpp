#include "hosting/switcher.h"

#include <algorithm>
#include <memory>
#include "arx/aced.h"
#include "arx/docman.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "doctrack/docdata.h"
#include "gfx/canvas.h"
#include "hosting/features.h"
#include "res/resource.h"
#include "tabstrip/panel.h"
#include "tabstrip/painting.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/module.h"

// ---- Pure rules ---------------------------------------------------------------------------------

namespace {

std::string grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}   // namespace

std::string KvFormatByteSize(std::uint64_t bytes) {
    constexpr std::uint64_t kKilo = 1024, kMega = kKilo * 1024, kGiga = kMega * 1024;
    if (bytes < kKilo) return grouped(bytes) + " B";
    const std::uint64_t unit = bytes < kMega ? kKilo : bytes < kGiga ? kMega : kGiga;
    const char* suffix = bytes < kMega ? " KB" : bytes < kGiga ? " MB" : " GB";
    const unsigned hundredths = unsigned((bytes % unit) * 100 / unit);
    std::string text = grouped(bytes / unit) + '.' + char('0' + hundredths / 10) + char('0' + hundredths % 10) + suffix;
    for (size_t at; (at = text.find(".00")) != std::string::npos;) text.erase(at, 3);
    return text;
}

std::string KvDwgVersionName(int code) {
    static const char* const kNames[] = {"(DHL_MC0_0)",
                                         "(DHL_AC1_2)",
                                         "(DHL_AC1_40)",
                                         "(DHL_AC1_50)",
                                         "(DHL_AC2_20)",
                                         "(DHL_AC2_10)",
                                         "(DHL_AC2_21)",
                                         "(DHL_AC2_22)",
                                         "(DHL_1001)",
                                         "AutoCAD 2.5(DHL_1002)",
                                         "AutoCAD 2.6(DHL_1003)",
                                         "Release 9(DHL_1004)",
                                         "(DHL_1005)",
                                         "Release 10(DHL_1006)",
                                         "(DHL_1007)",
                                         "(DHL_1008)",
                                         "R11,R12(DHL_1009)",
                                         "(DHL_1010)",
                                         "(DHL_1011)",
                                         "R13(DHL_1012)",
                                         "R14 mid version(DHL_1013)",
                                         "R14 final version(DHL_1014)",
                                         "R15 development(DHL_1500)",
                                         "R15 final version(DHL_1015)",
                                         "2004 mid version(DHL_1800a)",
                                         "2004 final(DHL_1800)",
                                         "2007 Development(DHL_2100a)",
                                         "2007 final(DHL_1021)",
                                         "Gator Development",
                                         "2010 final",
                                         "Jaws Development",
                                         "2013 final",
                                         "Omega Development",
                                         "2018 final"};
    if (code >= 0 && code < int(std::size(kNames))) return kNames[code];
    if (code == AcDb::kDHL_Unknown) return "(Unknown)";
    if (code == AcDb::kDHL_Max) return "Max";
    return "future version???";
}

int KvSwitcherIconIndex(KvSwitcherTab kind, int fileType, int diskFormat, int versionCode) {
    if (kind == KvSwitcherTab::Window) return kSwitcherIconWindow;
    if (fileType == kFileTypeDxf) return kSwitcherIconDocument;
    if (kind == KvSwitcherTab::Link) {
        // The format code of the file (1 Release 10 ... 10 the 2018 format) is the picture's
        // place; a code that is not yet known, or none of them, shows the unknown format.
        return versionCode >= 0 && versionCode < kSwitcherIconCount ? versionCode : kSwitcherIconUnknown;
    }
    if (diskFormat == -1 || KvIsDxfFormatCode(diskFormat)) return kSwitcherIconDocument;
    switch (diskFormat) {
    case 2: return 2;
    case 4: return 3;
    case 8: return 4;
    case 12: return 5;
    case 24: return 6;
    case 36: return 7;
    case 48: return 8;
    case 60: return 9;
    case 64: return 10;
    default: return kSwitcherIconUnknown;
    }
}

std::string KvSwitcherStatusLine(int items, const MEMORYSTATUSEX& m) {
    return std::to_string(items) + " Item(s), Total RAM: " + KvFormatByteSize(m.ullTotalPhys) +
        ", free: " + KvFormatByteSize(m.ullAvailPhys) + ", virtual free: " + KvFormatByteSize(m.ullAvailVirtual) +
        ", load=" + std::to_string(m.dwMemoryLoad) + "%\n";
}

// ---- The dialog ---------------------------------------------------------------------------------

namespace {

// The pictures of the image list, in its order.
constexpr UINT kIconIds[kSwitcherIconCount] = {
    IDB_SWITCHER_UNKNOWN, IDB_SWITCHER_R10,    IDB_SWITCHER_R12,  IDB_SWITCHER_R13,  IDB_SWITCHER_R14,
    IDB_SWITCHER_2000,    IDB_SWITCHER_2004,   IDB_SWITCHER_2007, IDB_SWITCHER_2010, IDB_SWITCHER_2013,
    IDB_SWITCHER_2018,    IDB_SHARED_DOCUMENT, IDB_SHARED_WINDOW};

// A file that is not open is read with others kept from reading it meanwhile.
constexpr int kReadShareMode = 48;

bool isInside(HWND dialog, HWND wnd) {
    for (HWND w = wnd; w; w = GetParent(w))
        if (w == dialog) return true;
    return false;
}

}   // namespace

AcKvUiTabCtrlDialog::~AcKvUiTabCtrlDialog() { Destroy(); }

bool AcKvUiTabCtrlDialog::Create(HWND parent) {
    if (hwnd_) return true;
    hwnd_ = KvFromResources(
        [&](HINSTANCE module) {
            return CreateDialogParam(
                module, IDD_SWITCHER, parent,
                [this](HWND dlg, UINT msg, WPARAM wp, LPARAM lp) { return DialogProc(dlg, msg, wp, lp); }, 0);
        },
        HWND(nullptr));
    return hwnd_ != nullptr;
}

void AcKvUiTabCtrlDialog::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = list_ = nullptr;
    if (images_) ImageList_Destroy(images_);
    images_ = nullptr;
    for (HBITMAP& b : bitmaps_) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
    detailsItem_ = nullptr;
    highlighted_ = -1;
    armed_ = false;
}

bool AcKvUiTabCtrlDialog::IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

void AcKvUiTabCtrlDialog::initControls() {
    list_ = GetDlgItem(hwnd_, IDC_SWITCHER_LIST);
    images_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, kSwitcherIconCount, 4);
    for (int i = 0; i < kSwitcherIconCount; ++i) {
        bitmaps_[i] = LoadBitmap(App().ownModule, kIconIds[i]);
        ImageList_AddMasked(images_, bitmaps_[i], RGB(255, 0, 255));
    }
    SendMessage(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    SendMessage(list_, LVM_SETBKCOLOR, 0, LPARAM(GetSysColor(COLOR_BTNFACE)));
    SendMessage(list_, LVM_SETTEXTBKCOLOR, 0, LPARAM(GetSysColor(COLOR_BTNFACE)));
    SendMessage(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list_, &client);
    LVCOLUMN column;
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = std::max<LONG>(client.Width() - 4, 50);
    SendMessage(list_, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&column));
}

INT_PTR AcKvUiTabCtrlDialog::DialogProc(HWND dlg, UINT msg, WPARAM, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        hwnd_ = dlg;
        initControls();
        return FALSE;   // created hidden: the focus stays where it is
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        if (hdr && hdr->hwndFrom == list_ && hdr->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED)) ShowDetails(change->iItem);
        }
        return FALSE;
    }
    case WM_DRAWITEM: {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (!dis || dis->CtlID != IDC_SWITCHER_THUMBNAIL) return FALSE;
        paintThumbnail(*dis);
        return TRUE;
    }
    case WM_COMMAND: return TRUE;   // no buttons; Enter and Escape do not end the dialog
    default: return FALSE;
    }
}

int AcKvUiTabCtrlDialog::rowCount() const { return int(SendMessage(list_, LVM_GETITEMCOUNT, 0, 0)); }

CItemData* AcKvUiTabCtrlDialog::rowItem(int row) const {
    LVITEM lv;
    lv.mask = LVIF_PARAM;
    lv.iItem = row;
    if (!SendMessage(list_, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&lv))) return nullptr;
    auto* item = reinterpret_cast<CItemData*>(lv.lParam);
    // A tab closed while the list was shown leaves its row behind: its record is gone.
    return item && panel_.FindItemIndex(item) >= 0 ? item : nullptr;
}

void AcKvUiTabCtrlDialog::selectRow(int row) {
    LVITEM state;
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(list_, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&state));
    SendMessage(list_, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

void AcKvUiTabCtrlDialog::Open(bool backwards) {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(list_ ? list_ : hwnd_);
    Fill();
    armed_ = false;
    if (backwards) Previous();
    else Next();
}

void AcKvUiTabCtrlDialog::Fill() {
    if (!hwnd_) return;
    if (HWND parent = GetParent(hwnd_) ? GetParent(hwnd_) : acedGetAcadFrame()) {
        RECT outer, own;
        GetWindowRect(parent, &outer);
        GetWindowRect(hwnd_, &own);
        MoveWindow(hwnd_, outer.left + (outer.Width() - own.Width()) / 2,
                   outer.top + (outer.Height() - own.Height()) / 2, own.Width(), own.Height(), TRUE);
    }
    SendMessage(list_, LVM_DELETEALLITEMS, 0, 0);
    highlighted_ = -1;
    detailsItem_ = nullptr;
    for (int id : {IDC_SWITCHER_PATH, IDC_SWITCHER_OBJECTS, IDC_SWITCHER_SAVES, IDC_SWITCHER_LAST_VERSION,
                   IDC_SWITCHER_ORIGINAL_VERSION})
        SetDlgItemText(hwnd_, id, "");

    AcKvUiTabCtrl& tab = panel_.TabCtrl();
    const int count = tab.GetItemCount();
    MEMORYSTATUSEX memory;
    GlobalMemoryStatusEx(&memory);
    SetDlgItemText(hwnd_, IDC_SWITCHER_STATUS, KvSwitcherStatusLine(count, memory));

    AcApDocument* current = acDocManager->curDocument();
    for (int i = 0; i < count; ++i) {
        CItemData* item = tab.GetItem(i);
        if (!item) continue;
        const KvSwitcherTab kind = item->drawingDoc ? KvSwitcherTab::Drawing
            : item->docWindow                       ? KvSwitcherTab::Window
                                                    : KvSwitcherTab::Link;
        const int diskFormat = item->drawingDoc ? docData(item->drawingDoc).diskFormat : 0;
        LVITEM row;
        row.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        row.iItem = rowCount();
        row.text = item->displayName.empty() ? item->pathName : item->displayName;
        row.iImage = KvSwitcherIconIndex(kind, item->fileType, diskFormat, item->versionCode);
        row.lParam = reinterpret_cast<LPARAM>(item);
        const int at = int(SendMessage(list_, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&row)));
        if (at >= 0 && current && item->drawingDoc == current) {
            highlighted_ = at;
            selectRow(at);   // its details follow from the selection change
        }
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void AcKvUiTabCtrlDialog::Next() {
    const int count = rowCount();
    if (count == 0) return;
    const int target = highlighted_ + 1 < count ? highlighted_ + 1 : 0;
    if (target != 0 && highlighted_ >= 0) SendMessage(list_, WM_KEYDOWN, VK_DOWN, 0);
    else selectRow(target);
    highlighted_ = target;
}

void AcKvUiTabCtrlDialog::Previous() {
    const int count = rowCount();
    if (count == 0) return;
    if (highlighted_ <= 0 || highlighted_ >= count) {
        highlighted_ = count - 1;   // wrapping to the last row sets it directly
        selectRow(highlighted_);
    } else if (highlighted_ == 1) {
        highlighted_ = 0;
        selectRow(0);
    } else {
        SendMessage(list_, WM_KEYDOWN, VK_UP, 0);
        --highlighted_;
    }
}

void AcKvUiTabCtrlDialog::ChangeDocument() {
    KvGuardLine("Exception error : AcKvUiTabCtrlDialog::ChangeDocument \n", [&] {
        const int row = int(SendMessage(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED | LVNI_FOCUSED));
        CItemData* item = row >= 0 ? rowItem(row) : nullptr;
        if (!item) return;
        AcKvUiTabPanel& panel = panel_;
        AcKvUiTabCtrl& tab = panel.TabCtrl();
        const int index = panel.FindItemIndex(item);
        if (item->drawingDoc) {
            panel.ActivateDrawing(item->drawingDoc);
            item->marked = 1;
        } else if (!item->docWindow) {
            tab.linkIndex = index;
            tab.SetCurSel(index);
            AcKvUiTabPanel::OpenLinkTabLater();
        } else {
            item->docWindow->activate();
            item->marked = 1;
        }
        tab.Redraw();
    });
}

void AcKvUiTabCtrlDialog::ShowDetails(int row) {
    CItemData* item = rowItem(row);
    detailsItem_ = item;
    if (HWND box = GetDlgItem(hwnd_, IDC_SWITCHER_THUMBNAIL)) InvalidateRect(box, nullptr, TRUE);
    if (!item) return;

    int objects = 0, saves = 0;
    int lastVersion = AcDb::kDHL_Unknown, originalVersion = AcDb::kDHL_Unknown;
    std::unique_ptr<AcDbDatabase> fromFile;
    AcDbDatabase* db = item->drawingDoc ? item->drawingDoc->database() : nullptr;
    if (!db && acdbReadDwgFile(item->pathName, kReadShareMode, &fromFile) == Acad::eOk) db = fromFile.get();
    if (db) {
        objects = db->approxNumObjects();
        saves = db->numberOfSaves();
        lastVersion = db->lastSavedAsVersion();
        originalVersion = db->originalFileVersion();
    }
    SetDlgItemText(hwnd_, IDC_SWITCHER_PATH, item->pathName);
    SetDlgItemText(hwnd_, IDC_SWITCHER_OBJECTS, std::to_string(objects) + " (objects)");
    SetDlgItemText(hwnd_, IDC_SWITCHER_SAVES, std::to_string(saves) + " (times)");
    SetDlgItemText(hwnd_, IDC_SWITCHER_LAST_VERSION, KvDwgVersionName(lastVersion));
    SetDlgItemText(hwnd_, IDC_SWITCHER_ORIGINAL_VERSION, KvDwgVersionName(originalVersion));
}

void AcKvUiTabCtrlDialog::paintThumbnail(const DRAWITEMSTRUCT& dis) {
    HDC dc = dis.hDC;
    const RECT box = dis.rcItem;
    FillSolidRect(dc, box, RGB(128, 128, 128));
    Draw3dRect(dc, box, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    // The item may have lost its tab since the row was chosen.
    CItemData* item = detailsItem_ && panel_.FindItemIndex(detailsItem_) >= 0 ? detailsItem_ : nullptr;
    BITMAP info;
    if (!item || !item->thumbnail || !GetObject(item->thumbnail, &info) || info.bmWidth < 1 || info.bmHeight < 1)
        return;
    // Fitted into the box, keeping its proportions, with room for the shadow below and right.
    constexpr int kMargin = 6, kShadowNear = 4, kShadowFar = 7;
    const int roomW = box.Width() - 2 * kMargin - kShadowFar, roomH = box.Height() - 2 * kMargin - kShadowFar;
    if (roomW < 1 || roomH < 1) return;
    int w = roomW, h = int(std::int64_t(info.bmHeight) * roomW / info.bmWidth);
    if (h > roomH) {
        h = roomH;
        w = std::max(1, int(std::int64_t(info.bmWidth) * roomH / info.bmHeight));
    }
    h = std::max(h, 1);
    const int x = box.left + kMargin + (roomW - w) / 2, y = box.top + kMargin + (roomH - h) / 2;
    FillSolidRect(dc, RECT{x + kShadowFar, y + kShadowFar, x + w + kShadowFar, y + h + kShadowFar}, RGB(100, 100, 100));
    FillSolidRect(dc, RECT{x + kShadowNear, y + kShadowNear, x + w + kShadowNear, y + h + kShadowNear},
                  RGB(72, 72, 72));
    KvDrawBitmap(dc, x, y, w, h, item->thumbnail, 0, 0, info.bmWidth, info.bmHeight, KVBMP_KEYED);
}

bool AcKvUiTabCtrlDialog::PreTranslateMessage(MSG* msg) {
    if (!IsVisible() || !msg || !isInside(hwnd_, msg->hwnd)) return false;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    const int key = int(msg->wParam);
    if (msg->message == WM_KEYUP && key == VK_CONTROL) {
        armed_ = false;
        ShowWindow(hwnd_, SW_HIDE);
        SetFocus(acedGetAcadFrame());
        ChangeDocument();
        return true;
    }
    if (key != VK_TAB || !ctrl) return false;
    if (msg->message == WM_KEYUP) {
        armed_ = true;
    } else if (msg->message == WM_KEYDOWN && armed_) {
        if (shift) Previous();
        else Next();
        armed_ = false;
    }
    // Tab never moves the focus out of the list while Ctrl is held.
    return true;
}

// ---- The one switcher ---------------------------------------------------------------------------

AcKvUiTabCtrlDialog* KvSwitcher() {
    KvFeatureObjects* features = KvFeatures();
    return features ? features->switcher.get() : nullptr;
}

bool KvCreateSwitcher(KvFeatureObjects& owner, HWND parent) {
    if (owner.switcher) return true;
    auto dialog = std::make_unique<AcKvUiTabCtrlDialog>(owner.panel);
    if (!dialog->Create(parent)) return false;
    owner.switcher = std::move(dialog);
    return true;
}

void KvDestroySwitcher(KvFeatureObjects& owner) {
    if (!owner.switcher) return;
    owner.switcher->Destroy();
    owner.switcher.reset();
}

bool KvSwitcherVisible() {
    AcKvUiTabCtrlDialog* switcher = KvSwitcher();
    return switcher && switcher->IsVisible();
}

bool KvSwitcherPreTranslate(MSG* msg) {
    AcKvUiTabCtrlDialog* switcher = KvSwitcher();
    return switcher && switcher->PreTranslateMessage(msg);
}
