// Dialogs made from the dialog templates of a resource module, in Win32 shape.
#pragma once
#include <functional>
#include <string>
#include "win/window.h"

constexpr UINT WM_INITDIALOG = 0x0110;
constexpr WORD BN_CLICKED = 0;
constexpr WORD EN_CHANGE = 0x0300;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;

// The dialog procedure: non-zero when it handled the message.
using DLGPROC = std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)>;

// Runs a modal dialog from template `templateId` of `module` (the top of the host's resource
// stack when module is null) and returns what EndDialog was given; -1 when the template is missing.
INT_PTR DialogBoxParam(HINSTANCE module, UINT templateId, HWND parent, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
BOOL SetDlgItemText(HWND dialog, int id, const std::string& text);
std::string GetDlgItemText(HWND dialog, int id);
