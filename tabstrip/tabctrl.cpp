#include "tabstrip/tabctrl.h"
#include "uikit/tooltip.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include "settings/fontrecord.h"
#include "settings/favourites.h"

#include <algorithm>
#include <functional>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "win/dialog.h"
#include "core/text.h"
#include "tabstrip/panel.h"
#include "win/input.h"
#include "win/system.h"
#include "core/paths.h"
#include "res/resource.h"
#include "doctrack/docdata.h"
#include "gfx/font.h"
#include "uikit/screen.h"
#include "win/module.h"
#include "win/system.h"

namespace {

// Tab font heights in pixels: the thickness rule's value without a font record, and the range a
// font record's height is brought into.
constexpr int kDefaultFontHeight = 12;
constexpr long long kMinFontHeight = 6, kMaxFontHeight = 72;

static_assert(kTabPictureCount == IDB_TAB_COUNT, "the picture table and the resources agree");

}   // namespace

int KvFormatCodeFromVersionCode(int v) {
    switch (v) {
    case 2: return 2;
    case 3: return 4;
    case 4: return 8;
    case 5: return 12;
    case 6: return 24;
    case 7: return 36;
    case 8: return 48;
    case 9: return 60;
    case 10: return 64;
    default: return -1;
    }
}

AcKvUiTabCtrl::AcKvUiTabCtrl(AcKvUiTabPanel* panel)
    : startColor(GetSysColor(COLOR_BTNFACE)), middleColor(GetSysColor(COLOR_BTNFACE)), panel_(panel) {}

AcKvUiTabCtrl::~AcKvUiTabCtrl() { Destroy(); }

bool AcKvUiTabCtrl::Create(HWND parent, const RECT& rect, UINT id) {
    CREATEWINDOW p;
    p.className = WC_TABCONTROL;
    p.style = WS_CHILD | WS_VISIBLE | TCS_OWNERDRAWFIXED | TCS_TOOLTIPS | TCS_FOCUSNEVER;
    p.rect = rect;
    p.parent = parent;
    p.id = id;
    p.proc = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return WindowProc(w, m, wp, lp); };
    hwnd_ = CreateWindowEx(p);
    return hwnd_ != nullptr;
}

void AcKvUiTabCtrl::Destroy() {
    if (controller_) controller_->StopOperationRequested();
    if (hwnd_) {
        if (controller_) controller_->StripDestroying();
        while (GetItemCount() > 0) DeleteTab(GetItemCount() - 1);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    for (HBITMAP b : pictures_)
        if (b) DeleteObject(b);
    pictures_.clear();
    if (selFont_) DeleteObject(selFont_);
    if (unselFont_) DeleteObject(unselFont_);
    selFont_ = unselFont_ = nullptr;
}

void AcKvUiTabCtrl::Initialise() {
    // The defaults are built from the control's own font as it came, never from a font the user
    // chose later (a bad font record must not turn the previous choice into the "default").
    HFONT own = reinterpret_cast<HFONT>(SendMessage(hwnd_, WM_GETFONT, 0, 0));
    if (!own || !GetObject(own, &defaultBase_)) KvGetMessageFont(&defaultBase_);
    // The pictures come from the plug-in's own module; a missing one draws nothing.
    pictures_.assign(kTabPictureCount, nullptr);
    for (int i = 0; i < kTabPictureCount; ++i)
        pictures_[size_t(i)] = LoadBitmap(App().ownModule, UINT(IDB_TAB_FIRST + i));
    if (controller_) controller_->StripCreated();
    ApplyDockStyle(dockSide);
    SendMessage(hwnd_, TCM_SETPADDING, 0, LPARAM((4 << 16) | 4));
}

void AcKvUiTabCtrl::ApplyDockStyle(int side) {
    dockSide = side;
    DWORD style = DWORD(GetWindowLongPtr(hwnd_, GWL_STYLE));
    switch (side) {
    case kDockLeft: style = (style & ~(TCS_MULTILINE | TCS_RIGHT)) | TCS_VERTICAL | TCS_MULTILINE; break;
    case kDockRight: style = (style & ~TCS_MULTILINE) | TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
    case kDockBottom: style = (style & ~(TCS_MULTILINE | TCS_VERTICAL)) | TCS_BOTTOM; break;
    default: style &= ~(TCS_MULTILINE | TCS_VERTICAL | TCS_BOTTOM); break;
    }
    SetWindowLongPtr(hwnd_, GWL_STYLE, LONG_PTR(style));
    vertical = side == kDockLeft || side == kDockRight;
    RefreshScrollArrows();
}

void AcKvUiTabCtrl::buildFonts(const LOGFONT& base) {
    LOGFONT sel = base, unsel = base;
    sel.lfWeight = 600;
    unsel.lfWeight = 500;
    sel.lfItalic = unsel.lfItalic = 0;
    sel.lfUnderline = unsel.lfUnderline = 0;
    vertical = dockSide == kDockLeft || dockSide == kDockRight;
    const LONG turn = vertical && !thumbnailIcon ? 2700 : 0;
    sel.lfEscapement = sel.lfOrientation = unsel.lfEscapement = unsel.lfOrientation = turn;
    if (selFont_) DeleteObject(selFont_);
    if (unselFont_) DeleteObject(unselFont_);
    selFont_ = CreateFontIndirect(&sel);
    unselFont_ = CreateFontIndirect(&unsel);
    SendMessage(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(selFont_), 0);
}

void AcKvUiTabCtrl::SetDefaultFonts() {
    buildFonts(defaultBase_);
    // The bar's thickness rule takes 12 while no font record has been applied.
    selectedFontHeight_ = kDefaultFontHeight;
}

void AcKvUiTabCtrl::SetFonts(const std::string& selectedRecord, const std::string& unselectedRecord) {
    auto sel = KvParseFontRecord(selectedRecord);
    auto unsel = KvParseFontRecord(unselectedRecord);
    // A stored height outside what a tab can show would make the bar vanish or fill the frame.
    for (auto* f : {&sel, &unsel}) {
        if (!*f) continue;
        const long long h = (*f)->lfHeight;
        const long long size = h == 0 ? kDefaultFontHeight : std::clamp(h < 0 ? -h : h, kMinFontHeight, kMaxFontHeight);
        (*f)->lfHeight = LONG(h > 0 ? size : -size);
    }
    const LONG turn = vertical && !thumbnailIcon ? 2700 : 0;
    if (unsel) {
        unsel->lfEscapement = unsel->lfOrientation = turn;
        if (unselFont_) DeleteObject(unselFont_);
        unselFont_ = CreateFontIndirect(&*unsel);
    }
    if (sel) {
        sel->lfEscapement = sel->lfOrientation = turn;
        selectedFontHeight_ = std::abs(int(sel->lfHeight));
        if (selFont_) DeleteObject(selFont_);
        selFont_ = CreateFontIndirect(&*sel);
        SendMessage(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(selFont_), 0);
    }
}

void AcKvUiTabCtrl::SetFixedWidth(bool fixed, int minTabWidth) {
    fixedWidth = fixed;
    DWORD style = DWORD(GetWindowLongPtr(hwnd_, GWL_STYLE));
    style = fixed ? (style | TCS_FIXEDWIDTH) : (style & ~TCS_FIXEDWIDTH);
    SetWindowLongPtr(hwnd_, GWL_STYLE, LONG_PTR(style));
    SendMessage(hwnd_, TCM_SETMINTABWIDTH, 0, minTabWidth);
}

void AcKvUiTabCtrl::SetItemSize(SIZE size) {
    SendMessage(hwnd_, TCM_SETITEMSIZE, 0, LPARAM((size.cy << 16) | (size.cx & 0xFFFF)));
}

HWND AcKvUiTabCtrl::RefreshScrollArrows() {
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::string cls;
        if (!GetClassName(child, &cls) || cls != UPDOWN_CLASS) continue;
        const DWORD style = DWORD(GetWindowLongPtr(child, GWL_STYLE));
        SetWindowLongPtr(child, GWL_STYLE, LONG_PTR(vertical ? (style & ~UDS_HORZ) : (style | UDS_HORZ)));
        return child;
    }
    return nullptr;
}

// The model mirrors the control's tabs: every insertion and removal goes through here.
int AcKvUiTabCtrl::InsertTab(int index, const std::string& caption, CItemData* data) {
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.text = caption;
    item.iImage = 0;
    item.lParam = reinterpret_cast<LPARAM>(data);
    std::unique_ptr<CItemData> owned(data);
    const int at = hwnd_ ? int(SendMessage(hwnd_, TCM_INSERTITEM, WPARAM(index), reinterpret_cast<LPARAM>(&item))) : -1;
    if (at < 0) return -1;
    model_.Insert(at, std::move(owned));
    return at;
}

void AcKvUiTabCtrl::DeleteTab(int index) {
    std::unique_ptr<CItemData> item = model_.Detach(index);
    if (!item) return;
    SendMessage(hwnd_, TCM_DELETEITEM, WPARAM(index), 0);
    if (controller_) controller_->TabLeaving(item.get());
}

std::vector<CItemData*> AcKvUiTabCtrl::AllItems() const { return model_.Items(); }

std::string AcKvUiTabCtrl::GetCaption(int index) const {
    TCITEM item;
    item.mask = TCIF_TEXT;
    SendMessage(hwnd_, TCM_GETITEM, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    return item.text.substr(0, 256);
}

CItemData* AcKvUiTabCtrl::DetachTab(int index) {
    std::unique_ptr<CItemData> item = model_.Detach(index);
    if (item) SendMessage(hwnd_, TCM_DELETEITEM, WPARAM(index), 0);
    return item.release();
}

void AcKvUiTabCtrl::SetCaption(int index, const std::string& caption) {
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.text = caption;
    item.iImage = 0;
    SendMessage(hwnd_, TCM_SETITEM, WPARAM(index), reinterpret_cast<LPARAM>(&item));
}

int AcKvUiTabCtrl::GetCurSel() const { return hwnd_ ? int(SendMessage(hwnd_, TCM_GETCURSEL, 0, 0)) : -1; }

void AcKvUiTabCtrl::SetCurSel(int index) { SendMessage(hwnd_, TCM_SETCURSEL, WPARAM(index), 0); }

RECT AcKvUiTabCtrl::GetItemRect(int index) const {
    RECT r;
    SendMessage(hwnd_, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

void AcKvUiTabCtrl::Redraw() {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
}

int AcKvUiTabCtrl::formatCodeOf(const CItemData& item) const {
    if (item.drawingDoc && item.drawingDoc->database()) return docData(item.drawingDoc).diskFormat;
    return KvFormatCodeFromVersionCode(item.versionCode);
}

std::string AcKvUiTabCtrl::PaintedCaption(int index) const {
    const CItemData* item = GetItem(index);
    if (!item) return "";
    const std::string source =
        item->drawingDoc && item->drawingDoc->database() ? item->drawingDoc->fileName() : item->pathName;
    return KvCaptionText(source, showExtension, maxCharUse, maxChars);
}

KvTabStyle AcKvUiTabCtrl::LayoutStyle() const {
    KvTabStyle style;
    style.dockSide = dockSide;
    style.vertical = vertical;
    style.fileIcon = fileIcon;
    style.versionIcon = versionIcon;
    style.thumbnailIcon = thumbnailIcon;
    style.showClose = showClose;
    style.subControlSize = subControlSize;
    style.fixedWidthX = fixedWidthX;
    return style;
}

RECT AcKvUiTabCtrl::GlyphRect(const RECT& r, int glyph) const {
    return KvTabGlyphRect(LayoutStyle(), r, KvTabGlyph(glyph));
}

namespace {

// The control as the painting sees the bar.
class BarView : public KvTabBarView {
public:
    BarView(const AcKvUiTabCtrl& tab, std::function<KvTabFace(int, bool)> face) : tab_(tab), face_(std::move(face)) {}
    int Count() const override { return tab_.GetItemCount(); }
    int Selected() const override { return tab_.GetCurSel(); }
    RECT ItemRect(int index) const override { return tab_.GetItemRect(index); }
    KvTabFace Face(int index, bool selected) const override { return face_(index, selected); }

private:
    const AcKvUiTabCtrl& tab_;
    std::function<KvTabFace(int, bool)> face_;
};

}   // namespace

KvTabLook AcKvUiTabCtrl::look() const {
    KvTabLook l;
    l.startColor = startColor, l.middleColor = middleColor, l.endColor = endColor;
    l.bgEffect = bgEffect;
    l.borderLineType = borderLineType;
    l.useOutline = useOutline, l.outlineColor = outlineColor, l.outlineWidth = outlineWidth;
    l.selTextColor = selTextColor, l.unselTextColor = unselTextColor, l.readOnlyColor = readOnlyColor;
    l.selFont = selFont_, l.unselFont = unselFont_;
    l.pictures = &pictures_;
    return l;
}

KvTabFace AcKvUiTabCtrl::face(int index, bool selected) const {
    KvTabFace f;
    const CItemData* item = GetItem(index);
    if (!item) return f;
    f.caption = PaintedCaption(index);
    f.formatCode = formatCodeOf(*item);
    f.selected = selected;
    f.marked = item->marked != 0;
    f.modified = item->modified != 0;
    f.readOnly = item->drawingDoc && item->drawingDoc->isReadOnly();
    f.isLink = item->isLink != 0;
    f.thumbnail = item->thumbnail;
    if (pressedTab == index) f.pressed = KvTabGlyph(pressedGlyph);
    return f;
}

void AcKvUiTabCtrl::Paint(HDC target) {
    RECT client;
    GetClientRect(hwnd_, &client);
    const BarView bar(*this, [this](int index, bool selected) { return face(index, selected); });
    KvPaintBar(target, client, LayoutStyle(), look(), bar, dragging ? dropMarker : RECT{});
}

RECT AcKvUiTabCtrl::CaptionRect(RECT r, const CItemData& item) const {
    return KvTabCaptionRect(LayoutStyle(), r, item.thumbnail != nullptr);
}

void AcKvUiTabCtrl::DrawItem(HDC dc, int index, RECT r, bool selected) {
    if (!GetItem(index)) return;
    KvPaintTab(dc, LayoutStyle(), look(), face(index, selected), r);
}

int AcKvUiTabCtrl::HitTest(POINT pt, int* glyph) const {
    if (glyph) *glyph = 0;
    int fallback = -1;
    for (int i = 0; i < GetItemCount(); ++i) {
        const RECT r = GetItemRect(i);
        if (pt.x >= r.left && pt.x <= r.right && pt.y >= r.top && pt.y <= r.bottom) fallback = i;
        if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom) continue;
        if (glyph) *glyph = int(KvTabGlyphAt(LayoutStyle(), r, pt));
        return i;
    }
    return fallback;
}

bool AcKvUiTabCtrl::HostBusy() const {
    AcApDocument* doc = acDocManager->curDocument();
    return !doc || !doc->isQuiescent() || SwitcherVisible();
}

LRESULT AcKvUiTabCtrl::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (tooltip && ((msg >= WM_MOUSEMOVE && msg <= WM_MOUSEWHEEL) || msg == WM_MOUSELEAVE))
        tooltip->RelayEvent(msg, wp, lp);
    switch (msg) {
    case WM_LBUTTONDOWN: {
        // A click while a command runs changes nothing.
        AcApDocument* doc = acDocManager->curDocument();
        if (doc && !doc->isQuiescent()) return 0;
        int glyph = 0;
        const POINT pt = KvPointFromLParam(lp);
        HitTest(pt, &glyph);
        if (showClose && glyph != 0) {
            // The glyph shows pressed; it acts when the button comes up.
            pressedTab = HitTest(pt);
            pressedGlyph = glyph;
            Redraw();
            return 0;
        }
        const int index = HitTest(pt);
        if (index >= 0 && index == GetCurSel() && DragDetect(wnd, pt)) {
            dragging = 1;
            dragFrom = dropIndex = index;
            dropMarker = RECT{};
            SetCapture(wnd);
            return 0;
        }
        return CallWindowClassProc(WC_TABCONTROL, wnd, msg, wp, lp);
    }
    case WM_MOUSEMOVE: {
        if (!(wp & MK_LBUTTON)) dragging = 0;
        if (dragging) {
            const POINT pt = KvPointFromLParam(lp);
            UpdateDropMarker(pt);
            // Past either end of the row the tabs scroll by one, so that far places can be reached.
            if (HWND arrows = RefreshScrollArrows(); arrows && IsWindowVisible(arrows)) {
                RECT client;
                GetClientRect(wnd, &client);
                const int pos = int(SendMessage(arrows, UDM_GETPOS32, 0, 0));
                const bool before = vertical ? pt.y < client.top : pt.x < client.left;
                const bool after = vertical ? pt.y >= client.bottom : pt.x >= client.right;
                const int next = before && pos > 0 ? pos - 1 : after ? pos + 1 : pos;
                if (next != pos) {
                    dropMarker = RECT{};
                    SendMessage(arrows, UDM_SETPOS32, 0, next);
                    SendMessage(wnd, vertical ? WM_VSCROLL : WM_HSCROLL,
                                MAKEWPARAM(SB_THUMBPOSITION, WORD(SendMessage(arrows, UDM_GETPOS32, 0, 0))), 0);
                    Redraw();
                }
            }
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (dragging) {
            dragging = 0;
            dropMarker = RECT{};
            Redraw();
        }
        return 0;
    case WM_LBUTTONUP: {
        if (pressedGlyph) {
            pressedTab = -1;
            pressedGlyph = 0;
            Redraw();
        }
        if (dragging) {
            dragging = 0;
            const int from = dragFrom, to = dropIndex;
            ReleaseCapture();
            KvGuard("OnLButtonUp", [&] { MoveTab(from, to); });
            return 0;
        }
        if (showClose) {
            int glyph = 0;
            const POINT pt = KvPointFromLParam(lp);
            const int index = HitTest(pt, &glyph);
            if (CItemData* item = GetItem(index); item && glyph != 0) {
                KvGuard("OnLButtonUp", [&] {
                    if (item->drawingDoc || item->docWindow) {
                        GlyphAction(index, glyph);
                    } else if (glyph == 1 && model_.MarkedCount() > 1) {
                        if (controller_) controller_->CloseMarkedRequested();
                    } else if (glyph == 1 && panel_) {
                        panel_->DeleteDrawing(item);
                    }
                });
                return 0;
            }
        }
        return CallWindowClassProc(WC_TABCONTROL, wnd, msg, wp, lp);
    }
    case WM_MBUTTONUP: {
        KvGuard("OnMButtonUp", [&] {
            if (HostBusy()) return;
            const POINT pt = KvPointFromLParam(lp);
            CItemData* item = GetItem(HitTest(pt));
            if (item && item->drawingDoc) CloseDrawing(item);   // links and windows: nothing
        });
        return 0;
    }
    case WM_RBUTTONDOWN: {
        POINT screen;
        GetCursorPos(&screen);
        if (controller_) controller_->ContextMenuRequested(0, screen);
        return 0;
    }
    case WM_RBUTTONUP: ReleaseCapture(); return 0;
    case WM_ERASEBKGND: return 1;   // everything is painted in WM_PAINT
    case kMsgStartNextQueueItem:
        if (controller_) controller_->NextQueueItemDue();
        return 0;
    case WM_TIMER:
        if (wp == kFavouritesTimer) {
            AcApDocument* doc = acDocManager->curDocument();
            if (doc && doc->isQuiescent()) {
                KillTimer(wnd, kFavouritesTimer);
                if (controller_) controller_->StartupIdle();
            }
            return 0;
        }
        return CallWindowClassProc(WC_TABCONTROL, wnd, msg, wp, lp);
    case WM_COMMAND:
        // Menu ids of the numbered ranges go past 16 bits: the whole value is the id here.
        if (controller_) controller_->MenuCommand(UINT(wp));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        if (dc) Paint(dc);
        EndPaint(wnd, &ps);
        return 0;
    }
    default: return CallWindowClassProc(WC_TABCONTROL, wnd, msg, wp, lp);
    }
}

void AcKvUiTabCtrl::UpdateDropMarker(POINT pt) {
    TCHITTESTINFO hit;
    hit.pt = pt;
    const int index = int(SendMessage(hwnd_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (index >= 0) dropIndex = index;
    else if (dropIndex == GetItemCount()) --dropIndex;
    const RECT r = GetItemRect(dropIndex);
    RECT marker;
    if (!vertical) {
        const bool after = pt.x >= (r.left + r.right) / 2;
        const LONG x = after ? r.right : r.left;
        marker = {x - 1, r.top, x + 1, r.bottom};
        if (after) ++dropIndex;
    } else {
        const bool after = pt.y >= (r.top + r.bottom) / 2;
        const LONG y = after ? r.bottom : r.top;
        marker = {r.left, y - 1, r.right, y + 1};
        if (after) ++dropIndex;
    }
    dropMarker = marker;
    Redraw();
}

void AcKvUiTabCtrl::MoveTab(int from, int to) {
    dropMarker = RECT{};
    if (from == to || from < 0) {
        Redraw();
        return;
    }
    const int selected = GetCurSel();
    const std::string caption = GetCaption(from).substr(0, 50);
    CItemData* item = DetachTab(from);
    const int at = to > from ? to - 1 : to;
    InsertTab(at, caption, item);
    // The selection follows the drawing that was selected before the move.
    int newSel = selected;
    if (selected == from) newSel = at;
    else if (from < selected && selected <= at) --newSel;
    else if (at <= selected && selected < from) ++newSel;
    SetCurSel(newSel);
    Redraw();
    NMHDR hdr;
    hdr.hwndFrom = hwnd_;
    hdr.idFrom = UINT_PTR(GetDlgCtrlID(hwnd_));
    hdr.code = TCN_SELCHANGE;
    SendMessage(GetParent(hwnd_), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

void AcKvUiTabCtrl::CloseDrawing(CItemData* item) {
    if (item->drawingDoc != acDocManager->curDocument()) AcKvUiTabPanel::ActivateDrawing(item->drawingDoc);
    SendMessage(acedGetAcadFrame(), WM_COMMAND, kCmdFileClose, 0);
}

void AcKvUiTabCtrl::GlyphAction(int index, int glyph) {
    if (HostBusy()) return;
    CItemData* item = GetItem(index);
    if (!item) return;
    const bool several = model_.MarkedCount() > 1;
    if (glyph == 1 && several) {
        if (controller_) controller_->CloseMarkedRequested();
    } else if (glyph == 1) {
        if (item->drawingDoc) {
            CloseDrawing(item);
        } else if (item->docWindow && item->docWindow->canClose()) {
            item->docWindow->close();
        }
    } else if (glyph == 2) {
        POINT screen;
        GetCursorPos(&screen);
        if (controller_) controller_->ItemMenuRequested(item, screen);
    } else if (glyph == 3 && !several) {
        if (item->drawingDoc) {
            // The drawing closes and its tab stays as a link.
            item->keepAsLink = 1;
            item->modified = 0;
            CloseDrawing(item);
        } else if (item->docWindow && item->docWindow->canClose()) {
            item->docWindow->close();
        }
    }
    SetFocus(acedGetAcadFrame());
}
