#include "uikit/tooltip.h"

#include <algorithm>
#include "win/monitor.h"
#include "uikit/screen.h"

namespace kvui {

namespace {
constexpr int kMargin = 6;   // between the border and the markup
constexpr COLORREF kBorder = RGB(118, 125, 138);
constexpr COLORREF kTop = RGB(255, 255, 255), kBottom = RGB(228, 233, 242);

}   // namespace

CKvTooltip::~CKvTooltip() { Destroy(); }

bool CKvTooltip::Create(HWND owner, HWND tool) {
    if (hwnd_) return true;
    owner_ = owner;
    tool_ = tool;
    if (!KvGetMessageFont(&style_.font)) style_.font.lfHeight = -12;
    style_.textColour = RGB(30, 30, 30);
    CREATEWINDOW p;
    p.className = "KvTooltip";
    p.style = WS_POPUP;
    p.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    p.rect = {0, 0, 1, 1};
    p.proc = [this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return WindowProc(w, m, wp, lp); };
    hwnd_ = CreateWindowEx(p);
    return hwnd_ != nullptr;
}

void CKvTooltip::Destroy() {
    layout_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

bool CKvTooltip::IsShown() const { return hwnd_ && IsWindowVisible(hwnd_); }

void CKvTooltip::Hide() {
    if (!hwnd_) return;
    KillTimer(hwnd_, kShowTimer);
    KillTimer(hwnd_, kHideTimer);
    if (IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

std::string CKvTooltip::ask(POINT screen, NMKVTOOLTIPDISPLAY* request) {
    std::string text;
    request->hdr.hwndFrom = hwnd_;
    request->hdr.idFrom = 0;
    request->hdr.code = KVTTN_DISPLAY;
    request->pt = screen;
    request->text = &text;
    request->anchorPoint = POINT{screen.x, screen.y + 20};
    request->anchor = TooltipAnchor::TopLeft;
    SendMessage(owner_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(request));
    return text;
}

void CKvTooltip::RelayEvent(UINT msg, WPARAM, LPARAM lp) {
    if (!hwnd_) return;
    switch (msg) {
    case WM_MOUSEMOVE: {
        POINT screen = KvPointFromLParam(lp);
        ClientToScreen(tool_, &screen);
        if (screen.x == pointer_.x && screen.y == pointer_.y) return;   // no real move
        pointer_ = screen;
        if (IsShown()) {
            // Still the same tip for the new place: it stays; otherwise it goes and the delay restarts.
            NMKVTOOLTIPDISPLAY request;
            if (ask(screen, &request) == markup_) return;
            Hide();
        }
        SetTimer(hwnd_, kShowTimer, showDelay_, nullptr);
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE:
        Hide();
        if (msg == WM_MOUSELEAVE) pointer_ = POINT{-1, -1};
        return;
    default: return;
    }
}

SIZE CKvTooltip::Measure(const MarkupLayout& layout) {
    const SIZE s = layout.Size();
    return SIZE{s.cx + 2 * kMargin + 2, s.cy + 2 * kMargin + 2};
}

void CKvTooltip::PaintTip(HDC dc, const MarkupLayout& layout, SIZE size) {
    const RECT all{0, 0, size.cx, size.cy};
    const COLORREF colours[2] = {kTop, kBottom};
    KvGradientFill(dc, all, colours, nullptr, 2, GRADIENT_FILL_RECT_V);
    KvFrameRect(dc, all, KVPEN{PS_SOLID, 1, kBorder, false});
    // Rounded look: the corner pixels take the colour behind the frame's line.
    const COLORREF soft = RGB(196, 201, 210);
    SetPixel(dc, 0, 0, soft), SetPixel(dc, size.cx - 1, 0, soft);
    SetPixel(dc, 0, size.cy - 1, soft), SetPixel(dc, size.cx - 1, size.cy - 1, soft);
    layout.Paint(dc, kMargin + 1, kMargin + 1);
}

void CKvTooltip::show() {
    NMKVTOOLTIPDISPLAY request;
    POINT screen = pointer_;
    const std::string text = ask(screen, &request);
    if (text.empty()) return;
    markup_ = text;
    layout_ = std::make_unique<MarkupLayout>(markup_, style_);
    const SIZE size = Measure(*layout_);
    POINT at = request.anchorPoint;
    switch (request.anchor) {
    case TooltipAnchor::TopLeft: break;
    case TooltipAnchor::BottomLeft: at.y -= size.cy; break;
    case TooltipAnchor::LeftMiddle: at.y -= size.cy / 2; break;
    case TooltipAnchor::RightMiddle: at.x -= size.cx, at.y -= size.cy / 2; break;
    }
    // Kept on the monitor of the tool window.
    MONITORINFOEX info;
    if (GetMonitorInfo(MonitorFromWindow(tool_, MONITOR_DEFAULTTONEAREST), &info)) {
        const RECT& m = info.rcWork;
        at.x = std::max<LONG>(m.left, std::min<LONG>(at.x, m.right - size.cx));
        at.y = std::max<LONG>(m.top, std::min<LONG>(at.y, m.bottom - size.cy));
    }
    MoveWindow(hwnd_, at.x, at.y, size.cx, size.cy, FALSE);
    ShowWindow(hwnd_, SW_SHOWNA);
    InvalidateRect(hwnd_, nullptr, FALSE);
    SetTimer(hwnd_, kHideTimer, displayTime_, nullptr);
}

LRESULT CKvTooltip::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_TIMER) {
        KillTimer(wnd, UINT_PTR(wp));
        if (wp == kShowTimer) show();
        else if (wp == kHideTimer) Hide();
        return 0;
    }
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        if (dc && layout_) {
            RECT client;
            GetClientRect(wnd, &client);
            PaintTip(dc, *layout_, SIZE{client.Width(), client.Height()});
        }
        EndPaint(wnd, &ps);
        return 0;
    }
    return 0;
}

}   // namespace kvui
