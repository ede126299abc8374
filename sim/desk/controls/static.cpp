// Static text, frames, etched lines and pictures.
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"
#include "win/tabctrl.h"   // the owner-draw record

namespace sim::desk {
namespace {

struct Static {
    HBITMAP image = nullptr;
};

ControlStates<Static>& states() {
    static ControlStates<Static> t;
    return t;
}
Static& ctl(HWND h) { return states()[h]; }

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

}  // namespace

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

}  // namespace sim::desk
