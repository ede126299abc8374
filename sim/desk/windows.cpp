#include "sim/desk/windows.h"

#include <algorithm>
#include "arx/aced.h"
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "sim/gfx/canvas.h"
#include "sim/desk/controls_internal.h"
#include "sim/desk/desktop.h"
#include "win/menu.h"
#include "win/monitor.h"
#include "win/system.h"

namespace sim::desk {

void paintFrame(HWND frame);

namespace {
thread_local int t_dispatchDepth = 0;

// Counts a window procedure or filter on the stack for the time it runs.
struct Dispatching {
    Dispatching() { ++t_dispatchDepth; }
    ~Dispatching() { --t_dispatchDepth; }
    Dispatching(const Dispatching&) = delete;
    Dispatching& operator=(const Dispatching&) = delete;
};
}  // namespace

int WindowManager::dispatchDepth() { return t_dispatchDepth; }

WindowManager& WindowManager::get() {
    static WindowManager wm;
    return wm;
}

void registerTabControlClasses(WindowManager& wm);

WindowManager::WindowManager() {
    registerTabControlClasses(*this);
    registerControlClasses(*this);
    Desktop::get().setTimerPump([this](std::uint64_t now) {
        fireDueTimers(now);
        pump();
    });
}

void WindowManager::reset() {
    std::lock_guard lock(mutex_);
    windows_.clear();
    queue_.clear();
    filters_.clear();
    timers_.clear();
    frame_ = view_ = nullptr;
    capture = nullptr;
    paintDCs.clear();
    resetDialogs();
}

bool WindowManager::registerClass(const std::string& name, WindowProc proc) {
    std::lock_guard lock(mutex_);
    return classes_.emplace(name, std::move(proc)).second;
}

WindowProc WindowManager::classProc(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = classes_.find(canonicalClassName(name));
    return it == classes_.end() ? WindowProc() : it->second;
}

std::string WindowManager::canonicalClassName(const std::string& name) const {
    // Class names compare without regard to case (resource compilers write them in capitals).
    std::lock_guard lock(mutex_);
    if (classes_.count(name)) return name;
    for (const auto& [known, proc] : classes_) {
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return known;
    }
    return name;
}

HWND WindowManager::create(const CREATEWINDOW& p) {
    HWND h;
    {
        std::lock_guard lock(mutex_);
        h = reinterpret_cast<HWND>(nextHandle_);
        nextHandle_ += 4;
        auto w = std::make_unique<Window>();
        w->handle = h;
        w->className = canonicalClassName(p.className);
        w->text = p.text;
        // Visibility and the enabled state are kept apart from the style bits, as
        // SetWindowLongPtr(GWL_STYLE) keeps them.
        w->style = p.style & ~0x18000000u;
        w->enabled = (p.style & 0x08000000) == 0;   // WS_DISABLED
        w->exStyle = p.exStyle;
        w->rect = p.rect;
        w->parent = p.parent;
        w->id = p.id;
        w->visible = (p.style & 0x10000000) != 0;   // WS_VISIBLE
        w->proc = p.proc ? p.proc : classProc(p.className);
        if (p.parent) {
            if (auto* parent = find(p.parent)) parent->children.push_back(h);
        }
        windows_[h] = std::move(w);
    }
    send(h, WM_CREATE, 0, 0);
    return h;
}

Window* WindowManager::find(HWND wnd) {
    std::lock_guard lock(mutex_);
    auto it = windows_.find(wnd);
    return it == windows_.end() || it->second->destroyed ? nullptr : it->second.get();
}

bool WindowManager::destroy(HWND wnd) {
    Window* w = find(wnd);
    if (!w) return false;
    for (HWND child : std::vector<HWND>(w->children)) destroy(child);
    send(wnd, WM_DESTROY, 0, 0);
    std::lock_guard lock(mutex_);
    w->destroyed = true;
    if (w->parent) {
        if (Window* parent = find(w->parent)) std::erase(parent->children, wnd);
    }
    std::erase_if(timers_, [&](const Timer& t) { return t.wnd == wnd; });
    std::erase_if(queue_, [&](const MSG& m) { return m.hwnd == wnd; });
    if (Desktop::get().focus == wnd) Desktop::get().focus = nullptr;
    if (capture == wnd) capture = nullptr;
    if (w->systemMenu) DestroyMenu(w->systemMenu);
    windows_.erase(wnd);
    return true;
}

LRESULT WindowManager::send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    WindowProc proc;
    {
        std::lock_guard lock(mutex_);
        Window* w = find(wnd);
        if (!w || !w->proc) return 0;
        proc = w->proc;   // a copy: the procedure may destroy its own window
    }
    Dispatching inside;
    return proc(wnd, msg, wp, lp);
}

bool WindowManager::post(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    std::lock_guard lock(mutex_);
    if (wnd && !find(wnd)) return false;
    MSG m;
    m.hwnd = wnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    m.time = DWORD(Desktop::get().nowMs());
    queue_.push_back(m);
    return true;
}

size_t WindowManager::pendingMessages() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

void WindowManager::pump() {
    while (true) {
        MSG m;
        std::vector<Filter> filters;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) return;
            m = queue_.front();
            queue_.pop_front();
            filters = filters_;
        }
        bool consumed = false;
        for (Filter f : filters) {
            Dispatching inside;
            if (f(&m)) {
                consumed = true;
                break;
            }
        }
        if (!consumed && m.hwnd) send(m.hwnd, m.message, m.wParam, m.lParam);
    }
}

bool WindowManager::addFilter(Filter f) {
    std::lock_guard lock(mutex_);
    if (std::find(filters_.begin(), filters_.end(), f) != filters_.end()) return false;
    filters_.push_back(f);
    return true;
}

bool WindowManager::removeFilter(Filter f) {
    std::lock_guard lock(mutex_);
    auto it = std::find(filters_.begin(), filters_.end(), f);
    if (it == filters_.end()) return false;
    filters_.erase(it);
    return true;
}

UINT_PTR WindowManager::setTimer(HWND wnd, UINT_PTR id, UINT elapse) {
    std::lock_guard lock(mutex_);
    if (!find(wnd)) return 0;
    elapse = std::max<UINT>(elapse, 10);
    std::erase_if(timers_, [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
    timers_.push_back({wnd, id, elapse, Desktop::get().nowMs() + elapse});
    return id;
}

bool WindowManager::killTimer(HWND wnd, UINT_PTR id) {
    std::lock_guard lock(mutex_);
    return std::erase_if(timers_, [&](const Timer& t) { return t.wnd == wnd && t.id == id; }) > 0;
}

bool WindowManager::hasTimer(HWND wnd, UINT_PTR id) const {
    std::lock_guard lock(mutex_);
    return std::any_of(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
}

void WindowManager::fireDueTimers(std::uint64_t now) {
    std::vector<Timer> due;
    {
        std::lock_guard lock(mutex_);
        for (auto& t : timers_) {
            if (t.due <= now) {
                due.push_back(t);
                t.due = now + t.elapse;
            }
        }
    }
    // A timer message is a posted message: it passes the filters like any other.
    for (const auto& t : due) post(t.wnd, WM_TIMER, t.id, 0);
}

std::vector<HWND> WindowManager::topmostWindows() {
    std::lock_guard lock(mutex_);
    std::vector<HWND> out;
    for (const auto& [h, w] : windows_)
        if (!w->destroyed && !w->parent && w->visible && (w->exStyle & WS_EX_TOPMOST)) out.push_back(h);
    return out;   // handles grow with creation
}

std::vector<HWND> WindowManager::popupWindows() {
    std::lock_guard lock(mutex_);
    std::vector<HWND> out;
    for (const auto& [h, w] : windows_)
        if (!w->destroyed && !w->parent && w->visible && !(w->exStyle & WS_EX_TOPMOST) && h != frame_) out.push_back(h);
    return out;
}

HWND WindowManager::frame() {
    if (frame_ && find(frame_)) return frame_;
    CREATEWINDOW p;
    p.className = "KvHostFrame";
    p.text = "Korvane Host";
    p.style = 0x10000000 | 0x00CF0000;   // WS_VISIBLE | WS_OVERLAPPEDWINDOW
    p.rect = {0, 0, 1600, 900};
    p.proc = [](HWND wnd, UINT msg, WPARAM wp, LPARAM) -> LRESULT {
        if (msg == kFrameLayoutMessage) layoutFrame();
        if (msg == WM_COMMAND && frameCommandHandler()) return frameCommandHandler()(LOWORD(wp)) ? 0 : 1;
        if ((msg == WM_MOVE || msg == WM_SIZE) && frameMovedHandler()) frameMovedHandler()(msg == WM_MOVE);
        if (msg == WM_PAINT) paintFrame(wnd);
        return 0;
    };
    frame_ = create(p);
    CREATEWINDOW v;
    v.className = "KvDrawingView";
    v.style = 0x10000000 | 0x40000000;   // WS_VISIBLE | WS_CHILD
    v.rect = {0, 60, 1600, 780};
    v.parent = frame_;
    v.proc = [](HWND wnd, UINT msg, WPARAM, LPARAM lp) -> LRESULT {
        if (msg == WM_RBUTTONUP && drawingContextMenu()) {
            POINT at{short(LOWORD(lp)), short(HIWORD(lp))};
            ClientToScreen(wnd, &at);
            drawingContextMenu()(at);
            return 0;
        }
        if (msg != WM_PAINT) return 0;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        if (dc && drawingAreaPainter()) drawingAreaPainter()(dc, ps.rcPaint);
        EndPaint(wnd, &ps);
        return 0;
    };
    view_ = create(v);
    layoutFrame();
    return frame_;
}

HWND WindowManager::drawingView() {
    frame();
    return view_;
}

std::function<bool(UINT)>& frameCommandHandler() {
    static std::function<bool(UINT)> handler;
    return handler;
}

std::function<void(bool)>& frameMovedHandler() {
    static std::function<void(bool)> handler;
    return handler;
}

std::function<StatusProgress()>& statusProgress() {
    static std::function<StatusProgress()> provider;
    return provider;
}

std::function<void(POINT)>& drawingContextMenu() {
    static std::function<void(POINT)> handler;
    return handler;
}

std::function<std::string()>& commandLineInput() {
    static std::function<std::string()> input;
    return input;
}

std::function<void(HDC, const RECT&)>& drawingAreaPainter() {
    static std::function<void(HDC, const RECT&)> painter;
    return painter;
}

// The frame's own surface: the command-line window and the status bar below the drawing area.
void paintFrame(HWND frame) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(frame, &ps);
    if (!dc) return;
    const FrameAreas a = frameAreas();
    FillSolidRect(dc, a.commandLine, RGB(33, 40, 48));
    static HFONT mono = [] {
        LOGFONT lf;
        lf.lfHeight = -13;
        lf.lfFaceName = "DejaVu Sans Mono";
        return CreateFontIndirect(&lf);
    }();
    auto lines = Desktop::get().recentLines(3);
    if (commandLineInput()) {
        // The line being typed stays at the bottom, below whatever was printed meanwhile.
        if (lines.empty() || !lines.back().empty()) lines.emplace_back();
        lines.back() = commandLineInput()();
        if (lines.size() > 3) lines.erase(lines.begin());
    }
    int y = a.commandLine.top + 4;
    for (const auto& line : lines) {
        RECT r{a.commandLine.left + 8, y, a.commandLine.right - 8, y + 18};
        DrawText(dc, line, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, mono,
                 RGB(220, 220, 220));
        y += 19;
    }
    FillSolidRect(dc, a.statusBar, GetSysColor(COLOR_BTNFACE));
    Draw3dRect(dc, a.statusBar, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    RECT status{a.statusBar.left + 8, a.statusBar.top, a.statusBar.right - 8, a.statusBar.bottom};
    static HFONT ui = [] {
        LOGFONT lf;
        lf.lfHeight = -12;
        lf.lfFaceName = "DejaVu Sans";
        return CreateFontIndirect(&lf);
    }();
    DrawText(dc, "Korvane host  |  MODEL", &status, DT_SINGLELINE | DT_LEFT | DT_VCENTER, ui, RGB(40, 40, 40));
    if (statusProgress()) {
        const StatusProgress p = statusProgress()();
        if (p.shown) {
            RECT label{a.statusBar.left + 200, a.statusBar.top, a.statusBar.left + 420, a.statusBar.bottom};
            DrawText(dc, p.label, &label, DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS, ui, RGB(40, 40, 40));
            const RECT bar{a.statusBar.left + 430, a.statusBar.top + 5, a.statusBar.left + 630, a.statusBar.bottom - 5};
            FillSolidRect(dc, bar, RGB(255, 255, 255));
            const RECT done{bar.left, bar.top, bar.left + LONG(bar.Width() * std::clamp(p.fraction, 0.0, 1.0)), bar.bottom};
            FillSolidRect(dc, done, RGB(6, 176, 37));
            Draw3dRect(dc, bar, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        }
    }
    EndPaint(frame, &ps);
}

namespace {
// The client area with its visible children composed over it.
HDC renderClient(Window* w) {
    auto& wm = WindowManager::get();
    HWND wnd = w->handle;
    const int width = std::max<LONG>(1, w->rect.Width() - w->frame.left - w->frame.right);
    const int height = std::max<LONG>(1, w->rect.Height() - w->frame.top - w->frame.bottom);
    HDC dc = KvCreateBufferDC(nullptr, width, height);
    if (!dc) return nullptr;
    FillSolidRect(dc, RECT{0, 0, width, height}, GetSysColor(COLOR_BTNFACE));
    wm.send(wnd, WM_ERASEBKGND, WPARAM(dc), 0);
    wm.paintDCs[wnd] = dc;
    wm.send(wnd, WM_PAINT, 0, 0);
    wm.paintDCs.erase(wnd);
    std::vector<HWND> children = w->children;
    for (HWND child : children) {
        Window* c = wm.find(child);
        if (!c || !c->visible) continue;
        if (HDC cdc = renderWindow(child)) {
            BitBlt(dc, c->rect.left, c->rect.top, c->rect.Width(), c->rect.Height(), cdc, 0, 0);
            DeleteDC(cdc);
        }
    }
    return dc;
}
}  // namespace

HDC renderWindow(HWND wnd) {
    auto& wm = WindowManager::get();
    Window* w = wm.find(wnd);
    if (!w) return nullptr;
    const RECT f = w->frame;
    if (f.left == 0 && f.top == 0 && f.right == 0 && f.bottom == 0) return renderClient(w);
    // A window with a frame: the frame is painted first (WM_NCPAINT), the client inside it.
    const int width = std::max<LONG>(1, w->rect.Width()), height = std::max<LONG>(1, w->rect.Height());
    HDC dc = KvCreateBufferDC(nullptr, width, height);
    if (!dc) return nullptr;
    FillSolidRect(dc, RECT{0, 0, width, height}, GetSysColor(COLOR_BTNFACE));
    wm.send(wnd, WM_NCPAINT, WPARAM(dc), 0);
    if (HDC client = renderClient(w)) {
        BitBlt(dc, f.left, f.top, width - f.left - f.right, height - f.top - f.bottom, client, 0, 0);
        DeleteDC(client);
    }
    return dc;
}

// Topmost popups (tooltips) over the frame, each with a soft shadow below and to its right, as
// the desktop's compositor draws it.
void composeTopmost(HDC dc, HWND frame) {
    RECT fr;
    if (!GetWindowRect(frame, &fr)) return;
    for (HWND top : WindowManager::get().topmostWindows()) {
        RECT r;
        GetWindowRect(top, &r);
        const int x = r.left - fr.left, y = r.top - fr.top;
        for (int i = 4; i >= 1; --i) {
            // Darken a band of the background by a little more on each step inwards.
            const RECT band{x + i, y + i, r.Width() + x + i, r.Height() + y + i};
            for (int py = band.top; py < band.bottom; ++py)
                for (int px = band.left; px < band.right; ++px) {
                    if (px < x + r.Width() && py < y + r.Height()) continue;
                    const COLORREF c = GetPixel(dc, px, py);
                    if (c == CLR_INVALID) continue;
                    auto dim = [](int v) { return v * 88 / 100; };
                    SetPixel(dc, px, py, RGB(dim(GetRValue(c)), dim(GetGValue(c)), dim(GetBValue(c))));
                }
        }
        if (HDC tdc = renderWindow(top)) {
            BitBlt(dc, x, y, r.Width(), r.Height(), tdc, 0, 0);
            DeleteDC(tdc);
        }
    }
}

HDC renderScreen() {
    auto& wm = WindowManager::get();
    const HWND frame = wm.frame();
    HDC dc = renderWindow(frame);
    if (!dc) return nullptr;
    RECT fr;
    GetWindowRect(frame, &fr);
    for (HWND popup : wm.popupWindows()) {
        RECT r;
        GetWindowRect(popup, &r);
        if (HDC pdc = renderWindow(popup)) {
            BitBlt(dc, r.left - fr.left, r.top - fr.top, r.Width(), r.Height(), pdc, 0, 0);
            DeleteDC(pdc);
        }
    }
    composeTopmost(dc, frame);
    return dc;
}

bool snapshotWindow(HWND wnd, const std::string& path) {
    HDC dc = renderWindow(wnd);
    if (!dc) return false;
    if (wnd == WindowManager::get().frame()) composeTopmost(dc, wnd);
    const bool ok = sim::gfx::writePng(dc, path);
    DeleteDC(dc);
    return ok;
}

}  // namespace sim::desk

using sim::desk::WindowManager;

// ---- The boundary: windows ---------------------------------------------------------------------

HWND CreateWindowEx(const CREATEWINDOW& params) { return WindowManager::get().create(params); }
BOOL DestroyWindow(HWND wnd) { return WindowManager::get().destroy(wnd); }
BOOL IsWindow(HWND wnd) { return WindowManager::get().find(wnd) != nullptr; }
LRESULT SendMessage(HWND wnd, UINT m, WPARAM wp, LPARAM lp) { return WindowManager::get().send(wnd, m, wp, lp); }
BOOL PostMessage(HWND wnd, UINT m, WPARAM wp, LPARAM lp) { return WindowManager::get().post(wnd, m, wp, lp); }

BOOL ShowWindow(HWND wnd, int cmd) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return FALSE;
    bool was = w->visible;
    bool now = cmd != SW_HIDE;
    if (was != now) {
        w->visible = now;
        WindowManager::get().send(wnd, WM_SHOWWINDOW, now, 0);
    }
    return was;
}
BOOL IsWindowVisible(HWND wnd) {
    for (auto* w = WindowManager::get().find(wnd); w; w = WindowManager::get().find(w->parent)) {
        if (!w->visible) return FALSE;
        if (!w->parent) return TRUE;
    }
    return FALSE;
}
BOOL EnableWindow(HWND wnd, BOOL enable) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return FALSE;
    bool wasDisabled = !w->enabled;
    w->enabled = enable != 0;
    return wasDisabled;
}
BOOL IsWindowEnabled(HWND wnd) {
    auto* w = WindowManager::get().find(wnd);
    return w && w->enabled;
}
BOOL GetWindowRect(HWND wnd, RECT* rect) {
    auto* w = WindowManager::get().find(wnd);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    for (auto* p = WindowManager::get().find(w->parent); p; p = WindowManager::get().find(p->parent)) {
        rect->left += p->rect.left + p->frame.left;
        rect->right += p->rect.left + p->frame.left;
        rect->top += p->rect.top + p->frame.top;
        rect->bottom += p->rect.top + p->frame.top;
    }
    return TRUE;
}
BOOL GetClientRect(HWND wnd, RECT* rect) {
    auto* w = WindowManager::get().find(wnd);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, std::max<LONG>(0, w->rect.Width() - w->frame.left - w->frame.right),
             std::max<LONG>(0, w->rect.Height() - w->frame.top - w->frame.bottom)};
    return TRUE;
}
BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return FALSE;
    bool moved = w->rect.left != x || w->rect.top != y;
    w->rect = {x, y, x + width, y + height};
    if (moved) WindowManager::get().send(wnd, WM_MOVE, 0, 0);
    RECT client;
    GetClientRect(wnd, &client);
    WindowManager::get().send(wnd, WM_SIZE, 0, LPARAM((client.bottom << 16) | (client.right & 0xFFFF)));
    return TRUE;
}
BOOL SetWindowPos(HWND wnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return FALSE;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        r = {x, y, x + r.Width(), y + r.Height()};
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    return MoveWindow(wnd, r.left, r.top, r.Width(), r.Height(), TRUE);
}
BOOL SetWindowText(HWND wnd, const std::string& text) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return FALSE;
    w->text = text;
    // As WM_SETTEXT does on Windows: the window learns of its new text (an edit box notifies
    // EN_CHANGE). The text is stored already; lParam is it, as a C string.
    WindowManager::get().send(wnd, WM_SETTEXT, 0, LPARAM(text.c_str()));
    return TRUE;
}
std::string GetWindowText(HWND wnd) {
    auto* w = WindowManager::get().find(wnd);
    return w ? w->text : std::string();
}
HWND GetParent(HWND wnd) {
    auto* w = WindowManager::get().find(wnd);
    return w ? w->parent : nullptr;
}
HWND GetDesktopWindow() { return reinterpret_cast<HWND>(std::uintptr_t(0x10000)); }
BOOL InvalidateRect(HWND wnd, const RECT*, BOOL) { return IsWindow(wnd); }
BOOL UpdateWindow(HWND wnd) { return IsWindow(wnd); }
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse, void*) { return WindowManager::get().setTimer(wnd, id, elapse); }
BOOL KillTimer(HWND wnd, UINT_PTR id) { return WindowManager::get().killTimer(wnd, id); }

LONG_PTR GetWindowLongPtr(HWND wnd, int index) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return 0;
    switch (index) {
    case GWL_STYLE: return LONG_PTR(w->style | (w->visible ? 0x10000000u : 0u) | (w->enabled ? 0u : 0x08000000u));
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_ID: return LONG_PTR(w->id);
    case GWLP_USERDATA: return w->userData;
    default: {
        auto it = w->extra.find(index);
        return index >= 0 && it != w->extra.end() ? it->second : 0;
    }
    }
}

LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtr(wnd, index);
    switch (index) {
    case GWL_STYLE:
        w->style = DWORD(value) & ~0x18000000u;   // visibility and enabled state are kept apart
        w->visible = (value & 0x10000000) != 0;
        w->enabled = (value & 0x08000000) == 0;
        break;
    case GWL_EXSTYLE: w->exStyle = DWORD(value); break;
    case GWLP_ID: w->id = UINT(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    default:
        if (index >= 0) w->extra[index] = value;
        break;
    }
    return old;
}

HWND GetDlgItem(HWND parent, int id) {
    auto* p = WindowManager::get().find(parent);
    if (!p) return nullptr;
    for (HWND c : p->children) {
        auto* w = WindowManager::get().find(c);
        if (w && int(w->id) == id) return c;
    }
    return nullptr;
}

int GetDlgCtrlID(HWND wnd) {
    auto* w = WindowManager::get().find(wnd);
    return w ? int(w->id) : 0;
}

int GetClassName(HWND wnd, std::string* className) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return 0;
    if (className) *className = w->className;
    return int(w->className.size());
}

HWND GetWindow(HWND wnd, UINT cmd) {
    auto& wm = WindowManager::get();
    auto* w = wm.find(wnd);
    if (!w) return nullptr;
    if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
    if (cmd == GW_HWNDNEXT) {
        auto* p = wm.find(w->parent);
        if (!p) return nullptr;
        auto it = std::find(p->children.begin(), p->children.end(), wnd);
        if (it == p->children.end() || ++it == p->children.end()) return nullptr;
        return *it;
    }
    return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
    auto& wm = WindowManager::get();
    auto* w = wm.find(child);
    if (!w) return nullptr;
    HWND old = w->parent;
    if (auto* p = wm.find(old)) std::erase(p->children, child);
    w->parent = newParent;
    if (auto* p = wm.find(newParent)) p->children.push_back(child);
    return old;
}

BOOL ClientToScreen(HWND wnd, POINT* pt) {
    RECT r;
    auto* w = WindowManager::get().find(wnd);
    if (!pt || !w || !GetWindowRect(wnd, &r)) return FALSE;
    pt->x += r.left + w->frame.left;
    pt->y += r.top + w->frame.top;
    return TRUE;
}

BOOL ScreenToClient(HWND wnd, POINT* pt) {
    RECT r;
    auto* w = WindowManager::get().find(wnd);
    if (!pt || !w || !GetWindowRect(wnd, &r)) return FALSE;
    pt->x -= r.left + w->frame.left;
    pt->y -= r.top + w->frame.top;
    return TRUE;
}

HWND WindowFromPoint(POINT screen) {
    // The deepest visible window under the point, starting at the frame.
    HWND found = nullptr;
    std::function<void(HWND)> visit = [&](HWND h) {
        RECT r;
        if (!IsWindowVisible(h) || !GetWindowRect(h, &r)) return;
        if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) return;
        found = h;
        auto* w = WindowManager::get().find(h);
        if (!w) return;
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
            HWND before = found;
            visit(*it);
            if (found != before) return;   // the topmost child under the point wins
        }
    };
    visit(acedGetAcadFrame());
    return found;
}

HWND SetCapture(HWND wnd) {
    HWND old = WindowManager::get().capture;
    WindowManager::get().capture = wnd;
    return old;
}
BOOL ReleaseCapture() {
    WindowManager::get().capture = nullptr;
    return TRUE;
}
HWND GetCapture() { return WindowManager::get().capture; }

HDC__* BeginPaint(HWND wnd, PAINTSTRUCT* ps) {
    auto& wm = WindowManager::get();
    auto it = wm.paintDCs.find(wnd);
    HDC__* dc = it == wm.paintDCs.end() ? nullptr : it->second;
    if (ps) {
        ps->hdc = dc;
        GetClientRect(wnd, &ps->rcPaint);
    }
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) { return TRUE; }

BOOL KvRegisterWindowClass(const std::string& name, WindowProc proc) {
    return WindowManager::get().registerClass(name, std::move(proc));
}

// ---- The host frame and the message filter ---------------------------------------------------

HWND acedGetAcadFrame() { return WindowManager::get().frame(); }
HWND acedGetAcadDwgView() { return WindowManager::get().drawingView(); }
bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn f) { return WindowManager::get().addFilter(f); }
bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn f) { return WindowManager::get().removeFilter(f); }
