// The up-down control and its buddy window.
#include <algorithm>
#include <cstdint>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

// WM_CREATE gives the control its own default range.
struct UpDown {
    int lo = 0, hi = 100, pos = 0;
    HWND buddy = nullptr;
};

ControlStates<UpDown>& states() {
    static ControlStates<UpDown> t;
    return t;
}
UpDown& ctl(HWND h) { return states()[h]; }

std::string formatUpDown(HWND h, int v) {
    std::string digits = std::to_string(v < 0 ? -static_cast<long long>(v) : v);
    if (!(win(h)->style & UDS_NOTHOUSANDS)) {
        for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(size_t(i), ",");
    }
    return (v < 0 ? "-" : "") + digits;
}

void setUpDownPos(HWND h, int pos) {
    UpDown& c = ctl(h);
    c.pos = std::clamp(pos, std::min(c.lo, c.hi), std::max(c.lo, c.hi));
    if (c.buddy && (win(h)->style & UDS_SETBUDDYINT)) SetWindowText(c.buddy, formatUpDown(h, c.pos));
}

// Attaches the buddy and, with an alignment style, sits on its edge taking part of its width.
void attachBuddy(HWND h, HWND buddy) {
    UpDown& c = ctl(h);
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

}  // namespace

LRESULT upDownProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    UpDown& c = ctl(h);
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

void upDownSetText(HWND h, const std::string& text) {
    Window* w = win(h);
    int v = 0;
    try {
        v = std::stoi(text);
    } catch (const std::exception&) {
        throw ActionError("up-down " + std::to_string(w->id) + " takes a number");
    }
    UpDown& c = ctl(h);
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
}

std::string describeUpDown(HWND h) { return " pos=" + std::to_string(states().copyOf(h).pos); }

}  // namespace sim::desk
