// Script verbs of the desktop: the frame's system menu and the monitors.
#include "arx/aced.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/process.h"
#include "sim/desk/windows.h"
#include "sim/script/runner.h"
#include <cctype>
#include <filesystem>
#include "win/input.h"
#include "win/shell.h"
#include "win/system.h"
#include "win/menu.h"
#include "win/monitor.h"
#include "win/tabctrl.h"

namespace sim::desk {

void registerDropVerbs(script::Runner& runner);   // dropfiles.cpp

std::map<std::string, std::function<HWND()>>& snapshotTargets() {
    static std::map<std::string, std::function<HWND()>> targets;
    return targets;
}

// The first visible window of a class below `root`, depth first.
HWND findByClass(HWND root, const std::string& className) {
    auto* w = WindowManager::get().find(root);
    if (!w) return nullptr;
    if (w->className == className && IsWindowVisible(root)) return root;
    for (HWND child : std::vector<HWND>(w->children))
        if (HWND found = findByClass(child, className)) return found;
    return nullptr;
}

// A mouse click on tab N of the tab strip, with modifier keys held: the pointer moves to the
// middle of the tab and the button messages go through the message queue (and its filters).
void clickTab(const script::Args& a, UINT down, UINT up) {
    if (a.empty()) throw script::VerbError("usage: @click N [ctrl|shift]");
    WindowManager::get().pump();   // a bar shown at the frame's next layout is there first
    HWND tabs = findByClass(acedGetAcadFrame(), WC_TABCONTROL);
    if (!tabs) throw script::VerbError("no tab strip is shown");
    RECT r;
    if (!SendMessage(tabs, TCM_GETITEMRECT, WPARAM(std::stoi(a[0])), reinterpret_cast<LPARAM>(&r)))
        throw script::VerbError("no tab " + a[0]);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (a.size() > 1 && a[1].rfind("at=", 0) == 0) {
        auto comma = a[1].find(',');
        pt = {r.left + std::stoi(a[1].substr(3, comma - 3)), r.top + std::stoi(a[1].substr(comma + 1))};
    }
    auto& desk = Desktop::get();
    for (size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "ctrl") desk.keysDown[VK_CONTROL] = true;
        if (a[i] == "shift") desk.keysDown[VK_SHIFT] = true;
    }
    POINT screen = pt;
    ClientToScreen(tabs, &screen);
    desk.cursor = screen;
    const LPARAM at = LPARAM((pt.y << 16) | (pt.x & 0xFFFF));
    PostMessage(tabs, down, 0, at);
    PostMessage(tabs, up, 0, at);
    WindowManager::get().pump();
    desk.keysDown.clear();
}

// Puts the pointer over the tab bar (its middle) or the drawing area.
void pointerOver(const std::string& place) {
    HWND target = place == "drawing" ? acedGetAcadDwgView() : findByClass(acedGetAcadFrame(), WC_TABCONTROL);
    if (!target) throw script::VerbError("nothing to point at as '" + place + "'");
    RECT r;
    GetWindowRect(target, &r);
    Desktop::get().cursor = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// "Ctrl+Shift+Right" into the keys held and the key pressed.
int parseKey(const std::string& chord, std::vector<int>* held) {
    static const std::map<std::string, int> names = {
        {"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Up", VK_UP}, {"Down", VK_DOWN}, {"Tab", VK_TAB},
        {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Escape", VK_ESCAPE}, {"Home", VK_HOME}, {"End", VK_END},
        {"Ctrl", VK_CONTROL}, {"Shift", VK_SHIFT}};
    size_t start = 0;
    while (true) {
        const size_t plus = chord.find('+', start);
        const std::string part = chord.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (plus == std::string::npos) {
            if (auto it = names.find(part); it != names.end()) return it->second;
            if (part.size() == 1 && std::isalnum(static_cast<unsigned char>(part[0])))
                return std::toupper(static_cast<unsigned char>(part[0]));
            throw script::VerbError("unknown key '" + part + "'");
        }
        if (part == "Ctrl") held->push_back(VK_CONTROL);
        else if (part == "Shift") held->push_back(VK_SHIFT);
        else throw script::VerbError("unknown modifier '" + part + "'");
        start = plus + 1;
    }
}

// One key going down or up: the key state changes first (GetKeyState reads it while the message is
// handled), then the message goes through the queue and its filters to the window with the focus.
void keyEvent(int key, bool down) {
    auto& desk = Desktop::get();
    if (down) desk.keysDown[key] = true;
    else desk.keysDown.erase(key);
    PostMessage(GetFocus() ? GetFocus() : acedGetAcadFrame(), down ? WM_KEYDOWN : WM_KEYUP, WPARAM(key), 0);
    WindowManager::get().pump();
}

// @key CHORD [CHORD...]: the modifiers of the first chord go down first and stay down until every
// chord is pressed; a later chord's own modifiers are held for that press only.
void pressKeys(const script::Args& a) {
    std::vector<std::string> chords;
    std::map<std::string, std::string> opt;
    for (const auto& arg : a) {
        const size_t eq = arg.find('=');
        if (eq == std::string::npos) chords.push_back(arg);
        else opt[arg.substr(0, eq)] = arg.substr(eq + 1);
    }
    if (chords.empty()) throw script::VerbError("usage: @key KEYS [KEYS...] [over=bar|drawing]");
    std::vector<std::pair<int, std::vector<int>>> presses;
    for (const auto& chord : chords) {
        std::vector<int> held;
        const int key = parseKey(chord, &held);
        presses.emplace_back(key, held);
    }
    WindowManager::get().pump();
    pointerOver(opt.count("over") ? opt.at("over") : "drawing");
    auto& desk = Desktop::get();
    const std::vector<int> outer = presses.front().second;
    for (int k : outer)
        if (!desk.keysDown.count(k)) keyEvent(k, true);
    for (const auto& [key, held] : presses) {
        std::vector<int> own;
        for (int k : held)
            if (!desk.keysDown.count(k)) own.push_back(k);
        for (int k : own) keyEvent(k, true);
        keyEvent(key, true);
        keyEvent(key, false);
        for (auto it = own.rbegin(); it != own.rend(); ++it) keyEvent(*it, false);
    }
    for (auto it = outer.rbegin(); it != outer.rend(); ++it)
        if (desk.keysDown.count(*it)) keyEvent(*it, false);
}

// Drags tab FROM and drops it past the middle of tab TO.
void dragTab(const script::Args& a) {
    if (a.size() != 2) throw script::VerbError("usage: @drag FROM TO");
    WindowManager::get().pump();
    HWND tabs = findByClass(acedGetAcadFrame(), WC_TABCONTROL);
    if (!tabs) throw script::VerbError("no tab strip is shown");
    RECT from, to;
    if (!SendMessage(tabs, TCM_GETITEMRECT, WPARAM(std::stoi(a[0])), reinterpret_cast<LPARAM>(&from)) ||
        !SendMessage(tabs, TCM_GETITEMRECT, WPARAM(std::stoi(a[1])), reinterpret_cast<LPARAM>(&to)))
        throw script::VerbError("no such tab");
    const bool vertical = (GetWindowLongPtr(tabs, GWL_STYLE) & TCS_VERTICAL) != 0;
    const POINT start{(from.left + from.right) / 2, (from.top + from.bottom) / 2};
    // Moving forward the pointer rests past TO's middle (the tab lands after TO); moving back it
    // rests before the middle (the tab takes TO's place).
    const bool forward = std::stoi(a[1]) > std::stoi(a[0]);
    const POINT drop = vertical ? POINT{(to.left + to.right) / 2,
                                        forward ? to.bottom - to.Height() / 4 : to.top + to.Height() / 4}
                                : POINT{forward ? to.right - to.Width() / 4 : to.left + to.Width() / 4,
                                        (to.top + to.bottom) / 2};
    auto& desk = Desktop::get();
    auto at = [](POINT p) { return LPARAM((p.y << 16) | (p.x & 0xFFFF)); };
    desk.dragComing = true;
    PostMessage(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at(start));
    PostMessage(tabs, WM_MOUSEMOVE, MK_LBUTTON, at(drop));
    PostMessage(tabs, WM_LBUTTONUP, 0, at(drop));
    WindowManager::get().pump();
    desk.dragComing = false;
}

// @hover N [ms=MS]: the pointer moves onto the middle of tab N and rests there for MS
// milliseconds of the clock (500 unless given), so that timers such as a tooltip's delay run.
// @hover off: the pointer leaves the tab strip for the drawing area.
void hoverTab(const script::Args& a) {
    if (a.empty() || a.size() > 2) throw script::VerbError("usage: @hover N [ms=MS] | @hover off");
    WindowManager::get().pump();
    HWND tabs = findByClass(acedGetAcadFrame(), WC_TABCONTROL);
    if (!tabs) throw script::VerbError("no tab strip is shown");
    auto& desk = Desktop::get();
    if (a[0] == "off") {
        pointerOver("drawing");
        PostMessage(tabs, WM_MOUSELEAVE, 0, 0);
        WindowManager::get().pump();
        return;
    }
    RECT r;
    if (!SendMessage(tabs, TCM_GETITEMRECT, WPARAM(std::stoi(a[0])), reinterpret_cast<LPARAM>(&r)))
        throw script::VerbError("no tab " + a[0]);
    const auto opt = script::Runner::options(a, 1);
    const long rest = opt.count("ms") ? std::stol(opt.at("ms")) : 500;
    if (rest < 0) throw script::VerbError("ms must not be negative");
    const POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT screen = pt;
    ClientToScreen(tabs, &screen);
    desk.cursor = screen;
    PostMessage(tabs, WM_MOUSEMOVE, 0, LPARAM((pt.y << 16) | (pt.x & 0xFFFF)));
    WindowManager::get().pump();
    desk.advance(std::uint64_t(rest));
    WindowManager::get().pump();
}

void registerDeskVerbs(script::Runner& runner) {
    runner.addVerb("hover", [](script::Runner&, const script::Args& a) { hoverTab(a); },
                   "@hover N [ms=MS] | @hover off   (rest the pointer on tab N; a tooltip shows after its delay)");
    snapshotTargets()["tooltip"] = [] {
        const auto tops = WindowManager::get().topmostWindows();
        return tops.empty() ? HWND(nullptr) : tops.back();
    };
    registerProcessVerbs(runner);
    registerDropVerbs(runner);
    runner.addVerb("drag", [](script::Runner&, const script::Args& a) { dragTab(a); }, "@drag FROM TO");
    runner.addVerb("key", [](script::Runner&, const script::Args& a) { pressKeys(a); },
                   "@key KEYS [KEYS...] [over=bar|drawing]   (Ctrl+Right, Shift+Up, Ctrl+Tab Tab, ...)");
    for (const bool down : {true, false}) {
        runner.addVerb(down ? "keydown" : "keyup", [down](script::Runner&, const script::Args& a) {
            if (a.empty() || a.size() > 2) throw script::VerbError(down ? "usage: @keydown KEY [over=bar|drawing]"
                                                                        : "usage: @keyup KEY [over=bar|drawing]");
            std::vector<int> held;
            const int key = parseKey(a[0], &held);
            if (!held.empty()) throw script::VerbError("one key at a time: '" + a[0] + "'");
            WindowManager::get().pump();
            const auto opt = script::Runner::options(a, 1);
            if (opt.count("over")) pointerOver(opt.at("over"));
            else if (down && Desktop::get().keysDown.empty()) pointerOver("drawing");
            keyEvent(key, down);
        }, down ? "@keydown KEY [over=bar|drawing]   (holds the key down until @keyup KEY)" : "@keyup KEY");
    }
    runner.addVerb("memory", [](script::Runner&, const script::Args& a) {
        if (a.size() == 1 && a[0] == "real") {
            Desktop::get().memoryStatus.reset();
            return;
        }
        const auto opt = script::Runner::options(a, 0);
        if (opt.empty()) throw script::VerbError("usage: @memory total=BYTES free=BYTES virtual=BYTES load=PERCENT | real");
        MEMORYSTATUSEX m;
        GlobalMemoryStatusEx(&m);
        for (const auto& [key, value] : opt) {
            const ULONGLONG n = std::stoull(value);
            if (key == "total") m.ullTotalPhys = n;
            else if (key == "free") m.ullAvailPhys = n;
            else if (key == "virtual") m.ullAvailVirtual = n;
            else if (key == "load") m.dwMemoryLoad = DWORD(n);
            else throw script::VerbError("unknown memory value '" + key + "'");
        }
        Desktop::get().memoryStatus = m;
    }, "@memory total=BYTES free=BYTES virtual=BYTES load=PERCENT | real");
    runner.addVerb("wheel", [](script::Runner&, const script::Args& a) {
        if (a.empty()) throw script::VerbError("usage: @wheel +1|-1 [over=bar|drawing]");
        WindowManager::get().pump();
        const auto opt = script::Runner::options(a, 1);
        pointerOver(opt.count("over") ? opt.at("over") : "bar");
        const int notches = std::stoi(a[0]);
        const WPARAM delta = WPARAM(std::uint16_t(std::int16_t(notches * 120))) << 16;
        PostMessage(GetFocus() ? GetFocus() : acedGetAcadFrame(), WM_MOUSEWHEEL, delta, 0);
        WindowManager::get().pump();
    }, "@wheel +1|-1 [over=bar|drawing]");
    runner.addVerb("click", [](script::Runner&, const script::Args& a) { clickTab(a, WM_LBUTTONDOWN, WM_LBUTTONUP); },
                   "@click N [ctrl|shift] [at=X,Y]");
    runner.addVerb("drawing-menu", [](script::Runner&, const script::Args& a) {
        if (!a.empty()) throw script::VerbError("usage: @drawing-menu");
        WindowManager::get().pump();
        pointerOver("drawing");
        HWND view = acedGetAcadDwgView();
        RECT r;
        GetClientRect(view, &r);
        const LPARAM at = LPARAM(((r.Height() / 2) << 16) | ((r.Width() / 2) & 0xFFFF));
        PostMessage(view, WM_RBUTTONDOWN, MK_RBUTTON, at);
        PostMessage(view, WM_RBUTTONUP, 0, at);
        WindowManager::get().pump();
    }, "@drawing-menu   (the right-click menu of the drawing area)");
    runner.addVerb("rclick", [](script::Runner&, const script::Args& a) { clickTab(a, WM_RBUTTONDOWN, WM_RBUTTONUP); },
                   "@rclick N");
    runner.addVerb("mclick", [](script::Runner&, const script::Args& a) { clickTab(a, WM_MBUTTONDOWN, WM_MBUTTONUP); },
                   "@mclick N");
    snapshotTargets()["bar"] = [] {
        const FrameAreas a = frameAreas();
        return a.bars.empty() ? HWND(nullptr) : a.bars.front().first;
    };
    runner.addVerb("sysmenu", [](script::Runner&, const script::Args&) {
        WindowManager::get().pump();
        Desktop::get().print(dumpMenu(GetSystemMenu(acedGetAcadFrame(), FALSE)));
    }, "@sysmenu");
    runner.addVerb("monitors", [](script::Runner&, const script::Args& a) {
        if (a.size() != 1) throw script::VerbError("usage: @monitors N");
        int n = std::stoi(a[0]);
        if (n < 1 || n > 8) throw script::VerbError("monitor count must be 1 to 8");
        setMonitorCount(n);
    }, "@monitors N");
    runner.addVerb("snapshot", [](script::Runner&, const script::Args& a) {
        if (a.empty() || a.size() > 2) throw script::VerbError("usage: @snapshot FILE.png [frame]");
        WindowManager::get().pump();
        if (a.size() == 2 && a[1] == "menu") {
            if (!writeLastMenuPicture(a[0])) throw script::VerbError("no menu has been opened to picture");
            Desktop::get().print("snapshot " + a[0] + "\n");
            return;
        }
        HWND target = acedGetAcadFrame();
        if (a.size() == 2 && a[1] != "frame") {
            auto named = snapshotTargets().find(a[1]);
            if (named == snapshotTargets().end()) throw script::VerbError("nothing to picture as '" + a[1] + "'");
            target = named->second();
            if (!target) throw script::VerbError("no " + a[1] + " window is there to picture");
        }
        if (!snapshotWindow(target, a[0])) throw script::VerbError("cannot write " + a[0]);
        Desktop::get().print("snapshot " + a[0] + "\n");
    }, "@snapshot FILE.png [frame|bar|dialog|menu|tooltip]");
    runner.addVerb("ime", [](script::Runner&, const script::Args& a) {
        if (a.size() != 1 || (a[0] != "native" && a[0] != "alpha"))
            throw script::VerbError("usage: @ime native|alpha");
        setImeModes(a[0] == "native" ? 1 : 0, 0);
    }, "@ime native|alpha");
    runner.addVerb("frame", [](script::Runner&, const script::Args& a) {
        HWND frame = acedGetAcadFrame();
        Window* w = WindowManager::get().find(frame);
        if (!w) throw script::VerbError("the host has no frame");
        if (a.size() == 4) {
            int v[4];
            for (int i = 0; i < 4; ++i) {
                try {
                    v[i] = std::stoi(a[size_t(i)]);
                } catch (const std::exception&) {
                    throw script::VerbError("'" + a[size_t(i)] + "' is no number");
                }
            }
            if (v[2] < 0 || v[3] < 0) throw script::VerbError("a frame has no negative size");
            w->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
            MoveWindow(frame, v[0], v[1], v[2], v[3], TRUE);
        } else if (a.size() == 1 && (a[0] == "max" || a[0] == "min" || a[0] == "normal")) {
            w->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
            if (a[0] == "max") {
                // A maximised frame covers the work area of the monitor it is on.
                MONITORINFOEX info;
                if (GetMonitorInfo(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &info)) {
                    const RECT& r = info.rcWork;
                    MoveWindow(frame, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
                }
                w->style |= WS_MAXIMIZE;
            } else if (a[0] == "min") {
                w->style |= WS_MINIMIZE;
            }
        } else if (a.size() == 1 && (a[0] == "show" || a[0] == "hide")) {
            ShowWindow(frame, a[0] == "show" ? SW_SHOW : SW_HIDE);
        } else if (!a.empty()) {
            throw script::VerbError("usage: @frame [X Y WIDTH HEIGHT | max | min | normal | show | hide]");
        }
        WindowManager::get().pump();
        RECT r;
        GetWindowRect(frame, &r);
        Desktop::get().print("frame " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                             std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
                             ((w->style & WS_MAXIMIZE) ? " maximized" : (w->style & WS_MINIMIZE) ? " minimized" : "") +
                             (IsWindowVisible(frame) ? "" : " hidden") + "\n");
    }, "@frame [X Y WIDTH HEIGHT | max | min | normal | show | hide]");
    runner.addVerb("syscommand", [](script::Runner&, const script::Args& a) {
        if (a.size() != 1) throw script::VerbError("usage: @syscommand ID");
        PostMessage(acedGetAcadFrame(), WM_SYSCOMMAND, WPARAM(std::stoul(a[0])), 0);
        WindowManager::get().pump();
    }, "@syscommand ID");
}

}  // namespace sim::desk
