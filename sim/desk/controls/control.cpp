// The helpers the desktop's controls share: the state tables, the font, the notifications to the
// parent, the painting pieces dialogs use too, and the class registration.
#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

std::mutex& tablesMutex() {
    static std::mutex m;
    return m;
}
std::vector<StateTable*>& tables() {
    static std::vector<StateTable*> v;
    return v;
}

// The font each control was given (WM_SETFONT).
ControlStates<HFONT>& fonts() {
    static ControlStates<HFONT> t;
    return t;
}

// Whether the window has state in any control's table: it is one of the controls here.
bool knownControl(HWND h) {
    std::lock_guard lock(tablesMutex());
    return std::any_of(tables().begin(), tables().end(), [h](StateTable* t) { return t->contains(h); });
}

void forgetControl(HWND h) {
    std::lock_guard lock(tablesMutex());
    for (StateTable* t : tables()) t->erase(h);
}

}  // namespace

StateTable::StateTable() {
    std::lock_guard lock(tablesMutex());
    tables().push_back(this);
}

StateTable::~StateTable() {
    std::lock_guard lock(tablesMutex());
    tables().erase(std::remove(tables().begin(), tables().end(), this), tables().end());
}

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
        fonts()[h] = reinterpret_cast<HFONT>(wp);
        *result = 0;
        return true;
    case WM_GETFONT:
        *result = LRESULT(fonts()[h]);
        return true;
    case WM_GETTEXT:
        if (auto* out = reinterpret_cast<std::string*>(lp); out && win(h)) *out = win(h)->text;
        *result = win(h) ? LRESULT(win(h)->text.size()) : 0;
        return true;
    case WM_GETTEXTLENGTH:
        *result = win(h) ? LRESULT(win(h)->text.size()) : 0;
        return true;
    case WM_DESTROY:
        forgetControl(h);
        *result = 0;
        return true;
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

HFONT defaultControlFont() {
    static HFONT font = [] {
        LOGFONT lf;
        KvGetMessageFont(&lf);
        return CreateFontIndirect(&lf);
    }();
    return font;
}

HFONT controlFont(HWND wnd) {
    if (HFONT f = fonts().copyOf(wnd)) return f;
    // Windows the controls here do not implement (dialogs, list views) answer WM_GETFONT.
    if (Window* w = win(wnd); w && w->proc) {
        if (!knownControl(wnd)) {
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
        std::lock_guard lock(tablesMutex());
        for (StateTable* t : tables()) t->clear();
    }
    forgetListViews();
    forgetTreeViews();
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
    wm.registerClass("SysListView32", listViewProc);
    wm.registerClass("SysTreeView32", treeViewProc);
    registerTooltipClass(wm);
}

}  // namespace sim::desk
