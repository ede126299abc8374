#include "sim/desk/windows.h"

#include <algorithm>
#include "arx/aced.h"
#include "sim/desk/desktop.h"
#include "win/menu.h"
#include "win/monitor.h"
#include "win/system.h"

namespace sim::desk {

WindowManager& WindowManager::get() {
    static WindowManager wm;
    return wm;
}

WindowManager::WindowManager() {
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
}

HWND WindowManager::create(const CREATEWINDOW& p) {
    HWND h;
    {
        std::lock_guard lock(mutex_);
        h = reinterpret_cast<HWND>(nextHandle_);
        nextHandle_ += 4;
        auto w = std::make_unique<Window>();
        w->handle = h;
        w->className = p.className;
        w->text = p.text;
        w->style = p.style;
        w->exStyle = p.exStyle;
        w->rect = p.rect;
        w->parent = p.parent;
        w->id = p.id;
        w->visible = (p.style & 0x10000000) != 0;   // WS_VISIBLE
        w->proc = p.proc;
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

HWND WindowManager::frame() {
    if (frame_ && find(frame_)) return frame_;
    CREATEWINDOW p;
    p.className = "KvHostFrame";
    p.text = "Korvane Host";
    p.style = 0x10000000 | 0x00CF0000;   // WS_VISIBLE | WS_OVERLAPPEDWINDOW
    p.rect = {0, 0, 1600, 900};
    p.proc = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
    frame_ = create(p);
    CREATEWINDOW v;
    v.className = "KvDrawingView";
    v.style = 0x10000000 | 0x40000000;   // WS_VISIBLE | WS_CHILD
    v.rect = {0, 60, 1600, 780};
    v.parent = frame_;
    v.proc = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
    view_ = create(v);
    return frame_;
}

HWND WindowManager::drawingView() {
    frame();
    return view_;
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
        rect->left += p->rect.left;
        rect->right += p->rect.left;
        rect->top += p->rect.top;
        rect->bottom += p->rect.top;
    }
    return TRUE;
}
BOOL GetClientRect(HWND wnd, RECT* rect) {
    auto* w = WindowManager::get().find(wnd);
    if (!w || !rect) return FALSE;
    *rect = {0, 0, w->rect.Width(), w->rect.Height()};
    return TRUE;
}
BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL) {
    auto* w = WindowManager::get().find(wnd);
    if (!w) return FALSE;
    bool moved = w->rect.left != x || w->rect.top != y;
    w->rect = {x, y, x + width, y + height};
    if (moved) WindowManager::get().send(wnd, WM_MOVE, 0, 0);
    WindowManager::get().send(wnd, WM_SIZE, 0, LPARAM((height << 16) | (width & 0xFFFF)));
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

// ---- The host frame and the message filter ---------------------------------------------------

HWND acedGetAcadFrame() { return WindowManager::get().frame(); }
HWND acedGetAcadDwgView() { return WindowManager::get().drawingView(); }
bool acedRegisterFilterWinMsg(AcedFilterWinMsgFn f) { return WindowManager::get().addFilter(f); }
bool acedRemoveFilterWinMsg(AcedFilterWinMsgFn f) { return WindowManager::get().removeFilter(f); }
