// Push buttons, check boxes, radio buttons and group boxes.
#include <algorithm>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

struct Button {
    UINT check = BST_UNCHECKED;
    bool pushed = false;
};

ControlStates<Button>& states() {
    static ControlStates<Button> t;
    return t;
}
Button& ctl(HWND h) { return states()[h]; }

DWORD buttonType(HWND h) { return win(h) ? win(h)->style & BS_TYPEMASK : 0; }
bool isRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool isCheck(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}

void paintButton(HWND h, HDC dc) {
    Window* w = win(h);
    Button& c = ctl(h);
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
    Button& c = ctl(h);
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
    Button& c = ctl(h);
    switch (type) {
    case BS_AUTOCHECKBOX: c.check = c.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED; break;
    case BS_AUTO3STATE: c.check = (c.check + 1) % 3; break;
    case BS_AUTORADIOBUTTON: setCheck(h, BST_CHECKED); break;
    default: break;
    }
    notifyParent(h, BN_CLICKED);
}

}  // namespace

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

void buttonCheck(HWND h, bool on) {
    Window* w = win(h);
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

std::string describeButton(HWND h) {
    Window* w = win(h);
    const Button c = states().copyOf(h);
    std::string out;
    const DWORD type = w->style & BS_TYPEMASK;
    if (type == BS_DEFPUSHBUTTON) out += " default";
    if (isCheck(type) || isRadio(type))
        out += c.check == BST_CHECKED ? " checked" : c.check == BST_INDETERMINATE ? " indeterminate" : " unchecked";
    return out;
}

}  // namespace sim::desk
