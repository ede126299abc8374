// Buttons, check boxes, radio buttons, group boxes, edit boxes, static text, list and combo boxes,
// the progress bar and the up-down control, each painting itself as a plain Windows dialog shows it.
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include "gfx/canvas.h"
#include "sim/desk/controls_internal.h"
#include "win/tabctrl.h"
#include "sim/desk/windows.h"
#include "win/dialog.h"
#include "win/system.h"

namespace sim::desk {
namespace {

struct Entry {
    std::string text;
    LPARAM data = 0;
    bool selected = false;
};

// The state of one control; the fields a class does not use stay at their defaults.
struct Ctl {
    HFONT font = nullptr;
    // Buttons.
    UINT check = BST_UNCHECKED;
    bool pushed = false;
    // Edit boxes.
    size_t limit = 30000;
    bool modified = false;
    std::string cue;
    // List and combo boxes.
    std::vector<Entry> entries;
    int cur = -1;
    int top = 0;
    bool dropped = false;
    // Progress bar and up-down.
    int lo = 0, hi = 100, pos = 0, step = 10;
    HWND buddy = nullptr;
    // Static pictures.
    HBITMAP image = nullptr;
};

std::recursive_mutex gMutex;
std::map<HWND, Ctl>& ctls() {
    static std::map<HWND, Ctl> m;
    return m;
}
Ctl& ctl(HWND h) {
    std::lock_guard lock(gMutex);
    return ctls()[h];
}
Window* win(HWND h) { return WindowManager::get().find(h); }

int utf8Length(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// Text kept to at most `limit` code points.
std::string clipCodePoints(const std::string& s, size_t limit) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (n == limit) return s.substr(0, i);
            ++n;
        }
    }
    return s;
}

bool equalsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
bool startsWithNoCase(const std::string& s, const std::string& prefix) {
    return s.size() >= prefix.size() && equalsNoCase(s.substr(0, prefix.size()), prefix);
}

// Messages every control answers the same way.
bool commonMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
    case WM_SETFONT:
        ctl(h).font = reinterpret_cast<HFONT>(wp);
        *result = 0;
        return true;
    case WM_GETFONT:
        *result = LRESULT(ctl(h).font);
        return true;
    case WM_GETTEXT:
        if (auto* out = reinterpret_cast<std::string*>(lp); out && win(h)) *out = win(h)->text;
        *result = win(h) ? LRESULT(win(h)->text.size()) : 0;
        return true;
    case WM_GETTEXTLENGTH:
        *result = win(h) ? LRESULT(win(h)->text.size()) : 0;
        return true;
    case WM_DESTROY: {
        std::lock_guard lock(gMutex);
        ctls().erase(h);
        *result = 0;
        return true;
    }
    default: return false;
    }
}

void storeText(HWND h, LPARAM lp) {
    if (auto* w = win(h); w && lp) w->text = reinterpret_cast<const char*>(lp);
}

RECT clientOf(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    return r;
}

// ---- Buttons ------------------------------------------------------------------------------------

DWORD buttonType(HWND h) { return win(h) ? win(h)->style & BS_TYPEMASK : 0; }
bool isRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool isCheck(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

void paintButton(HWND h, HDC dc) {
    Window* w = win(h);
    Ctl& c = ctl(h);
    const RECT r = clientOf(h);
    const DWORD type = w->style & BS_TYPEMASK;
    const bool enabled = IsWindowEnabled(h);
    const HFONT font = controlFont(h);
    const std::string text = stripMnemonic(w->text);
    const COLORREF textColour = enabled ? theme::kText : theme::kGrayText;
    if (type == BS_GROUPBOX) {
        const int th = fontHeight(font);
        RECT frame{r.left, r.top + th / 2, r.right, r.bottom};
        KvFrameRect(dc, frame, KVPEN{PS_SOLID, 1, RGB(220, 220, 220)});
        if (!text.empty()) {
            SIZE ext = KvGetTextExtent(dc, font, text);
            RECT tr{r.left + 6, r.top, r.left + 6 + ext.cx + 4, r.top + th};
            FillSolidRect(dc, tr, GetSysColor(COLOR_BTNFACE));
            tr.left += 2;
            DrawText(dc, text, &tr, DT_SINGLELINE | DT_LEFT | DT_TOP, font, textColour);
        }
        return;
    }
    if ((isCheck(type) || isRadio(type)) && !(w->style & BS_PUSHLIKE)) {
        const int y = (r.top + r.bottom - 13) / 2;
        const bool leftText = (w->style & BS_LEFTTEXT) != 0;
        const int bx = leftText ? r.right - 13 : r.left;
        if (isRadio(type)) {
            const double cx = bx + 6.5, cy = y + 6.5;
            fillCircle(dc, cx, cy, 6.5, enabled ? theme::kGlyph : theme::kDisabledBorder);
            fillCircle(dc, cx, cy, 5.5, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
            if (c.check == BST_CHECKED) fillCircle(dc, cx, cy, 3.2, enabled ? theme::kGlyph : theme::kGrayText);
        } else {
            paintCheckBox(dc, bx, y, c.check, enabled);
        }
        RECT tr = leftText ? RECT{r.left, r.top, r.right - 17, r.bottom} : RECT{r.left + 17, r.top, r.right, r.bottom};
        const UINT fmt = (w->style & BS_MULTILINE) ? DT_WORDBREAK | DT_VCENTER : DT_SINGLELINE | DT_VCENTER;
        DrawText(dc, text, &tr, fmt | DT_LEFT, font, textColour);
        return;
    }
    // Push buttons (and push-like check boxes).
    const bool down = c.pushed || ((w->style & BS_PUSHLIKE) && c.check == BST_CHECKED);
    const bool isDefault = type == BS_DEFPUSHBUTTON && enabled;
    COLORREF fill = theme::kButtonFill, border = theme::kButtonBorder;
    if (!enabled) {
        fill = RGB(204, 204, 204);
        border = RGB(191, 191, 191);
    } else if (down) {
        fill = RGB(204, 228, 247);
        border = RGB(0, 84, 153);
    } else if (isDefault) {
        border = theme::kAccent;
    }
    FillSolidRect(dc, r, fill);
    KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, border});
    if (isDefault) KvFrameRect(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, KVPEN{PS_SOLID, 1, border});
    RECT tr{r.left + 3, r.top + 1, r.right - 3, r.bottom - 1};
    DrawText(dc, text, &tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS, font,
             enabled ? theme::kText : RGB(131, 131, 131));
}

// The radio buttons of the group `h` belongs to: from the control with WS_GROUP at or before it
// up to (not including) the next control with WS_GROUP.
std::vector<HWND> radioGroup(HWND h) {
    std::vector<HWND> group;
    Window* w = win(h);
    Window* parent = w ? win(w->parent) : nullptr;
    if (!parent) return {h};
    const auto& kids = parent->children;
    auto self = std::find(kids.begin(), kids.end(), h);
    if (self == kids.end()) return {h};
    auto first = self;
    while (first != kids.begin() && !(win(*first) && (win(*first)->style & WS_GROUP))) --first;
    for (auto it = first; it != kids.end(); ++it) {
        Window* k = win(*it);
        if (!k) continue;
        if (it != first && (k->style & WS_GROUP)) break;
        if (k->className == "Button" && isRadio(k->style & BS_TYPEMASK)) group.push_back(*it);
    }
    return group;
}

void setCheck(HWND h, UINT state) {
    Ctl& c = ctl(h);
    c.check = state;
    // Checking an automatic radio button clears the others of its group.
    if (state == BST_CHECKED && buttonType(h) == BS_AUTORADIOBUTTON) {
        for (HWND other : radioGroup(h)) {
            if (other != h && buttonType(other) == BS_AUTORADIOBUTTON) ctl(other).check = BST_UNCHECKED;
        }
    }
}

void clickButton(HWND h) {
    const DWORD type = buttonType(h);
    Ctl& c = ctl(h);
    switch (type) {
    case BS_AUTOCHECKBOX: c.check = c.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
    case BS_AUTO3STATE: c.check = (c.check + 1) % 3; break;
    case BS_AUTORADIOBUTTON: setCheck(h, BST_CHECKED); break;
    default: break;
    }
    notifyParent(h, BN_CLICKED);
}

LRESULT buttonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    switch (msg) {
    case WM_SETTEXT: storeText(h, lp); return TRUE;
    case BM_GETCHECK: return ctl(h).check;
    case BM_SETCHECK: setCheck(h, UINT(wp)); return 0;
    case BM_GETSTATE: return ctl(h).check | (ctl(h).pushed ? BST_PUSHED : 0) | (GetFocus() == h ? BST_FOCUS : 0);
    case BM_SETSTATE: ctl(h).pushed = wp != 0; return 0;
    case BM_SETSTYLE:
        if (auto* w = win(h)) w->style = (w->style & ~0xFFFFu) | DWORD(wp & 0xFFFF);
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(h)) clickButton(h);
        return 0;
    case WM_LBUTTONDOWN: ctl(h).pushed = true; return 0;
    case WM_LBUTTONUP:
        if (ctl(h).pushed) {
            ctl(h).pushed = false;
            clickButton(h);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) paintButton(h, dc);
        EndPaint(h, &ps);
        return 0;
    }
    default: return 0;
    }
}

// ---- Edit boxes ---------------------------------------------------------------------------------

// Text as typing it would leave it: the limit, digits only for ES_NUMBER, the case styles.
std::string typedText(HWND h, const std::string& text) {
    Window* w = win(h);
    std::string out;
    for (char ch : text) {
        if ((w->style & ES_NUMBER) && !(ch >= '0' && ch <= '9')) continue;   // refused as typed
        if ((w->style & ES_MULTILINE) == 0 && (ch == '\r' || ch == '\n')) continue;
        if (w->style & ES_UPPERCASE) ch = char(std::toupper(static_cast<unsigned char>(ch)));
        if (w->style & ES_LOWERCASE) ch = char(std::tolower(static_cast<unsigned char>(ch)));
        out += ch;
    }
    return clipCodePoints(out, ctl(h).limit);
}

void paintEdit(HWND h, HDC dc) {
    Window* w = win(h);
    const RECT r = clientOf(h);
    const bool enabled = IsWindowEnabled(h);
    const bool readOnly = (w->style & ES_READONLY) != 0;
    FillSolidRect(dc, r, enabled && !readOnly ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
    const bool bordered = (w->style & WS_BORDER) || (w->exStyle & WS_EX_CLIENTEDGE);
    if (bordered) KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, enabled ? theme::kEditBorder : theme::kDisabledBorder});
    const HFONT font = controlFont(h);
    std::string text = w->text;
    if (w->style & ES_PASSWORD) text = std::string(size_t(utf8Length(text)), '*');
    COLORREF colour = enabled ? theme::kText : theme::kGrayText;
    if (text.empty() && !ctl(h).cue.empty()) {
        text = ctl(h).cue;
        colour = theme::kGrayText;
    }
    UINT align = (w->style & ES_RIGHT) ? DT_RIGHT : (w->style & ES_CENTER) ? DT_CENTER : DT_LEFT;
    if (w->style & ES_MULTILINE) {
        RECT tr{r.left + 4, r.top + 3, r.right - 4, r.bottom - 2};
        DrawText(dc, text, &tr, DT_WORDBREAK | align, font, colour);
    } else {
        RECT tr{r.left + 4, r.top + 1, r.right - 4, r.bottom - 1};
        DrawText(dc, text, &tr, DT_SINGLELINE | DT_VCENTER | align, font, colour);
    }
}

LRESULT editProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    Ctl& c = ctl(h);
    switch (msg) {
    case WM_SETTEXT:
        storeText(h, lp);
        c.modified = false;
        notifyParent(h, EN_UPDATE);
        notifyParent(h, EN_CHANGE);
        return TRUE;
    case EM_LIMITTEXT: c.limit = wp == 0 ? 0x7FFFFFFE : size_t(wp); return 0;
    case EM_GETLIMITTEXT: return LRESULT(c.limit);
    case EM_GETMODIFY: return c.modified;
    case EM_SETMODIFY: c.modified = wp != 0; return 0;
    case EM_SETREADONLY:
        if (auto* w = win(h)) w->style = wp ? (w->style | ES_READONLY) : (w->style & ~ES_READONLY);
        return TRUE;
    case EM_SETCUEBANNER: c.cue = lp ? reinterpret_cast<const char*>(lp) : ""; return TRUE;
    case EM_GETSEL: {
        const int n = win(h) ? utf8Length(win(h)->text) : 0;
        return LRESULT(DWORD(n) << 16 | DWORD(n));
    }
    case EM_SETSEL: return 0;
    case EM_REPLACESEL:
    case WM_CHAR: {
        // The caret stays at the end: what is typed is appended.
        Window* w = win(h);
        if (!w || (w->style & ES_READONLY)) return 0;
        std::string add;
        if (msg == EM_REPLACESEL) {
            add = lp ? reinterpret_cast<const char*>(lp) : "";
        } else if (wp == 8) {   // backspace
            std::string t = w->text;
            while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80) t.pop_back();
            if (!t.empty()) t.pop_back();
            w->text = t;
            c.modified = true;
            notifyParent(h, EN_UPDATE);
            notifyParent(h, EN_CHANGE);
            return 0;
        } else if (wp >= 0x20 && wp < 0x80) {
            add = std::string(1, char(wp));
        } else {
            return 0;
        }
        const std::string typed = typedText(h, w->text + add);
        if (typed == w->text) {
            if (!add.empty()) notifyParent(h, EN_MAXTEXT);
            return 0;
        }
        w->text = typed;
        c.modified = true;
        notifyParent(h, EN_UPDATE);
        notifyParent(h, EN_CHANGE);
        return 0;
    }
    case WM_SETFOCUS: notifyParent(h, EN_SETFOCUS); return 0;
    case WM_KILLFOCUS: notifyParent(h, EN_KILLFOCUS); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) paintEdit(h, dc);
        EndPaint(h, &ps);
        return 0;
    }
    default: return 0;
    }
}

// ---- Static text, frames and pictures -----------------------------------------------------------

void paintStatic(HWND h, HDC dc) {
    Window* w = win(h);
    const RECT r = clientOf(h);
    const DWORD type = w->style & SS_TYPEMASK;
    const bool enabled = IsWindowEnabled(h);
    const COLORREF shadow = RGB(160, 160, 160), light = RGB(255, 255, 255);
    switch (type) {
    case SS_BLACKRECT: FillSolidRect(dc, r, RGB(0, 0, 0)); break;
    case SS_GRAYRECT: FillSolidRect(dc, r, shadow); break;
    case SS_WHITERECT: FillSolidRect(dc, r, light); break;
    case SS_BLACKFRAME: KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, RGB(0, 0, 0)}); break;
    case SS_GRAYFRAME: KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, shadow}); break;
    case SS_WHITEFRAME: KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, light}); break;
    case SS_ETCHEDHORZ:
        FillSolidRect(dc, RECT{r.left, r.top, r.right, r.top + 1}, shadow);
        FillSolidRect(dc, RECT{r.left, r.top + 1, r.right, r.top + 2}, light);
        break;
    case SS_ETCHEDVERT:
        FillSolidRect(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, shadow);
        FillSolidRect(dc, RECT{r.left + 1, r.top, r.left + 2, r.bottom}, light);
        break;
    case SS_ETCHEDFRAME:
        Draw3dRect(dc, r, shadow, light);
        Draw3dRect(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, light, shadow);
        break;
    case SS_BITMAP:
    case SS_ICON:
        if (HBITMAP b = ctl(h).image) {
            if (w->style & SS_CENTERIMAGE) KvDrawBitmapFit(dc, r, b, KVBMP_NORMAL);
            else KvDrawBitmap(dc, 0, 0, b, KVBMP_NORMAL);
        }
        break;
    case SS_OWNERDRAW: {
        // The parent paints the control (WM_DRAWITEM), as Windows asks it to.
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_STATIC;
        dis.CtlID = w->id;
        dis.itemAction = 0x1;   // ODA_DRAWENTIRE
        dis.hwndItem = h;
        dis.hDC = dc;
        dis.rcItem = r;
        if (HWND parent = GetParent(h)) SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        break;
    }
    default: {
        UINT fmt = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
        if (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) fmt |= DT_SINGLELINE;
        else fmt |= DT_WORDBREAK;
        if (w->style & SS_CENTERIMAGE) fmt = (fmt & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
        // The two ellipsis bits together are the word ellipsis, as on Windows.
        if (const DWORD ellipsis = w->style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)) {
            const UINT cut = ellipsis == SS_ENDELLIPSIS    ? DT_END_ELLIPSIS
                             : ellipsis == SS_PATHELLIPSIS ? DT_PATH_ELLIPSIS
                                                           : DT_WORD_ELLIPSIS;
            fmt = (fmt & ~DT_WORDBREAK) | DT_SINGLELINE | cut;
        }
        RECT tr = r;
        const std::string text = (w->style & SS_NOPREFIX) ? w->text : stripMnemonic(w->text);
        DrawText(dc, text, &tr, fmt, controlFont(h), enabled ? theme::kText : theme::kGrayText);
        break;
    }
    }
    if (w->style & SS_SUNKEN) Draw3dRect(dc, r, shadow, light);
}

LRESULT staticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    switch (msg) {
    case WM_SETTEXT: storeText(h, lp); return TRUE;
    case STM_SETIMAGE: {
        HBITMAP old = ctl(h).image;
        ctl(h).image = reinterpret_cast<HBITMAP>(lp);
        return LRESULT(old);
    }
    case STM_GETIMAGE: return LRESULT(ctl(h).image);
    case WM_LBUTTONUP:
        if (win(h) && (win(h)->style & SS_NOTIFY)) notifyParent(h, WORD(0));   // STN_CLICKED
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) paintStatic(h, dc);
        EndPaint(h, &ps);
        return 0;
    }
    default: return 0;
    }
}

// ---- List boxes and combo boxes -----------------------------------------------------------------

int itemHeight(HWND h) { return fontHeight(controlFont(h)) + 2; }

// Messages shared by list boxes and combo boxes, given as list box messages.
LRESULT entriesMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool sorted, bool multi) {
    Ctl& c = ctl(h);
    auto& e = c.entries;
    const int n = int(e.size());
    const auto text = [&]() { return std::string(lp ? reinterpret_cast<const char*>(lp) : ""); };
    const auto find = [&](bool exact) -> LRESULT {
        const std::string t = text();
        const int start = int(WPARAM(wp)) >= -1 && int(wp) < n ? int(wp) : -1;
        for (int k = 1; k <= n; ++k) {
            const int i = (start + k) % n;
            if (exact ? equalsNoCase(e[size_t(i)].text, t) : startsWithNoCase(e[size_t(i)].text, t)) return i;
        }
        return LB_ERR;
    };
    switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        int at = n;
        if (msg == LB_ADDSTRING && sorted) {
            const std::string t = text();
            at = int(std::upper_bound(e.begin(), e.end(), t, [](const std::string& a, const Entry& b) {
                         return std::lexicographical_compare(a.begin(), a.end(), b.text.begin(), b.text.end(), [](char x, char y) {
                             return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
                         });
                     }) - e.begin());
        } else if (msg == LB_INSERTSTRING && int(wp) >= 0) {
            if (int(wp) > n) return LB_ERR;
            at = int(wp);
        }
        e.insert(e.begin() + at, Entry{text(), 0, false});
        if (c.cur >= at) ++c.cur;
        return at;
    }
    case LB_DELETESTRING:
        if (int(wp) < 0 || int(wp) >= n) return LB_ERR;
        e.erase(e.begin() + long(wp));
        if (c.cur == int(wp)) c.cur = -1;
        else if (c.cur > int(wp)) --c.cur;
        return n - 1;
    case LB_RESETCONTENT:
        e.clear();
        c.cur = -1;
        c.top = 0;
        return 0;
    case LB_GETCOUNT: return n;
    case LB_GETCURSEL: return c.cur;
    case LB_SETCURSEL:
        if (multi) return LB_ERR;
        c.cur = int(wp) >= 0 && int(wp) < n ? int(wp) : -1;
        for (int i = 0; i < n; ++i) e[size_t(i)].selected = i == c.cur;
        return int(wp) >= 0 && int(wp) < n ? c.cur : LB_ERR;
    case LB_GETTEXT:
        if (int(wp) < 0 || int(wp) >= n) return LB_ERR;
        if (auto* out = reinterpret_cast<std::string*>(lp)) *out = e[wp].text;
        return LRESULT(e[wp].text.size());
    case LB_GETTEXTLEN: return int(wp) >= 0 && int(wp) < n ? LRESULT(e[wp].text.size()) : LB_ERR;
    case LB_GETITEMDATA: return int(wp) >= 0 && int(wp) < n ? e[wp].data : LB_ERR;
    case LB_SETITEMDATA:
        if (int(wp) < 0 || int(wp) >= n) return LB_ERR;
        e[wp].data = lp;
        return TRUE;
    case LB_FINDSTRING: return n ? find(false) : LB_ERR;
    case LB_FINDSTRINGEXACT: return n ? find(true) : LB_ERR;
    case LB_SELECTSTRING: {
        if (!n) return LB_ERR;
        LRESULT i = find(false);
        if (i != LB_ERR) entriesMessage(h, LB_SETCURSEL, WPARAM(i), 0, sorted, false);
        return i;
    }
    case LB_GETSEL: return int(wp) >= 0 && int(wp) < n ? (multi ? e[wp].selected : int(wp) == c.cur) : LB_ERR;
    case LB_SETSEL:   // wParam select, lParam index (-1: every item)
        if (!multi) return LB_ERR;
        if (int(lp) == -1) {
            for (auto& it : e) it.selected = wp != 0;
        } else if (int(lp) >= 0 && int(lp) < n) {
            e[size_t(lp)].selected = wp != 0;
            if (wp) c.cur = int(lp);
        } else {
            return LB_ERR;
        }
        return 0;
    case LB_GETSELCOUNT:
        if (!multi) return LB_ERR;
        return std::count_if(e.begin(), e.end(), [](const Entry& x) { return x.selected; });
    case LB_GETSELITEMS: {
        if (!multi) return LB_ERR;
        auto* out = reinterpret_cast<int*>(lp);
        int k = 0;
        for (int i = 0; i < n && k < int(wp); ++i)
            if (e[size_t(i)].selected) {
                if (out) out[k] = i;
                ++k;
            }
        return k;
    }
    case LB_GETTOPINDEX: return c.top;
    case LB_SETTOPINDEX:
        if (int(wp) < 0 || int(wp) >= std::max(n, 1)) return LB_ERR;
        c.top = int(wp);
        return 0;
    default: return 0;
    }
}

void paintEntries(HWND h, HDC dc, const RECT& area, int top, bool enabled, bool multi) {
    Ctl& c = ctl(h);
    const int ih = itemHeight(h);
    int y = area.top;
    for (size_t i = size_t(std::max(0, top)); i < c.entries.size() && y < area.bottom; ++i, y += ih) {
        const bool sel = multi ? c.entries[i].selected : int(i) == c.cur;
        RECT row{area.left, y, area.right, y + ih};
        if (sel) FillSolidRect(dc, row, enabled ? theme::kAccent : RGB(217, 217, 217));
        RECT tr{row.left + 3, row.top, row.right - 2, row.bottom};
        DrawText(dc, c.entries[i].text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, controlFont(h),
                 sel && enabled ? theme::kWindow : enabled ? theme::kText : theme::kGrayText);
    }
}

bool listMulti(HWND h) { return win(h) && (win(h)->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)); }

LRESULT listBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    switch (msg) {
    case WM_SETTEXT: storeText(h, lp); return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            const RECT r = clientOf(h);
            const bool enabled = IsWindowEnabled(h);
            FillSolidRect(dc, r, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
            paintEntries(h, dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, ctl(h).top, enabled, listMulti(h));
            if ((win(h)->style & WS_BORDER) || (win(h)->exStyle & WS_EX_CLIENTEDGE))
                KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, theme::kListBorder});
        }
        EndPaint(h, &ps);
        return 0;
    }
    default:
        if (msg >= LB_ADDSTRING && msg <= LB_FINDSTRINGEXACT) {
            Window* w = win(h);
            return entriesMessage(h, msg, wp, lp, w && (w->style & LBS_SORT), listMulti(h));
        }
        return 0;
    }
}

// Combo box messages map onto the list box ones.
UINT comboToList(UINT msg) {
    switch (msg) {
    case CB_ADDSTRING: return LB_ADDSTRING;
    case CB_DELETESTRING: return LB_DELETESTRING;
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_GETCURSEL: return LB_GETCURSEL;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_INSERTSTRING: return LB_INSERTSTRING;
    case CB_RESETCONTENT: return LB_RESETCONTENT;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_SELECTSTRING: return LB_SELECTSTRING;
    case CB_SETCURSEL: return LB_SETCURSEL;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    default: return 0;
    }
}

bool comboEditable(HWND h) { return win(h) && (win(h)->style & 0x3) != CBS_DROPDOWNLIST; }

// The combo box's text follows its selection.
void syncComboText(HWND h) {
    Ctl& c = ctl(h);
    if (Window* w = win(h)) w->text = c.cur >= 0 && size_t(c.cur) < c.entries.size() ? c.entries[size_t(c.cur)].text : "";
}

// The template's height is the dropped list's; the control itself is one line high.
void fitComboHeight(HWND h) {
    if (Window* w = win(h)) w->rect.bottom = w->rect.top + fontHeight(controlFont(h)) + 8;
}

LRESULT comboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) {
        if (msg == WM_SETFONT) fitComboHeight(h);
        return result;
    }
    Ctl& c = ctl(h);
    switch (msg) {
    case WM_CREATE: fitComboHeight(h); return 0;
    case WM_SETTEXT:
        storeText(h, lp);
        if (!comboEditable(h)) {
            // A drop-down list shows only its entries: the text selects the entry it names.
            const std::string t = lp ? reinterpret_cast<const char*>(lp) : "";
            LRESULT i = entriesMessage(h, LB_FINDSTRINGEXACT, WPARAM(-1), lp, false, false);
            if (i == LB_ERR) return CB_ERR;
            entriesMessage(h, LB_SETCURSEL, WPARAM(i), 0, false, false);
            syncComboText(h);
        }
        return TRUE;
    case CB_LIMITTEXT: c.limit = wp == 0 ? 0x7FFFFFFE : size_t(wp); return TRUE;
    case CB_SHOWDROPDOWN:
        if (bool(wp) != c.dropped) {
            c.dropped = wp != 0;
            notifyParent(h, c.dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return c.dropped;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            const RECT r = clientOf(h);
            const bool enabled = IsWindowEnabled(h);
            const bool editable = comboEditable(h);
            const RECT arrow{r.right - 17, r.top + 1, r.right - 1, r.bottom - 1};
            if (editable) {
                FillSolidRect(dc, r, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
                KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, enabled ? theme::kEditBorder : theme::kDisabledBorder});
            } else {
                FillSolidRect(dc, r, enabled ? theme::kButtonFill : RGB(204, 204, 204));
                KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, enabled ? theme::kButtonBorder : RGB(191, 191, 191)});
            }
            paintChevron(dc, arrow, Chevron::Down, enabled ? theme::kGlyph : theme::kGrayText);
            RECT tr{r.left + 4, r.top + 1, arrow.left - 2, r.bottom - 1};
            DrawText(dc, win(h)->text, &tr, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, controlFont(h),
                     enabled ? theme::kText : theme::kGrayText);
        }
        EndPaint(h, &ps);
        return 0;
    }
    default:
        if (UINT lm = comboToList(msg)) {
            Window* w = win(h);
            LRESULT r = entriesMessage(h, lm, wp, lp, w && (w->style & CBS_SORT), false);
            if (lm == LB_SETCURSEL || lm == LB_SELECTSTRING || lm == LB_RESETCONTENT ||
                (lm == LB_DELETESTRING && c.cur < 0))
                syncComboText(h);
            return r;
        }
        return 0;
    }
}

// ---- Progress bar -------------------------------------------------------------------------------

LRESULT progressProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    Ctl& c = ctl(h);
    const auto clampPos = [&](int p) { return std::clamp(p, std::min(c.lo, c.hi), std::max(c.lo, c.hi)); };
    switch (msg) {
    case WM_CREATE:
        c.lo = 0;
        c.hi = 100;
        c.step = 10;
        return 0;
    case PBM_SETRANGE: {
        LRESULT old = MAKELPARAM(WORD(c.lo), WORD(c.hi));
        c.lo = LOWORD(WPARAM(lp));
        c.hi = HIWORD(WPARAM(lp));
        c.pos = clampPos(c.pos);
        return old;
    }
    case PBM_SETRANGE32: {
        LRESULT old = MAKELPARAM(WORD(c.lo), WORD(c.hi));
        c.lo = int(wp);
        c.hi = int(lp);
        c.pos = clampPos(c.pos);
        return old;
    }
    case PBM_GETRANGE: return wp ? c.lo : c.hi;
    case PBM_SETPOS: {
        int old = c.pos;
        c.pos = clampPos(int(wp));
        return old;
    }
    case PBM_DELTAPOS: {
        int old = c.pos;
        c.pos = clampPos(c.pos + int(wp));
        return old;
    }
    case PBM_SETSTEP: {
        int old = c.step;
        c.step = int(wp);
        return old;
    }
    case PBM_STEPIT: {
        // Stepping past the end starts again from the beginning, as the control does.
        int old = c.pos;
        int next = c.pos + c.step;
        c.pos = next > std::max(c.lo, c.hi) ? std::min(c.lo, c.hi) + (next - std::max(c.lo, c.hi)) : clampPos(next);
        return old;
    }
    case PBM_GETPOS: return c.pos;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            const RECT r = clientOf(h);
            FillSolidRect(dc, r, RGB(230, 230, 230));
            KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, RGB(188, 188, 188)});
            const int span = c.hi - c.lo;
            if (span > 0) {
                const double f = double(c.pos - c.lo) / span;
                const int w = int(std::lround((r.Width() - 2) * f));
                FillSolidRect(dc, RECT{r.left + 1, r.top + 1, r.left + 1 + w, r.bottom - 1}, RGB(6, 176, 37));
            }
        }
        EndPaint(h, &ps);
        return 0;
    }
    default: return 0;
    }
}

// ---- Up-down ------------------------------------------------------------------------------------

std::string formatUpDown(HWND h, int v) {
    std::string digits = std::to_string(v < 0 ? -static_cast<long long>(v) : v);
    if (!(win(h)->style & UDS_NOTHOUSANDS)) {
        for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), ",");
    }
    return (v < 0 ? "-" : "") + digits;
}

void setUpDownPos(HWND h, int pos) {
    Ctl& c = ctl(h);
    c.pos = std::clamp(pos, std::min(c.lo, c.hi), std::max(c.lo, c.hi));
    if (c.buddy && (win(h)->style & UDS_SETBUDDYINT)) SetWindowText(c.buddy, formatUpDown(h, c.pos));
}

// Attaches the buddy and, with an alignment style, sits on its edge taking part of its width.
void attachBuddy(HWND h, HWND buddy) {
    Ctl& c = ctl(h);
    c.buddy = buddy;
    Window* w = win(h);
    Window* b = win(buddy);
    if (!w || !b) return;
    // An aligned up-down takes the common control's own width, whatever its template said, and
    // the buddy gives that width up. Beside an edit box it shares the box's border: aligned right
    // it moves onto the border, aligned left it grows over it. The buddy's text is left as it is
    // until a position is set.
    constexpr int kWidth = 16, kBorder = 2;
    const int share = b->className == "Edit" ? kBorder : 0;
    if (w->style & UDS_ALIGNRIGHT) {
        b->rect.right -= kWidth;
        w->rect = {b->rect.right - share, b->rect.top, b->rect.right - share + kWidth, b->rect.bottom};
    } else if (w->style & UDS_ALIGNLEFT) {
        w->rect = {b->rect.left, b->rect.top, b->rect.left + kWidth + share, b->rect.bottom};
        b->rect.left += kWidth;
    }
}

LRESULT upDownProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    Ctl& c = ctl(h);
    switch (msg) {
    case WM_CREATE: {
        // The control's own default range runs from 100 down to 0.
        c.lo = 100;
        c.hi = 0;
        c.pos = 0;
        Window* w = win(h);
        if (w && (w->style & UDS_AUTOBUDDY)) {
            // The buddy is the control created just before it.
            if (Window* p = win(w->parent)) {
                auto it = std::find(p->children.begin(), p->children.end(), h);
                if (it != p->children.begin() && it != p->children.end()) attachBuddy(h, *(it - 1));
            }
        }
        return 0;
    }
    case UDM_SETRANGE:
        c.hi = short(LOWORD(WPARAM(lp)));
        c.lo = short(HIWORD(WPARAM(lp)));
        return 0;
    case UDM_SETRANGE32:
        c.lo = int(wp);
        c.hi = int(lp);
        return 0;
    case WM_LBUTTONDOWN: {
        // A click on one arrow moves the position by one: the up (or right) arrow towards the
        // upper limit, the down (or left) arrow towards the lower one. With the upper limit below
        // the lower one (the control's default range) the up arrow counts down. The parent hears.
        RECT r;
        GetClientRect(h, &r);
        Window* w = win(h);
        const bool horizontal = w && (w->style & UDS_HORZ);
        const int x = std::int16_t(LOWORD(LPARAM(lp))), y = std::int16_t(HIWORD(LPARAM(lp)));
        const bool down = horizontal ? x < r.right / 2 : y >= r.bottom / 2;
        const int upward = c.hi >= c.lo ? 1 : -1;
        const int target = std::clamp(c.pos + (down ? -upward : upward), std::min(c.lo, c.hi), std::max(c.lo, c.hi));
        if (target == c.pos) return 0;
        NMUPDOWN nm;
        nm.hdr.code = UDN_DELTAPOS;
        nm.iPos = c.pos;
        nm.iDelta = target - c.pos;
        if (notifyParent(h, &nm.hdr)) return 0;   // refused
        setUpDownPos(h, c.pos + nm.iDelta);
        const UINT scroll = horizontal ? WM_HSCROLL : WM_VSCROLL;
        SendMessage(w->parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, WORD(c.pos)), LPARAM(h));
        SendMessage(w->parent, scroll, MAKEWPARAM(SB_ENDSCROLL, WORD(c.pos)), LPARAM(h));
        return 0;
    }
    case UDM_GETRANGE: return MAKELPARAM(WORD(c.hi), WORD(c.lo));
    case UDM_GETRANGE32:
        if (auto* p = reinterpret_cast<int*>(wp)) *p = c.lo;
        if (auto* p = reinterpret_cast<int*>(lp)) *p = c.hi;
        return 0;
    case UDM_SETPOS:
    case UDM_SETPOS32: {
        int old = c.pos;
        setUpDownPos(h, msg == UDM_SETPOS ? short(LOWORD(WPARAM(lp))) : int(lp));
        return old;
    }
    case UDM_GETPOS:
    case UDM_GETPOS32: {
        // With a buddy, the position is read back from its text.
        bool bad = false;
        if (c.buddy && (win(h)->style & UDS_SETBUDDYINT)) {
            std::string t = GetWindowText(c.buddy), digits;
            for (char ch : t)
                if (ch != ',') digits += ch;
            try {
                size_t used = 0;
                int v = std::stoi(digits, &used);
                if (used != digits.size()) bad = true;
                else c.pos = std::clamp(v, std::min(c.lo, c.hi), std::max(c.lo, c.hi));
            } catch (const std::exception&) {
                bad = true;
            }
        }
        if (msg == UDM_GETPOS32) {
            if (auto* p = reinterpret_cast<BOOL*>(lp)) *p = bad;
            return c.pos;
        }
        return MAKELPARAM(WORD(c.pos), WORD(bad ? 1 : 0));
    }
    case UDM_SETBUDDY: {
        HWND old = c.buddy;
        attachBuddy(h, reinterpret_cast<HWND>(wp));
        return LRESULT(old);
    }
    case UDM_GETBUDDY: return LRESULT(c.buddy);
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            // Two arrow buttons: side by side, pointing left and right, with UDS_HORZ; else
            // stacked, pointing up and down.
            const RECT r = clientOf(h);
            const COLORREF glyph = IsWindowEnabled(h) ? theme::kGlyph : theme::kGrayText;
            const bool horizontal = win(h)->style & UDS_HORZ;
            const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
            const RECT first = horizontal ? RECT{r.left, r.top, midX, r.bottom} : RECT{r.left, r.top, r.right, midY};
            const RECT second = horizontal ? RECT{midX, r.top, r.right, r.bottom} : RECT{r.left, midY, r.right, r.bottom};
            const std::pair<RECT, Chevron> parts[] = {{first, horizontal ? Chevron::Left : Chevron::Up},
                                                      {second, horizontal ? Chevron::Right : Chevron::Down}};
            for (const auto& [part, direction] : parts) {
                FillSolidRect(dc, part, theme::kButtonFill);
                KvFrameRect(dc, part, KVPEN{PS_SOLID, 1, theme::kButtonBorder});
                paintChevron(dc, part, direction, glyph);
            }
        }
        EndPaint(h, &ps);
        return 0;
    }
    default: return 0;
    }
}

HWND checkedControl(HWND h) {
    if (!win(h)) throw ActionError("no such control");
    return h;
}

}  // namespace

// ---- Shared helpers -----------------------------------------------------------------------------

HFONT defaultControlFont() {
    static HFONT font = [] {
        LOGFONT lf;
        KvGetMessageFont(&lf);
        return CreateFontIndirect(&lf);
    }();
    return font;
}

HFONT controlFont(HWND wnd) {
    {
        std::lock_guard lock(gMutex);
        auto it = ctls().find(wnd);
        if (it != ctls().end() && it->second.font) return it->second.font;
    }
    // Windows the controls here do not implement (dialogs, list views) answer WM_GETFONT.
    if (Window* w = win(wnd); w && w->proc) {
        auto it = ctls().find(wnd);
        if (it == ctls().end()) {
            if (HFONT f = reinterpret_cast<HFONT>(SendMessage(wnd, WM_GETFONT, 0, 0))) return f;
        }
    }
    return defaultControlFont();
}

std::string stripMnemonic(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

void forgetControls() {
    {
        std::lock_guard lock(gMutex);
        ctls().clear();
    }
    forgetListControls();
}

int fontHeight(HFONT font) {
    TEXTMETRIC tm;
    if (!GetTextMetrics(nullptr, font, &tm)) return 16;
    return tm.tmHeight;
}

LRESULT notifyParent(HWND control, WORD code) {
    Window* w = win(control);
    if (!w || !w->parent) return 0;
    return SendMessage(w->parent, WM_COMMAND, MAKEWPARAM(WORD(w->id), code), LPARAM(control));
}

LRESULT notifyParent(HWND control, NMHDR* header) {
    Window* w = win(control);
    if (!w || !w->parent) return 0;
    header->hwndFrom = control;
    header->idFrom = w->id;
    return SendMessage(w->parent, WM_NOTIFY, WPARAM(w->id), LPARAM(header));
}

bool parseIndex(const std::string& s, int* index) {
    if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    *index = std::stoi(s);
    return true;
}

void fillCircle(HDC dc, double cx, double cy, double r, COLORREF colour) {
    // Coverage from 4 x 4 samples per pixel, blended over what is there.
    const int x0 = int(std::floor(cx - r)), x1 = int(std::ceil(cx + r));
    const int y0 = int(std::floor(cy - r)), y1 = int(std::ceil(cy + r));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double px = x + (sx + 0.5) / 4 - cx, py = y + (sy + 0.5) / 4 - cy;
                    inside += px * px + py * py <= r * r;
                }
            if (!inside) continue;
            const COLORREF under = GetPixel(dc, x, y);
            if (under == CLR_INVALID) continue;
            const auto mix = [&](int a, int b) { return (a * inside + b * (16 - inside)) / 16; };
            SetPixel(dc, x, y,
                     RGB(mix(GetRValue(colour), GetRValue(under)), mix(GetGValue(colour), GetGValue(under)),
                         mix(GetBValue(colour), GetBValue(under))));
        }
    }
}

void paintCheckBox(HDC dc, int x, int y, UINT state, bool enabled) {
    const RECT box{x, y, x + 13, y + 13};
    FillSolidRect(dc, box, enabled ? theme::kWindow : GetSysColor(COLOR_BTNFACE));
    KvFrameRect(dc, box, KVPEN{PS_SOLID, 1, enabled ? theme::kGlyph : theme::kDisabledBorder});
    const COLORREF mark = enabled ? theme::kGlyph : theme::kGrayText;
    if (state == BST_CHECKED) {
        const POINT pts[] = {{x + 3, y + 6}, {x + 5, y + 9}, {x + 10, y + 3}};
        KvPolyline(dc, pts, 3, KVPEN{PS_SOLID, 2, mark, true});
    } else if (state == BST_INDETERMINATE) {
        FillSolidRect(dc, RECT{x + 3, y + 3, x + 10, y + 10}, mark);
    }
}

void paintChevron(HDC dc, const RECT& r, Chevron direction, COLORREF colour) {
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const int d = std::max(2, std::min(4, std::min(r.Width(), r.Height()) / 4));
    POINT pts[3];
    switch (direction) {
    case Chevron::Up: pts[0] = {cx - d, cy + d / 2}, pts[1] = {cx, cy - d / 2}, pts[2] = {cx + d, cy + d / 2}; break;
    case Chevron::Down: pts[0] = {cx - d, cy - d / 2}, pts[1] = {cx, cy + d / 2}, pts[2] = {cx + d, cy - d / 2}; break;
    case Chevron::Left: pts[0] = {cx + d / 2, cy - d}, pts[1] = {cx - d / 2, cy}, pts[2] = {cx + d / 2, cy + d}; break;
    case Chevron::Right: pts[0] = {cx - d / 2, cy - d}, pts[1] = {cx + d / 2, cy}, pts[2] = {cx - d / 2, cy + d}; break;
    }
    KvPolyline(dc, pts, 3, KVPEN{PS_SOLID, 1, colour, true});
}

void registerControlClasses(WindowManager& wm) {
    wm.registerClass("Button", buttonProc);
    wm.registerClass("Edit", editProc);
    wm.registerClass("Static", staticProc);
    wm.registerClass("ListBox", listBoxProc);
    wm.registerClass("ComboBox", comboProc);
    wm.registerClass("msctls_progress32", progressProc);
    wm.registerClass("msctls_updown32", upDownProc);
    registerListClasses(wm);
    registerTooltipClass(wm);
}

// ---- The user's actions -------------------------------------------------------------------------

namespace {
void requireUsable(HWND h) {
    if (!IsWindowVisible(h)) throw ActionError("control " + std::to_string(GetDlgCtrlID(h)) + " is hidden");
    if (!IsWindowEnabled(h)) throw ActionError("control " + std::to_string(GetDlgCtrlID(h)) + " is disabled");
}
}  // namespace

void userClick(HWND h) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (w->className != "Button") throw ActionError("control " + std::to_string(w->id) + " is no button");
    SendMessage(h, BM_CLICK, 0, 0);
}

void userSetText(HWND h, const std::string& text) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (w->className == "Edit") {
        if (w->style & ES_READONLY) throw ActionError("edit box " + std::to_string(w->id) + " is read-only");
        const std::string typed = typedText(h, text);
        if (typed == w->text) return;
        w->text = typed;
        ctl(h).modified = true;
        notifyParent(h, EN_UPDATE);
        notifyParent(h, EN_CHANGE);
    } else if (w->className == "ComboBox") {
        if (!comboEditable(h)) {
            userSelect(h, text);
            return;
        }
        w->text = clipCodePoints(text, ctl(h).limit);
        ctl(h).cur = -1;
        notifyParent(h, CBN_EDITCHANGE);
    } else if (w->className == "msctls_updown32") {
        int v = 0;
        try {
            v = std::stoi(text);
        } catch (const std::exception&) {
            throw ActionError("up-down " + std::to_string(w->id) + " takes a number");
        }
        Ctl& c = ctl(h);
        const int target = std::clamp(v, std::min(c.lo, c.hi), std::max(c.lo, c.hi));
        NMUPDOWN nm;
        nm.hdr.code = UDN_DELTAPOS;
        nm.iPos = c.pos;
        nm.iDelta = target - c.pos;
        if (notifyParent(h, &nm.hdr)) return;   // refused
        setUpDownPos(h, c.pos + nm.iDelta);
        Window* p = win(w->parent);
        if (p) {
            const UINT scroll = (w->style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
            SendMessage(w->parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, WORD(c.pos)), LPARAM(h));
            SendMessage(w->parent, scroll, MAKEWPARAM(SB_ENDSCROLL, WORD(c.pos)), LPARAM(h));
        }
    } else {
        throw ActionError("control " + std::to_string(w->id) + " (" + w->className + ") takes no text");
    }
}

void userCheck(HWND h, bool on, const std::string& row) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (isListControl(h)) {
        listCheck(h, on, row);
        return;
    }
    const DWORD type = w->style & BS_TYPEMASK;
    if (w->className != "Button" || !(isCheck(type) || isRadio(type)))
        throw ActionError("control " + std::to_string(w->id) + " is no check box or radio button");
    const bool checked = ctl(h).check == BST_CHECKED;
    if (isRadio(type) && !on) throw ActionError("a radio button is cleared by choosing another of its group");
    if (checked == on) return;
    // A three-state box passes through the indeterminate state on the way, as clicks do.
    SendMessage(h, BM_CLICK, 0, 0);
    if ((type == BS_AUTO3STATE) && (ctl(h).check == BST_CHECKED) != on) SendMessage(h, BM_CLICK, 0, 0);
}

void userSelect(HWND h, const std::string& arg) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (isListControl(h)) {
        listSelect(h, arg);
        return;
    }
    const bool combo = w->className == "ComboBox";
    if (!combo && w->className != "ListBox") throw ActionError("control " + std::to_string(w->id) + " has no entries to select");
    Ctl& c = ctl(h);
    int index = -1;
    if (!parseIndex(arg, &index)) {
        for (size_t i = 0; i < c.entries.size(); ++i)
            if (c.entries[i].text == arg) {
                index = int(i);
                break;
            }
        if (index < 0)
            for (size_t i = 0; i < c.entries.size(); ++i)
                if (equalsNoCase(c.entries[i].text, arg)) {
                    index = int(i);
                    break;
                }
    }
    if (index < 0 || size_t(index) >= c.entries.size())
        throw ActionError("no entry '" + arg + "' in control " + std::to_string(w->id));
    if (combo) {
        entriesMessage(h, LB_SETCURSEL, WPARAM(index), 0, false, false);
        syncComboText(h);
        notifyParent(h, CBN_SELCHANGE);
        notifyParent(h, CBN_SELENDOK);
        return;
    }
    if (listMulti(h)) {
        c.entries[size_t(index)].selected = !c.entries[size_t(index)].selected;
        c.cur = index;
    } else {
        if (c.cur == index) return;
        entriesMessage(h, LB_SETCURSEL, WPARAM(index), 0, false, false);
    }
    if (w->style & LBS_NOTIFY) notifyParent(h, LBN_SELCHANGE);
}

void userDoubleClick(HWND h, const std::string& row) {
    Window* w = win(checkedControl(h));
    requireUsable(h);
    if (isListControl(h)) {
        listDoubleClick(h, row);
        return;
    }
    if (w->className == "ListBox") {
        if (!row.empty()) userSelect(h, row);
        if (w->style & LBS_NOTIFY) notifyParent(h, LBN_DBLCLK);
        return;
    }
    if (w->className == "Button") {
        SendMessage(h, BM_CLICK, 0, 0);
        return;
    }
    throw ActionError("control " + std::to_string(w->id) + " takes no double click");
}

void userRightClick(HWND h, const std::string& row) {
    checkedControl(h);
    requireUsable(h);
    if (!isListControl(h)) throw ActionError("right clicks go to list views and tree views");
    listRightClick(h, row);
}

void userColumnClick(HWND h, int column) {
    checkedControl(h);
    requireUsable(h);
    if (!isListControl(h)) throw ActionError("control " + std::to_string(GetDlgCtrlID(h)) + " has no column header");
    listColumnClick(h, column);
}

std::string describeControl(HWND h) {
    Window* w = win(h);
    if (!w) return "";
    if (isListControl(h)) return describeList(h);
    Ctl c;
    {
        std::lock_guard lock(gMutex);
        auto it = ctls().find(h);
        if (it != ctls().end()) c = it->second;
    }
    std::string out;
    if (w->className == "Button") {
        const DWORD type = w->style & BS_TYPEMASK;
        if (type == BS_DEFPUSHBUTTON) out += " default";
        if (isCheck(type) || isRadio(type))
            out += c.check == BST_CHECKED ? " checked" : c.check == BST_INDETERMINATE ? " indeterminate" : " unchecked";
    } else if (w->className == "ListBox" || w->className == "ComboBox") {
        out += " items=" + std::to_string(c.entries.size());
        if (listMulti(h)) {
            std::string sel;
            for (size_t i = 0; i < c.entries.size(); ++i)
                if (c.entries[i].selected) sel += (sel.empty() ? "" : ",") + std::to_string(i);
            out += " sel=" + (sel.empty() ? std::string("none") : sel);
        } else {
            out += " sel=" + (c.cur < 0 ? std::string("none") : std::to_string(c.cur));
        }
    } else if (w->className == "msctls_progress32") {
        out += " pos=" + std::to_string(c.pos) + " range=" + std::to_string(c.lo) + ".." + std::to_string(c.hi);
    } else if (w->className == "msctls_updown32") {
        out += " pos=" + std::to_string(c.pos);
    } else if (w->className == "Edit" && (w->style & ES_READONLY)) {
        out += " read-only";
    }
    return out;
}

}  // namespace sim::desk
