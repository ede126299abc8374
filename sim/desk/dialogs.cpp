// Dialogs from templates: creation and layout in dialog units, the dialog window and its
// procedure, the modal loop that runs the script, and the dialog boundary functions.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include "gfx/canvas.h"
#include "sim/desk/controls_internal.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialog_template.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"
#include "sim/pe/modules.h"
#include "win/dialog.h"
#include "win/monitor.h"

namespace sim::desk {

void resetCommonDialogs();   // commdlg.cpp
void resetMenuPicks();       // menus.cpp

namespace {

constexpr const char* kDialogClass = "#32770";
// The frame a captioned dialog gets: a 1-pixel border and a 30-pixel caption.
constexpr RECT kCaptionFrame{1, 31, 1, 1};
constexpr RECT kBorderFrame{1, 1, 1, 1};

struct DialogState {
    HWND hwnd = nullptr;
    DLGPROC proc;
    HFONT font = nullptr;
    bool ownsFont = false;
    int baseX = 6, baseY = 13;
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    int templateId = 0;
    std::uint64_t order = 0;
};

std::recursive_mutex gMutex;
std::map<HWND, std::shared_ptr<DialogState>>& states() {
    static std::map<HWND, std::shared_ptr<DialogState>> m;
    return m;
}
std::uint64_t gOrder = 0;
ScriptFeed gFeed;
std::vector<DialogRecord> gClosed;

std::shared_ptr<DialogState> stateOf(HWND h) {
    std::lock_guard lock(gMutex);
    auto it = states().find(h);
    return it == states().end() ? nullptr : it->second;
}

Window* win(HWND h) { return WindowManager::get().find(h); }

// Dialog units: a quarter of the base width across, an eighth of the base height down.
int toPixels(int units, int base) { return int(std::lround(double(units) * base / 4.0)); }
int toPixelsY(int units, int base) { return int(std::lround(double(units) * base / 8.0)); }

// Base units of a font as the dialog manager computes them: the average width of the 52 Latin
// letters (rounded) and the character cell height.
void baseUnits(HFONT font, int* x, int* y) {
    const SIZE ext = KvGetTextExtent(nullptr, font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    *x = std::max(1, int((ext.cx / 26 + 1) / 2));
    *y = std::max(1, int(fontHeight(font)));
}

std::string answerName(INT_PTR r) {
    static const char* const names[] = {"0", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    return r >= 0 && r <= 7 ? names[r] : std::to_string(r);
}

void paintFrame(HWND h, HDC dc) {
    Window* w = win(h);
    if (!w) return;
    const RECT all{0, 0, w->rect.Width(), w->rect.Height()};
    const COLORREF border = RGB(112, 112, 112);
    if (w->frame.top > 1) {
        FillSolidRect(dc, RECT{0, 0, all.right, w->frame.top}, RGB(255, 255, 255));
        RECT title{12, 1, all.right - 50, w->frame.top};
        static HFONT captionFont = [] {
            LOGFONT lf;
            KvGetMessageFont(&lf);
            return CreateFontIndirect(&lf);
        }();
        DrawText(dc, w->text, &title, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_LEFT, captionFont, RGB(0, 0, 0));
        if (w->style & WS_SYSMENU) {
            // The close box: a thin cross centred in the caption's last 46 pixels.
            const int cx = all.right - 24, cy = w->frame.top / 2;
            const KVPEN pen{PS_SOLID, 1, RGB(0, 0, 0), true};
            KvLine(dc, POINT{cx - 5, cy - 5}, POINT{cx + 5, cy + 5}, pen);
            KvLine(dc, POINT{cx - 5, cy + 5}, POINT{cx + 5, cy - 5}, pen);
        }
    }
    KvFrameRect(dc, all, KVPEN{PS_SOLID, 1, border});
}

LRESULT dialogWindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto st = stateOf(h);
    if (msg == WM_NCPAINT) {
        paintFrame(h, reinterpret_cast<HDC>(wp));
        return 0;
    }
    if (msg == WM_GETFONT) return st ? LRESULT(st->font) : 0;
    if (st && st->proc) {
        DLGPROC proc = st->proc;   // a copy: the procedure may destroy its dialog
        SetWindowLongPtr(h, DWLP_MSGRESULT, 0);
        const INT_PTR handled = proc(h, msg, wp, lp);
        if (handled) {
            // These answer with the procedure's own value; the rest with DWLP_MSGRESULT.
            if (msg == WM_INITDIALOG) return handled;
            return IsWindow(h) ? GetWindowLongPtr(h, DWLP_MSGRESULT) : handled;
        }
    }
    switch (msg) {
    case WM_SETTEXT:
        if (Window* w = win(h); w && lp) w->text = reinterpret_cast<const char*>(lp);
        return TRUE;
    case WM_CLOSE:
        // The close box acts as Cancel.
        SendMessage(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(h, IDCANCEL)));
        return 0;
    case DM_GETDEFID: {
        if (Window* w = win(h)) {
            for (HWND c : w->children) {
                Window* k = win(c);
                if (k && k->className == "Button" && (k->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    return LRESULT(0x534B0000u | (k->id & 0xFFFF));
            }
        }
        return LRESULT(0x534B0000u | IDOK);
    }
    case WM_DESTROY: {
        std::lock_guard lock(gMutex);
        if (st && st->ownsFont) DeleteObject(st->font);
        states().erase(h);
        return 0;
    }
    default: return 0;
    }
}

// The template from the module on top of the resource stack, else from the module passed.
std::optional<DialogTemplate> loadTemplate(HINSTANCE module, int id) {
    for (HINSTANCE m : {sim::host::resourceStackTop(), module}) {
        if (!m) continue;
        auto res = sim::pe::moduleResources(m);
        if (!res) continue;
        auto bytes = res->find(sim::pe::kRtDialog, std::uint16_t(id));
        if (!bytes) continue;
        if (auto t = parseDialogTemplate(*bytes)) return t;
    }
    return std::nullopt;
}

HWND firstTabStop(HWND dlg) {
    Window* w = win(dlg);
    if (!w) return nullptr;
    for (HWND c : w->children) {
        Window* k = win(c);
        if (k && (k->style & WS_TABSTOP) && k->visible && k->enabled) return c;
    }
    return w->children.empty() ? nullptr : w->children.front();
}

HWND createDialog(const DialogTemplate& t, int templateId, HWND parent, const DLGPROC& proc, LPARAM init, bool modal) {
    auto st = std::make_shared<DialogState>();
    st->proc = proc;
    st->modal = modal;
    st->templateId = templateId;
    if (t.hasFont) {
        LOGFONT lf;
        lf.lfHeight = -int(std::lround(t.pointSize * 96.0 / 72.0));
        lf.lfWeight = t.weight ? LONG(t.weight) : FW_NORMAL;
        lf.lfItalic = t.italic;
        lf.lfFaceName = t.typeface;
        st->font = CreateFontIndirect(&lf);
        st->ownsFont = st->font != nullptr;
    }
    if (!st->font) st->font = defaultControlFont();
    baseUnits(st->font, &st->baseX, &st->baseY);

    const bool child = (t.style & WS_CHILD) != 0;
    RECT frame{};
    if (!child) {
        if ((t.style & WS_CAPTION) == WS_CAPTION) frame = kCaptionFrame;
        else if (t.style & (WS_BORDER | WS_DLGFRAME | DS_MODALFRAME)) frame = kBorderFrame;
    }
    const int cw = toPixels(t.cx, st->baseX), ch = toPixelsY(t.cy, st->baseY);
    const int ww = cw + frame.left + frame.right, wh = ch + frame.top + frame.bottom;
    int x = toPixels(t.x, st->baseX), y = toPixelsY(t.y, st->baseY);
    if (!child) {
        // A popup dialog is placed relative to its owner's client area, or centred on it.
        RECT owner{0, 0, 0, 0};
        POINT origin{0, 0};
        if (parent && GetWindowRect(parent, &owner)) {
            ClientToScreen(parent, &origin);
        } else if (!monitors().empty()) {
            owner = monitors().front().rect;
            origin = {owner.left, owner.top};
        }
        if (t.style & DS_CENTER) {
            x = owner.left + (owner.Width() - ww) / 2;
            y = owner.top + (owner.Height() - wh) / 2;
        } else {
            x += origin.x;
            y += origin.y;
        }
    }
    CREATEWINDOW cw32;
    cw32.className = kDialogClass;
    cw32.text = t.title;
    cw32.style = t.style & ~(WS_VISIBLE | WS_DISABLED);
    cw32.exStyle = t.exStyle;
    cw32.rect = {x, y, x + ww, y + wh};
    cw32.parent = child ? parent : nullptr;
    cw32.proc = dialogWindowProc;
    HWND dlg = CreateWindowEx(cw32);
    if (!dlg) return nullptr;
    st->hwnd = dlg;
    {
        std::lock_guard lock(gMutex);
        st->order = ++gOrder;
        states()[dlg] = st;
    }
    win(dlg)->frame = frame;
    SendMessage(dlg, WM_SETFONT, WPARAM(st->font), FALSE);

    for (const auto& item : t.items) {
        CREATEWINDOW c;
        c.className = item.className();
        c.text = item.title.isOrdinal ? std::string() : item.title.text;
        c.style = (item.style | WS_CHILD) & ~WS_DISABLED;
        c.exStyle = item.exStyle;
        const int cx = toPixels(item.x, st->baseX), cy = toPixelsY(item.y, st->baseY);
        c.rect = {cx, cy, cx + toPixels(item.cx, st->baseX), cy + toPixelsY(item.cy, st->baseY)};
        c.parent = dlg;
        c.id = item.id;
        HWND ctl = CreateWindowEx(c);
        if (!ctl) continue;
        if (item.style & WS_DISABLED) EnableWindow(ctl, FALSE);
        SendMessage(ctl, WM_SETFONT, WPARAM(st->font), FALSE);
    }
    HWND focus = firstTabStop(dlg);
    if (SendMessage(dlg, WM_INITDIALOG, WPARAM(focus), init) && focus && IsWindow(focus)) SetFocus(focus);
    if (IsWindow(dlg) && (modal || (t.style & WS_VISIBLE))) ShowWindow(dlg, SW_SHOW);
    return IsWindow(dlg) ? dlg : nullptr;
}

}  // namespace

// ---- Script feed and open dialogs ---------------------------------------------------------------

namespace {
ScriptFeed gInteractiveFeed;
}
void setInteractiveDialogFeed(ScriptFeed feed) { gInteractiveFeed = std::move(feed); }

ScriptFeed setScriptFeed(ScriptFeed feed) {
    ScriptFeed old = std::move(gFeed);
    gFeed = std::move(feed);
    return old;
}

HWND topDialog() {
    std::lock_guard lock(gMutex);
    HWND best = nullptr;
    std::uint64_t order = 0;
    for (const auto& [h, st] : states()) {
        Window* w = win(h);
        // A modeless dialog that was ended is only hidden: shown again, it is the script's again.
        if (!w || w->parent || (st->modal && st->ended) || !w->visible) continue;
        if (st->order > order) {
            order = st->order;
            best = h;
        }
    }
    return best;
}

HWND findDialogControl(HWND dialog, int id) {
    Window* w = win(dialog);
    if (!w) return nullptr;
    HWND fallback = nullptr;
    for (HWND c : w->children) {
        Window* k = win(c);
        if (!k) continue;
        if (int(k->id) == id && k->className != kDialogClass) {
            if (IsWindowVisible(c)) return c;
            if (!fallback) fallback = c;
        }
    }
    // Controls of child dialogs (property pages) that are shown.
    for (HWND c : w->children) {
        Window* k = win(c);
        if (k && k->className == kDialogClass && k->visible)
            if (HWND found = findDialogControl(c, id)) return found;
    }
    return fallback;
}

namespace {
void dumpInto(HWND dialog, std::string& out, int indent) {
    Window* w = win(dialog);
    if (!w) return;
    for (HWND c : w->children) {
        Window* k = win(c);
        if (!k) continue;
        std::string line(size_t(indent), ' ');
        if (k->className == kDialogClass) {
            line += "page \"" + k->text + "\"" + (k->visible ? "" : " hidden") + "\n";
            out += line;
            dumpInto(c, out, indent + 2);
            continue;
        }
        line += std::to_string(int(k->id)) + " " + k->className + " \"" + k->text + "\"";
        line += describeControl(c);
        if (!k->visible) line += " hidden";
        if (!k->enabled) line += " disabled";
        if (GetFocus() == c) line += " focus";
        out += line + "\n";
    }
}
}  // namespace

std::string dumpDialog(HWND dialog) {
    Window* w = win(dialog);
    if (!w) return "";
    auto st = stateOf(dialog);
    std::string out = "dialog " + std::to_string(st ? st->templateId : 0) + " \"" + w->text + "\"\n";
    dumpInto(dialog, out, 2);
    return out;
}

const std::vector<DialogRecord>& closedDialogs() { return gClosed; }

void resetDialogs() {
    {
        std::lock_guard lock(gMutex);
        for (auto& [h, st] : states())
            if (st->ownsFont) DeleteObject(st->font);
        states().clear();
        gClosed.clear();
    }
    gInteractiveFeed = nullptr;
    forgetControls();
    resetCommonDialogs();
    resetMenuPicks();
}

// Cancels a dialog as Escape does: IDCANCEL to its procedure; a modal one that ignores it is ended
// anyway, so a script never hangs on a dialog.
void cancelDialog(HWND dlg) {
    SendMessage(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(GetDlgItem(dlg, IDCANCEL)));
    auto st = stateOf(dlg);
    if (st && st->modal && !st->ended && IsWindow(dlg)) EndDialog(dlg, IDCANCEL);
}

}  // namespace sim::desk

using namespace sim::desk;

// ---- The boundary ---------------------------------------------------------------------------------

INT_PTR DialogBoxParam(HINSTANCE module, int templateId, HWND owner, DLGPROC proc, LPARAM initParam) {
    auto t = loadTemplate(module, templateId);
    if (!t) return -1;
    t->style &= ~WS_CHILD;   // a modal dialog is a popup whatever the template says
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    HWND dlg = createDialog(*t, templateId, owner, proc, initParam, true);
    auto st = stateOf(dlg);
    const std::string title = dlg ? GetWindowText(dlg) : t->title;
    INT_PTR result = st ? st->result : 0;
    if (st) {
        auto& wm = WindowManager::get();
        while (!st->ended && IsWindow(dlg)) {
            wm.pump();
            if (st->ended || !IsWindow(dlg)) break;
            ScriptFeed feed = gFeed ? gFeed : (sim::Desktop::get().interactive() ? gInteractiveFeed : nullptr);
            if (feed && feed()) continue;
            cancelDialog(dlg);
        }
        result = st->ended ? st->result : IDCANCEL;
    }
    if (disableOwner) EnableWindow(owner, TRUE);
    if (IsWindow(dlg)) DestroyWindow(dlg);
    gClosed.push_back({templateId, title, result});
    sim::Desktop::get().print("[dialog] " + title + " -> " + answerName(result) + "\n");
    return result;
}

HWND CreateDialogParam(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM initParam) {
    auto t = loadTemplate(module, templateId);
    if (!t) return nullptr;
    return createDialog(*t, templateId, parent, proc, initParam, false);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    auto st = stateOf(dialog);
    if (!st) return FALSE;
    st->ended = true;
    st->result = result;
    // A modal dialog disappears when its loop ends; a modeless one is hidden now.
    if (!st->modal) ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

BOOL SetDlgItemText(HWND dialog, int id, const std::string& text) {
    HWND c = GetDlgItem(dialog, id);
    return c ? SetWindowText(c, text) : FALSE;
}

std::string GetDlgItemText(HWND dialog, int id) { return GetWindowText(GetDlgItem(dialog, id)); }

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated) *translated = FALSE;
    HWND c = GetDlgItem(dialog, id);
    if (!c) return 0;
    std::string t = GetWindowText(c);
    size_t i = t.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (isSigned && t[i] == '-') {
        negative = true;
        ++i;
    }
    long long v = 0;
    size_t digits = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++digits) {
        v = v * 10 + (t[i] - '0');
        if (v > 0xFFFFFFFFLL) return 0;   // overflow: not translated
    }
    if (!digits || t.find_first_not_of(" \t", i) != std::string::npos) return 0;
    if (isSigned && (negative ? v > 0x80000000LL : v > 0x7FFFFFFFLL)) return 0;
    if (translated) *translated = TRUE;
    return negative ? UINT(-v) : UINT(v);
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    return SetDlgItemText(dialog, id, isSigned ? std::to_string(int(value)) : std::to_string(value));
}

LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND c = GetDlgItem(dialog, id);
    return c ? SendMessage(c, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND c = GetDlgItem(dialog, id);
    if (!c) return FALSE;
    SendMessage(c, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    HWND c = GetDlgItem(dialog, id);
    return c ? UINT(SendMessage(c, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id) {
        if (HWND c = GetDlgItem(dialog, id)) SendMessage(c, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
    auto st = stateOf(dialog);
    if (!st || !rect) return FALSE;
    rect->left = toPixels(rect->left, st->baseX);
    rect->right = toPixels(rect->right, st->baseX);
    rect->top = toPixelsY(rect->top, st->baseY);
    rect->bottom = toPixelsY(rect->bottom, st->baseY);
    return TRUE;
}

LONG GetDialogBaseUnits() {
    int x = 0, y = 0;
    baseUnits(defaultControlFont(), &x, &y);
    return LONG(DWORD(x) | (DWORD(y) << 16));
}
