// Edit boxes: one line or several, the typing styles, the cue banner.
#include <cctype>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

struct Edit {
    size_t limit = 30000;
    bool modified = false;
    std::string cue;
};

ControlStates<Edit>& states() {
    static ControlStates<Edit> t;
    return t;
}
Edit& ctl(HWND h) { return states()[h]; }

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

}  // namespace

LRESULT editProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    Edit& c = ctl(h);
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

void editSetText(HWND h, const std::string& text) {
    Window* w = win(h);
    if (w->style & ES_READONLY) throw ActionError("edit box " + std::to_string(w->id) + " is read-only");
    const std::string typed = typedText(h, text);
    if (typed == w->text) return;
    w->text = typed;
    ctl(h).modified = true;
    notifyParent(h, EN_UPDATE);
    notifyParent(h, EN_CHANGE);
}

std::string describeEdit(HWND h) {
    return (win(h)->style & ES_READONLY) ? " read-only" : "";
}

}  // namespace sim::desk
