#include "apps/korvane-host/live_window.h"

#ifndef KV_HAVE_SDL2

#include <iostream>

namespace kvapp {
bool liveWindowBuilt() { return false; }
bool runLiveWindow(sim::script::Runner&, int, int) {
    std::cerr << "korvane-host: this build has no live window (SDL2 was not found when it was configured)\n";
    return false;
}
}  // namespace kvapp

#else

#include <SDL.h>
#include <cstdlib>
#include <deque>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>
#include "apps/korvane-host/prompt.h"
#include "arx/aced.h"
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/gfx/canvas.h"
#include "sim/host/host.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/system.h"
#include "win/tabctrl.h"
#include "win/window.h"

namespace kvapp {
namespace {

using sim::desk::WindowManager;

constexpr WPARAM kMkShift = 0x0004, kMkControl = 0x0008, kMkMiddle = 0x0010;
constexpr int kDragThreshold = 4;   // pixels the pointer moves before a press becomes a drag
constexpr Uint32 kIdleRedrawMs = 250;

LPARAM pointParam(POINT p) { return LPARAM((LPARAM(std::uint16_t(p.y)) << 16) | std::uint16_t(p.x)); }

// The virtual-key code of a key, as Win32 numbers it; 0 for keys the desktop does not know.
int virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + int(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + int(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + int(key - SDLK_F1);
    switch (key) {
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return 0x12;
    default: return 0;
    }
}

class LiveWindow {
public:
    LiveWindow(sim::script::Runner& runner, SDL_Window* window) : runner_(runner), window_(window) {}

    void install() {
        auto& desk = sim::Desktop::get();
        desk.setLineReader([this](const std::string& prompt) { return readLine(prompt); });
        desk.dragDetector = [this](POINT screen) { return detectDrag(screen); };
        desk.boxAsker = [this](const std::string& caption, const std::string& text, UINT type, int answer) {
            return askBox(caption, text, type, answer);
        };
        sim::desk::liveMenuTracker() = [this](HMENU menu, POINT at) { return trackMenu(menu, at); };
        sim::desk::commandLineInput() = [this] { return prompt_ + input_ + "_"; };
        // A modal dialog keeps the window alive: its loop runs the window's events.
        sim::desk::setInteractiveDialogFeed([this] {
            if (closed()) return false;
            const std::string outer = std::exchange(prompt_, "Dialog: ");
            step();
            prompt_ = outer;
            if (submitted_) runPromptLine(runner_, *std::exchange(submitted_, std::nullopt));
            return !closed();
        });
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        resizeFrame(w, h);
    }

    void uninstall() {
        auto& desk = sim::Desktop::get();
        desk.setLineReader(nullptr);
        desk.dragDetector = nullptr;
        desk.boxAsker = nullptr;
        sim::desk::liveMenuTracker() = nullptr;
        sim::desk::commandLineInput() = nullptr;
        sim::desk::setInteractiveDialogFeed(nullptr);
    }

    void run() {
        render();
        trace("window ready");
        auto& desk = sim::Desktop::get();
        while (!closed()) {
            auto line = desk.readLine("Command: ");
            if (!line) break;
            runPromptLine(runner_, *line);
            dirty_ = true;
        }
    }

private:
    bool closed() const { return quit_ || runner_.exitRequested || sim::host::quitRequested(); }

    // ---- The loop ---------------------------------------------------------------------------
    // Moves the window system's events into the window's own queue, waiting a little for one.
    void pull(bool wait) {
        SDL_Event e;
        if (wait && pending_.empty() && SDL_WaitEventTimeout(&e, 20)) pending_.push_back(e);
        while (SDL_PollEvent(&e)) pending_.push_back(e);
    }

    // One round: the events so far (up to a line entered on the command line), the timers on the
    // real clock and whatever the host can run now, then the picture when anything changed.
    void step() {
        pull(true);
        while (!pending_.empty() && !submitted_ && !quit_) {
            const SDL_Event e = pending_.front();
            pending_.pop_front();
            dispatch(e);
        }
        WindowManager::get().fireDueTimers(sim::Desktop::get().nowMs());
        sim::host::idle();
        if (dirty_ || SDL_GetTicks() - lastRender_ >= kIdleRedrawMs) render();
    }

    // The prompt stays on the command line's last line while the person types; output printed
    // meanwhile goes above it. The transcript gets the prompt with the line when it is entered.
    std::optional<std::string> readLine(const std::string& prompt) {
        const std::string outer = std::exchange(prompt_, prompt);
        dirty_ = true;
        std::optional<std::string> line;
        while (!closed() && !line) {
            step();
            line = std::exchange(submitted_, std::nullopt);
        }
        prompt_ = outer;
        return line;
    }

    // ---- The picture ----------------------------------------------------------------------------
    void render() {
        HDC dc = sim::desk::renderScreen();
        if (!dc) return;
        if (overlay_) {
            int ow = 0, oh = 0;
            sim::gfx::canvasPixels(overlay_, &ow, &oh);
            BitBlt(dc, overlayAt_.x, overlayAt_.y, ow, oh, overlay_, 0, 0);
        }
        int w = 0, h = 0;
        std::vector<std::uint32_t> pixels = sim::gfx::canvasPixels(dc, &w, &h);
        DeleteDC(dc);
        SDL_Surface* target = SDL_GetWindowSurface(window_);
        SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), w, h, 32, w * 4, SDL_PIXELFORMAT_RGB888);
        if (target && source) {
            SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 240, 240, 240));
            SDL_BlitSurface(source, nullptr, target, nullptr);
            SDL_UpdateWindowSurface(window_);
        }
        if (source) SDL_FreeSurface(source);
        lastRender_ = SDL_GetTicks();
        dirty_ = false;
        traceTabs();
    }

    void resizeFrame(int w, int h) {
        HWND frame = acedGetAcadFrame();
        RECT r;
        GetWindowRect(frame, &r);
        MoveWindow(frame, r.left, r.top, w, h, TRUE);
        sim::desk::layoutFrame();
        WindowManager::get().pump();
        dirty_ = true;
    }

    POINT origin() const {
        RECT r;
        GetWindowRect(acedGetAcadFrame(), &r);
        return {r.left, r.top};
    }
    POINT toScreen(int x, int y) const { return {x + origin().x, y + origin().y}; }

    // ---- Input ----------------------------------------------------------------------------------
    // The deepest visible window under a screen point below `root`.
    static HWND deepestAt(HWND root, POINT screen) {
        RECT r;
        if (!IsWindowVisible(root) || !GetWindowRect(root, &r)) return nullptr;
        if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) return nullptr;
        auto* w = WindowManager::get().find(root);
        if (!w) return root;
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
            if (HWND found = deepestAt(*it, screen)) return found;
        return root;
    }

    static HWND topLevelOf(HWND h) {
        auto& wm = WindowManager::get();
        while (auto* w = wm.find(h)) {
            if (!w->parent) return h;
            h = w->parent;
        }
        return h;
    }

    // The window a pointer event goes to: the capture, else the dialog or frame window under it.
    // While a modal dialog is open only that dialog takes the pointer, as its disabled owner would.
    HWND pointerTarget(POINT screen) const {
        if (HWND c = GetCapture(); c && IsWindow(c)) return c;
        HWND target = nullptr;
        auto popups = WindowManager::get().popupWindows();
        for (auto it = popups.rbegin(); it != popups.rend() && !target; ++it) target = deepestAt(*it, screen);
        if (!target) target = WindowFromPoint(screen);
        if (!target) return nullptr;
        if (HWND modal = sim::desk::topDialog(); modal && topLevelOf(target) != modal) return nullptr;
        for (HWND h = target; h; h = GetParent(h))
            if (!IsWindowEnabled(h)) return nullptr;
        return target;
    }

    WPARAM modifierFlags() const {
        const SDL_Keymod mod = SDL_GetModState();
        return ((mod & KMOD_CTRL) ? kMkControl : 0) | ((mod & KMOD_SHIFT) ? kMkShift : 0);
    }

    WPARAM buttonFlags(Uint32 state) const {
        return ((state & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0) | ((state & SDL_BUTTON_RMASK) ? MK_RBUTTON : 0) |
               ((state & SDL_BUTTON_MMASK) ? kMkMiddle : 0) | modifierFlags();
    }

    void post(HWND target, UINT msg, WPARAM wp, LPARAM lp) {
        PostMessage(target, msg, wp, lp);
        sim::host::idle();
        dirty_ = true;
    }

    void pointer(UINT msg, int x, int y, Uint32 buttons) {
        const POINT screen = toScreen(x, y);
        sim::Desktop::get().cursor = screen;
        HWND target = pointerTarget(screen);
        if (hover_ && hover_ != target && IsWindow(hover_)) post(hover_, WM_MOUSELEAVE, 0, 0);
        hover_ = target;
        if (!target) return;
        if (msg == WM_LBUTTONDOWN && topLevelOf(target) != acedGetAcadFrame()) SetFocus(target);
        POINT client = screen;
        ScreenToClient(target, &client);
        post(target, msg, buttonFlags(buttons), pointParam(client));
    }

    HWND keyTarget() const {
        HWND focus = GetFocus();
        return focus && IsWindow(focus) ? focus : acedGetAcadFrame();
    }

    // Typed text goes to an edit box of a dialog that has the focus, else to the host's command
    // line (where @dialog lines act on the open dialog too).
    bool typingIntoDialog() const {
        HWND focus = GetFocus();
        auto* w = focus ? WindowManager::get().find(focus) : nullptr;
        return w && topLevelOf(focus) != acedGetAcadFrame() &&
               WindowManager::get().canonicalClassName(w->className) == WindowManager::get().canonicalClassName("Edit");
    }

    void key(const SDL_KeyboardEvent& k, bool down) {
        auto& desk = sim::Desktop::get();
        const int vk = virtualKey(k.keysym.sym);
        if (vk) {
            if (down) desk.keysDown[vk] = true;
            else desk.keysDown.erase(vk);
            const bool alt = (SDL_GetModState() & KMOD_ALT) != 0;
            post(keyTarget(), down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : WM_KEYUP, WPARAM(vk), 0);
        }
        if (!down) return;
        if (typingIntoDialog()) {
            if (k.keysym.sym == SDLK_BACKSPACE) post(GetFocus(), WM_CHAR, 8, 0);
            return;
        }
        switch (k.keysym.sym) {
        case SDLK_BACKSPACE:
            // Whole UTF-8 characters go.
            while (!input_.empty() && (static_cast<unsigned char>(input_.back()) & 0xC0) == 0x80) input_.pop_back();
            if (!input_.empty()) input_.pop_back();
            break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            freshLine();
            sim::Desktop::get().print(prompt_ + input_ + "\n");
            if (!input_.empty()) history_.push_back(input_);
            historyAt_ = history_.size();
            submitted_ = std::exchange(input_, std::string());
            break;
        case SDLK_ESCAPE: input_.clear(); break;
        case SDLK_UP:
        case SDLK_DOWN:
            if (SDL_GetModState() & (KMOD_CTRL | KMOD_SHIFT | KMOD_ALT)) break;
            if (k.keysym.sym == SDLK_UP && historyAt_ > 0) input_ = history_[--historyAt_];
            if (k.keysym.sym == SDLK_DOWN && historyAt_ < history_.size())
                input_ = ++historyAt_ < history_.size() ? history_[historyAt_] : std::string();
            break;
        default: break;
        }
        dirty_ = true;
    }

    void text(const char* typed) {
        if (SDL_GetModState() & (KMOD_CTRL | KMOD_ALT)) return;
        if (typingIntoDialog()) {
            for (const char* c = typed; *c; ++c) post(GetFocus(), WM_CHAR, WPARAM(static_cast<unsigned char>(*c)), 0);
            return;
        }
        input_ += typed;
        dirty_ = true;
    }

    void dispatch(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT: quit_ = true; break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) resizeFrame(e.window.data1, e.window.data2);
            else if (e.window.event == SDL_WINDOWEVENT_LEAVE && hover_ && IsWindow(hover_)) {
                post(hover_, WM_MOUSELEAVE, 0, 0);
                hover_ = nullptr;
            } else {
                dirty_ = true;
            }
            break;
        case SDL_MOUSEMOTION: pointer(WM_MOUSEMOVE, e.motion.x, e.motion.y, e.motion.state); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            const Uint32 state = SDL_GetMouseState(nullptr, nullptr);
            UINT msg = 0;
            if (e.button.button == SDL_BUTTON_LEFT)
                msg = down ? (e.button.clicks == 2 ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
            else if (e.button.button == SDL_BUTTON_RIGHT) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            else if (e.button.button == SDL_BUTTON_MIDDLE) msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            if (msg) pointer(msg, e.button.x, e.button.y, state);
            break;
        }
        case SDL_MOUSEWHEEL: {
            if (e.wheel.y == 0) break;
            int x = 0, y = 0;
            const Uint32 state = SDL_GetMouseState(&x, &y);
            const WPARAM delta = WPARAM(std::uint16_t(std::int16_t(e.wheel.y * 120))) << 16;
            post(keyTarget(), WM_MOUSEWHEEL, delta | buttonFlags(state), pointParam(toScreen(x, y)));
            break;
        }
        case SDL_KEYDOWN:
        case SDL_KEYUP: key(e.key, e.type == SDL_KEYDOWN); break;
        case SDL_TEXTINPUT: text(e.text.text); break;
        default: break;
        }
    }

    // A loop of its own (a tracked menu, a message box): every event goes to `handle` until it
    // says the loop is done, or the window closes.
    void modalLoop(const std::function<bool(const SDL_Event&)>& handle) {
        bool done = false;
        while (!done && !quit_) {
            pull(true);
            while (!pending_.empty() && !done) {
                const SDL_Event e = pending_.front();
                pending_.pop_front();
                if (e.type == SDL_QUIT) quit_ = done = true;
                else done = handle(e);
            }
        }
        if (overlay_) DeleteDC(overlay_);
        overlay_ = nullptr;
        dirty_ = true;
    }

    // ---- Drag detection: the pointer leaves a small square around the press before release ----
    bool detectDrag(POINT screen) {
        const POINT start{screen.x - origin().x, screen.y - origin().y};
        size_t seen = 0;
        while (!quit_) {
            for (; seen < pending_.size(); ++seen) {
                const SDL_Event& e = pending_[seen];
                if (e.type == SDL_QUIT || e.type == SDL_MOUSEBUTTONUP) return false;
                if (e.type == SDL_MOUSEMOTION && (e.motion.state & SDL_BUTTON_LMASK) &&
                    (std::abs(e.motion.x - start.x) > kDragThreshold || std::abs(e.motion.y - start.y) > kDragThreshold))
                    return true;
            }
            pull(true);
        }
        return false;
    }

    // ---- Popup menus: shown over the screen; the pointer highlights, a release picks --------------
    std::optional<std::vector<size_t>> trackMenu(HMENU menu, POINT screen) {
        std::vector<size_t> open;
        POINT at{screen.x - origin().x, screen.y - origin().y};
        auto show = [&] {
            if (overlay_) DeleteDC(overlay_);
            overlay_ = sim::desk::renderMenuPicture(menu, open);
            int w = 0, h = 0, ww = 0, wh = 0;
            sim::gfx::canvasPixels(overlay_, &w, &h);
            SDL_GetWindowSize(window_, &ww, &wh);
            // Kept inside the window, as the desktop keeps a menu on the monitor.
            overlayAt_ = {std::max(0, std::min(int(at.x), ww - w)), std::max(0, std::min(int(at.y), wh - h))};
            render();
        };
        show();
        traceMenu(menu);
        bool armed = false;   // a release picks only after the pointer moved or pressed in the menu
        std::optional<std::vector<size_t>> result;
        auto rowAt = [&](int x, int y) {
            return sim::desk::menuRowAt(menu, open, POINT{x - overlayAt_.x, y - overlayAt_.y});
        };
        modalLoop([&](const SDL_Event& e) {
            if (e.type == SDL_MOUSEMOTION) {
                auto row = rowAt(e.motion.x, e.motion.y);
                if (row) armed = true;
                if (row && !(row->flags & MF_SEPARATOR) && row->path != open) {
                    open = row->path;
                    show();
                }
            } else if (e.type == SDL_MOUSEBUTTONDOWN) {
                armed = true;
                return !rowAt(e.button.x, e.button.y);   // a press outside dismisses
            } else if (e.type == SDL_MOUSEBUTTONUP && armed) {
                auto row = rowAt(e.button.x, e.button.y);
                if (!row || (row->flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED))) return false;
                if (row->flags & MF_POPUP) {
                    open = row->path;
                    show();
                    return false;
                }
                result = row->path;
                return true;
            } else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE) {
                return true;
            }
            return false;
        });
        return result;
    }

    // ---- Message boxes: drawn over the screen; a button click, Enter or Escape answers -----------
    int askBox(const std::string& caption, const std::string& text, UINT type, int defaultAnswer) {
        const auto buttons = sim::Desktop::boxButtons(type);
        static HFONT font = [] {
            LOGFONT lf;
            KvGetMessageFont(&lf);
            return CreateFontIndirect(&lf);
        }();
        std::vector<std::string> lines;
        for (size_t start = 0; start <= text.size();) {
            const size_t nl = text.find('\n', start);
            lines.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
            if (nl == std::string::npos) break;
            start = nl + 1;
        }
        constexpr int kCaption = 30, kLine = 20, kButtonW = 88, kButtonH = 26, kGap = 10;
        int width = int(buttons.size()) * (kButtonW + kGap) + 3 * kGap;
        for (const auto& line : lines) width = std::max(width, int(KvGetTextExtent(nullptr, font, line).cx) + 60);
        width = std::max(width, int(KvGetTextExtent(nullptr, font, caption).cx) + 60);
        const int height = kCaption + 24 + int(lines.size()) * kLine + 24 + kButtonH + 2 * kGap;
        std::vector<RECT> buttonRects;
        for (size_t i = 0; i < buttons.size(); ++i) {
            const int right = width - kGap - int(buttons.size() - 1 - i) * (kButtonW + kGap);
            buttonRects.push_back(RECT{right - kButtonW, height - kGap - kButtonH, right, height - kGap});
        }
        auto draw = [&](int pressed) {
            if (overlay_) DeleteDC(overlay_);
            overlay_ = KvCreateBufferDC(nullptr, width, height);
            FillSolidRect(overlay_, RECT{0, 0, width, height}, RGB(255, 255, 255));
            FillSolidRect(overlay_, RECT{0, height - 2 * kGap - kButtonH, width, height}, RGB(240, 240, 240));
            KvFrameRect(overlay_, RECT{0, 0, width, height}, KVPEN{PS_SOLID, 1, RGB(112, 112, 112)});
            RECT title{12, 0, width - 12, kCaption};
            DrawText(overlay_, caption, &title, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, font, RGB(0, 0, 0));
            int y = kCaption + 24;
            for (const auto& line : lines) {
                RECT r{30, y, width - 30, y + kLine};
                DrawText(overlay_, line, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, font, RGB(0, 0, 0));
                y += kLine;
            }
            for (size_t i = 0; i < buttons.size(); ++i) {
                const RECT& b = buttonRects[i];
                const bool isDefault = buttons[i].second == defaultAnswer;
                FillSolidRect(overlay_, b, int(i) == pressed ? RGB(204, 228, 247) : RGB(225, 225, 225));
                KvFrameRect(overlay_, b, KVPEN{PS_SOLID, isDefault ? 2 : 1, isDefault ? RGB(0, 120, 215) : RGB(173, 173, 173)});
                RECT label = b;
                DrawText(overlay_, buttons[i].first, &label, DT_SINGLELINE | DT_VCENTER | DT_CENTER, font, RGB(0, 0, 0));
            }
            int ww = 0, wh = 0;
            SDL_GetWindowSize(window_, &ww, &wh);
            overlayAt_ = {std::max(0, (ww - width) / 2), std::max(0, (wh - height) / 2)};
            render();
        };
        draw(-1);
        for (size_t i = 0; i < buttons.size(); ++i)
            trace("box-button " + std::to_string(overlayAt_.x + (buttonRects[i].left + buttonRects[i].right) / 2) + "," +
                  std::to_string(overlayAt_.y + (buttonRects[i].top + buttonRects[i].bottom) / 2) + " " + buttons[i].first);
        auto buttonAt = [&](int x, int y) {
            for (size_t i = 0; i < buttonRects.size(); ++i) {
                const RECT& b = buttonRects[i];
                if (x - overlayAt_.x >= b.left && x - overlayAt_.x < b.right && y - overlayAt_.y >= b.top &&
                    y - overlayAt_.y < b.bottom)
                    return int(i);
            }
            return -1;
        };
        int answer = defaultAnswer, pressed = -1;
        modalLoop([&](const SDL_Event& e) {
            if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
                pressed = buttonAt(e.button.x, e.button.y);
                if (pressed >= 0) draw(pressed);
            } else if (e.type == SDL_MOUSEBUTTONUP && e.button.button == SDL_BUTTON_LEFT && pressed >= 0) {
                // A button acts when the press and the release are both on it.
                if (buttonAt(e.button.x, e.button.y) == pressed) {
                    answer = buttons[size_t(pressed)].second;
                    return true;
                }
                pressed = -1;
                draw(-1);
            } else if (e.type == SDL_KEYDOWN && (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER)) {
                return true;
            } else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE) {
                // Escape is Cancel where the box has one, OK for a box with OK alone; a Yes/No
                // box waits for one of its buttons.
                for (const auto& [name, id] : buttons) {
                    if (id == IDCANCEL || buttons.size() == 1) {
                        answer = id;
                        return true;
                    }
                }
            }
            return false;
        });
        return answer;
    }

    // ---- Trace for tests (KV_WINDOW_TRACE): where things are, on standard error -------------------
    void trace(const std::string& line) const {
        if (std::getenv("KV_WINDOW_TRACE")) std::cerr << "window: " << line << std::endl;
    }

    void traceTabs() {
        if (!std::getenv("KV_WINDOW_TRACE")) return;
        HWND tabs = sim::desk::findByClass(acedGetAcadFrame(), WC_TABCONTROL);
        std::string line = "tabs";
        const int n = tabs ? int(SendMessage(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < n; ++i) {
            RECT r;
            if (!SendMessage(tabs, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r))) continue;
            POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            ClientToScreen(tabs, &p);
            line += " " + std::to_string(p.x - origin().x) + "," + std::to_string(p.y - origin().y);
        }
        if (line != lastTabs_) trace(lastTabs_ = line);
        HWND dialog = sim::desk::topDialog();
        RECT r{};
        if (dialog) GetWindowRect(dialog, &r);
        const std::string where = dialog ? "dialog at " + std::to_string(r.left - origin().x) + "," +
                                               std::to_string(r.top - origin().y) + " " + GetWindowText(dialog)
                                         : "";
        if (where != lastDialog_ && !where.empty()) trace(where);
        lastDialog_ = where;
        const bool tip = !WindowManager::get().topmostWindows().empty();
        if (tip && !tipShown_) trace("tooltip shown");
        tipShown_ = tip;
    }

    void traceMenu(HMENU menu) const {
        if (!std::getenv("KV_WINDOW_TRACE")) return;
        std::string last;
        for (int y = 0; y < 2000; ++y) {
            auto row = sim::desk::menuRowAt(menu, {}, POINT{10, y});
            if (!row && y > 4) break;
            if (!row || row->text == last) continue;
            last = row->text;
            trace("menu-row " + std::to_string(overlayAt_.x + 30) + "," + std::to_string(overlayAt_.y + y + 8) + " " + row->text);
        }
    }

    sim::script::Runner& runner_;
    SDL_Window* window_;
    std::deque<SDL_Event> pending_;
    std::string prompt_, input_;
    std::optional<std::string> submitted_;
    std::vector<std::string> history_;
    size_t historyAt_ = 0;
    bool quit_ = false;
    bool dirty_ = true;
    Uint32 lastRender_ = 0;
    HWND hover_ = nullptr;
    HDC overlay_ = nullptr;
    POINT overlayAt_{};
    std::string lastTabs_, lastDialog_;
    bool tipShown_ = false;
};

}  // namespace

bool liveWindowBuilt() { return true; }

bool runLiveWindow(sim::script::Runner& runner, int width, int height) {
    // The picture is composed by the simulator: the window system's own surface is enough, no
    // accelerated renderer (and no graphics driver) behind it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "korvane-host: cannot open a window: " << SDL_GetError() << "\n";
        return false;
    }
    SDL_Window* window = SDL_CreateWindow("Korvane host", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                          SDL_WINDOW_RESIZABLE);
    if (!window) {
        std::cerr << "korvane-host: cannot open a window: " << SDL_GetError() << "\n";
        SDL_Quit();
        return false;
    }
    SDL_SetWindowMinimumSize(window, 480, 320);
    SDL_StartTextInput();
    {
        LiveWindow live(runner, window);
        live.install();
        live.run();
        live.uninstall();
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return true;
}

}  // namespace kvapp

#endif
