// The simulated window manager: windows and their procedures, the posted-message queue that host
// window messages pass through (filters first), timers on the desktop clock, the host frame.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "win/window.h"

namespace sim::desk {

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;             // in parent client coordinates (screen coordinates for top-level windows)
    HWND parent = nullptr;
    UINT id = 0;
    bool visible = false;
    bool enabled = true;
    bool destroyed = false;
    WindowProc proc;
    HMENU systemMenu = nullptr;
    LONG_PTR userData = 0;
    RECT frame;            // non-client insets (caption and borders) around the client area
    std::map<int, LONG_PTR> extra;   // window extra values (DWLP_MSGRESULT, DWLP_USER, ...)
    std::vector<HWND> children;   // in z-order, bottom first
};

class WindowManager {
public:
    static WindowManager& get();

    HWND create(const CREATEWINDOW& params);
    bool destroy(HWND wnd);
    Window* find(HWND wnd);
    LRESULT send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    bool post(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    // Dispatches posted messages until the queue is empty; each passes the filters first.
    void pump();
    size_t pendingMessages() const;
    // Window procedures and message filters running on this thread: above zero, whatever called
    // the desktop is still inside a message handler and not back at the message loop.
    static int dispatchDepth();

    // Message filters (the host's acedRegisterFilterWinMsg).
    using Filter = bool (*)(MSG*);
    bool addFilter(Filter f);
    bool removeFilter(Filter f);
    size_t filterCount() const { return filters_.size(); }

    // Timers.
    UINT_PTR setTimer(HWND wnd, UINT_PTR id, UINT elapse);
    bool killTimer(HWND wnd, UINT_PTR id);
    bool hasTimer(HWND wnd, UINT_PTR id) const;
    void fireDueTimers(std::uint64_t nowMs);

    // Window classes the desktop implements (controls).
    bool registerClass(const std::string& name, WindowProc proc);
    WindowProc classProc(const std::string& name) const;
    // The registered spelling of a class name (names compare without regard to case).
    std::string canonicalClassName(const std::string& name) const;

    HWND capture = nullptr;
    // The canvas of the WM_PAINT in progress for a window (BeginPaint hands it out).
    std::map<HWND, struct HDC__*> paintDCs;

    // Visible top-level windows that stay above the others (WS_EX_TOPMOST: tooltips), oldest first.
    std::vector<HWND> topmostWindows();
    // Visible top-level windows other than the frame and the topmost ones (dialogs), oldest first.
    std::vector<HWND> popupWindows();

    // The host frame and its drawing view, created on first use.
    HWND frame();
    HWND drawingView();

    // Back to an empty desktop (tests).
    void reset();

private:
    WindowManager();
    struct Timer { HWND wnd; UINT_PTR id; UINT elapse; std::uint64_t due; };
    std::map<HWND, std::unique_ptr<Window>> windows_;
    std::map<std::string, WindowProc> classes_;
    std::deque<MSG> queue_;
    std::vector<Filter> filters_;
    std::vector<Timer> timers_;
    std::uintptr_t nextHandle_ = 0x10010;
    HWND frame_ = nullptr;
    HWND view_ = nullptr;
    mutable std::recursive_mutex mutex_;
};

// Forgets the state of dialogs, controls, menus tracked and scripted answers (WindowManager::reset).
void resetDialogs();

// Paints the window and its visible children into a new canvas of the window's size, as the
// screen would show it (the caller deletes it with DeleteDC).
struct HDC__* renderWindow(HWND wnd);
// Renders the window to a PNG file; false when it cannot be written.
bool snapshotWindow(HWND wnd, const std::string& path);
// The screen over the frame's rectangle as a person sees it: the frame, the dialogs over it and the
// topmost popups (tooltips) over those. The caller deletes it with DeleteDC.
struct HDC__* renderScreen();
// The command line's prompt and what the person is typing after it, shown as its last line below
// the output (the live window).
std::function<std::string()>& commandLineInput();

// The frame's areas as the frame lays them out: docked bars around the drawing area, the command
// line and the status bar at the bottom.
struct FrameAreas {
    std::vector<std::pair<HWND, RECT>> bars;
    RECT drawingArea, commandLine, statusBar;
};
FrameAreas frameAreas();
// The status bar's progress meter (set by the host): label and fraction done, or nothing.
struct StatusProgress {
    bool shown = false;
    std::string label;
    double fraction = 0;
};
std::function<StatusProgress()>& statusProgress();
// The host's handling of command messages to its frame (File Close, ...); true when handled.
std::function<bool(UINT command)>& frameCommandHandler();
// Told when the frame has moved (true) or changed size (false), as the host tells its editor
// reactors (set by the host).
std::function<void(bool moved)>& frameMovedHandler();
// Paints the drawing area (set by the host: the current drawing).
std::function<void(struct HDC__*, const RECT&)>& drawingAreaPainter();
// The right-click menu of the drawing area (set by the host), opened on a right button release
// over the drawing view at the given screen point.
std::function<void(POINT screen)>& drawingContextMenu();
// Applies delayed bar visibility and moves the bars and the drawing view into place.
void layoutFrame();
inline constexpr UINT kFrameLayoutMessage = WM_USER + 0x7E0;

// The input method's modes (the plug-in may switch them back to alphanumeric).
void setImeModes(DWORD conversion, DWORD sentence);
DWORD imeConversionMode();

// Monitors: count, device names and colour depth; one by default.
struct MonitorSpec { std::string device; RECT rect; DWORD bitsPerPixel = 32; };
void setMonitors(const std::vector<MonitorSpec>& monitors);
void setMonitorCount(int count);   // n side by side, 1920x1080 each, 32 bits
const std::vector<MonitorSpec>& monitors();

// Menus: a readable dump, one line per item (used by @sysmenu and @menu-dump).
std::string dumpMenu(HMENU menu, int indent = 0);
// Destroys every menu (tests, reset).
void resetMenus();

}  // namespace sim::desk

namespace sim::script { class Runner; }
namespace sim::desk {
void registerDeskVerbs(sim::script::Runner& runner);
// The first visible window of a class at or below `root`, depth first; null when none.
HWND findByClass(HWND root, const std::string& className);
// Named windows that @snapshot can picture besides the frame ("bar", "dialog"): each part of the
// desktop that owns such a window registers how to find it.
std::map<std::string, std::function<HWND()>>& snapshotTargets();
}
