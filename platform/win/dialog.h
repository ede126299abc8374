// Dialogs created from the dialog templates (DIALOG and DIALOGEX) of a resource module, in Win32
// shape. A dialog's controls are child windows with their template ids; a dialog procedure gets
// the dialog's messages first, as on Windows.
//
// Template lookup: the module on top of the host's resource stack (what pushResourceHandle made
// current) is searched first, then the module passed in, so a language pack replaces the dialogs
// it carries and the plug-in's own resources supply the rest.
#pragma once
#include <functional>
#include "win/system.h"
#include "win/window.h"

// Dialog styles (DS_) and the window styles templates use, with their Win32 values.
constexpr DWORD DS_ABSALIGN = 0x01;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_3DLOOK = 0x04;
constexpr DWORD DS_FIXEDSYS = 0x08;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;

constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;

// Window extra values of a dialog (GetWindowLongPtr / SetWindowLongPtr), 64-bit offsets.
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_USER = 16;

// The dialog procedure: TRUE when it handled the message. For WM_NOTIFY and the other messages
// whose result matters, it sets the result with SetWindowLongPtr(dlg, DWLP_MSGRESULT, value).
// WM_INITDIALOG gets the creation parameter in lParam; TRUE gives the first tab stop the focus.
using DLGPROC = std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>;

// Modal: creates the dialog, disables the owner, runs a nested loop until EndDialog and returns
// EndDialog's value; -1 when the template cannot be found or read.
// In the simulator the nested loop takes the script's next lines (the @dialog verbs); when the
// script has no more lines, the dialog is cancelled as Escape would (IDCANCEL).
INT_PTR DialogBoxParam(HINSTANCE module, int templateId, HWND owner, DLGPROC proc, LPARAM initParam);
// Modeless: returns the dialog window (visible when the template says WS_VISIBLE), null when the
// template cannot be found or read.
HWND CreateDialogParam(HINSTANCE module, int templateId, HWND parent, DLGPROC proc, LPARAM initParam);
// Ends a modal dialog with the value (the loop ends after the current message); a modeless dialog
// is hidden.
BOOL EndDialog(HWND dialog, INT_PTR result);

BOOL SetDlgItemText(HWND dialog, int id, const std::string& text);
// Text of the control; empty when there is no such control.
std::string GetDlgItemText(HWND dialog, int id);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
// Converts a rectangle in dialog units to pixels with the dialog's font.
BOOL MapDialogRect(HWND dialog, RECT* rect);
// Base units of the system's dialog font: LOWORD horizontal, HIWORD vertical.
LONG GetDialogBaseUnits();
