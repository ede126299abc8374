// Windows and messages in Win32 shape. Message numbers keep their Win32 values.
#pragma once
#include <functional>
#include "win/types.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_MOUSELEAVE = 0x02A3;
constexpr UINT WM_USER = 0x0400;

// Window styles, with their Win32 values.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NCPAINT = 0x0085;   // wParam: the canvas of the whole window (frame included)

// The header of every WM_NOTIFY message (lParam points to it, or to a larger record that starts
// with it).
struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};
constexpr UINT NM_CLICK = UINT(-2);
constexpr UINT NM_DBLCLK = UINT(-3);
constexpr UINT NM_RETURN = UINT(-4);
constexpr UINT NM_RCLICK = UINT(-5);
constexpr UINT NM_SETFOCUS = UINT(-7);
constexpr UINT NM_KILLFOCUS = UINT(-8);
constexpr UINT NM_CUSTOMDRAW = UINT(-12);

constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return WPARAM(low) | (WPARAM(high) << 16); }

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

// A window procedure. Windows created by the plug-in get one; the desktop calls it for every
// message sent or posted to the window.
using WindowProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

struct CREATEWINDOW {
    std::string className;   // "KvWindow" for plain windows, or a common control class name
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;
    HWND parent = nullptr;
    UINT id = 0;
    WindowProc proc;         // may be empty for controls the desktop implements
};
HWND CreateWindowEx(const CREATEWINDOW& params);
BOOL DestroyWindow(HWND wnd);
BOOL IsWindow(HWND wnd);

LRESULT SendMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
BOOL ShowWindow(HWND wnd, int cmd);
BOOL IsWindowVisible(HWND wnd);
BOOL EnableWindow(HWND wnd, BOOL enable);
BOOL IsWindowEnabled(HWND wnd);
BOOL GetWindowRect(HWND wnd, RECT* rect);
BOOL GetClientRect(HWND wnd, RECT* rect);
BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowText(HWND wnd, const std::string& text);
std::string GetWindowText(HWND wnd);
HWND GetParent(HWND wnd);
HWND GetDesktopWindow();
BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND wnd);

// Styles and the window's user data.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_ID = -12;
constexpr int GWLP_USERDATA = -21;
LONG_PTR GetWindowLongPtr(HWND wnd, int index);
LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value);
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND wnd);
// The window's class name (a control's class, "KvWindow" for plain windows); 0 for no window.
int GetClassName(HWND wnd, std::string* className);
HWND GetWindow(HWND wnd, UINT cmd);   // GW_CHILD (5) first child, GW_HWNDNEXT (2) next sibling
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_CHILD = 5;
HWND SetParent(HWND child, HWND newParent);
BOOL ScreenToClient(HWND wnd, POINT* pt);
BOOL ClientToScreen(HWND wnd, POINT* pt);
HWND WindowFromPoint(POINT screen);
HWND SetCapture(HWND wnd);
BOOL ReleaseCapture();
HWND GetCapture();

// Painting. A window paints into the canvas BeginPaint hands it during WM_PAINT; the desktop
// composes children over their parents. Controls the desktop implements paint themselves.
struct HDC__;
struct PAINTSTRUCT {
    HDC__* hdc = nullptr;
    RECT rcPaint;
};
HDC__* BeginPaint(HWND wnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps);

// Window classes implemented by the desktop (controls) are looked up by name when a window is
// created without a procedure. Returns false when the class exists already.
BOOL KvRegisterWindowClass(const std::string& className, WindowProc proc);

// Timers run on the desktop's clock.
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs, void* unused);
BOOL KillTimer(HWND wnd, UINT_PTR id);

// Window placement on a monitor.
BOOL SetWindowPos(HWND wnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
