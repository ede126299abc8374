// The tab common control ("SysTabControl32") and its scroll arrows ("msctls_updown32"), in
// Win32 shape. Text is UTF-8.
#pragma once
#include "win/controls.h"
#include "win/window.h"

inline constexpr const char* WC_TABCONTROL = "SysTabControl32";

// Styles.
constexpr DWORD TCS_BOTTOM = 0x0002;
constexpr DWORD TCS_RIGHT = 0x0002;
constexpr DWORD TCS_VERTICAL = 0x0080;
constexpr DWORD TCS_MULTILINE = 0x0200;
constexpr DWORD TCS_FIXEDWIDTH = 0x0400;
constexpr DWORD TCS_FOCUSNEVER = 0x8000;
constexpr DWORD TCS_OWNERDRAWFIXED = 0x2000;
constexpr DWORD TCS_TOOLTIPS = 0x4000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;

// Messages.
constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_GETITEM = TCM_FIRST + 60;
constexpr UINT TCM_SETITEM = TCM_FIRST + 61;
constexpr UINT TCM_INSERTITEM = TCM_FIRST + 62;
constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr UINT TCM_GETITEMRECT = TCM_FIRST + 10;
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;
constexpr UINT TCM_HITTEST = TCM_FIRST + 13;
constexpr UINT TCM_SETITEMSIZE = TCM_FIRST + 41;
constexpr UINT TCM_SETPADDING = TCM_FIRST + 43;
constexpr UINT TCM_GETROWCOUNT = TCM_FIRST + 44;
constexpr UINT TCM_SETMINTABWIDTH = TCM_FIRST + 49;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_CAPTURECHANGED = 0x0215;

constexpr UINT TCIF_TEXT = 0x0001;
constexpr UINT TCIF_IMAGE = 0x0002;
constexpr UINT TCIF_PARAM = 0x0008;
constexpr UINT TCIF_STATE = 0x0010;

struct TCITEM {
    UINT mask = 0;
    DWORD dwState = 0;
    DWORD dwStateMask = 0;
    std::string text;   // TCIF_TEXT
    int iImage = -1;
    LPARAM lParam = 0;  // TCIF_PARAM
};

constexpr UINT TCHT_NOWHERE = 0x0001;
constexpr UINT TCHT_ONITEM = 0x0006;
struct TCHITTESTINFO {
    POINT pt;
    UINT flags = 0;
};

// Notifications (WM_NOTIFY to the parent; lParam points to an NMHDR, win/window.h).
constexpr UINT TCN_SELCHANGE = UINT(-551);
constexpr UINT TCN_SELCHANGING = UINT(-552);   // a non-zero answer refuses the change

// Owner drawing (WM_DRAWITEM to the parent for TCS_OWNERDRAWFIXED).
constexpr UINT ODT_TAB = 101;
constexpr UINT ODT_STATIC = 5;   // an SS_OWNERDRAW static control paints through its parent
constexpr UINT ODS_SELECTED = 0x0001;
struct DRAWITEMSTRUCT {
    UINT CtlType = ODT_TAB;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HWND hwndItem = nullptr;
    HDC__* hDC = nullptr;
    RECT rcItem;
    LPARAM itemData = 0;
};


// Calls the window class's own procedure: how a window that handles some messages itself (a
// subclassed control) passes the rest on.
LRESULT CallWindowClassProc(const std::string& className, HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
