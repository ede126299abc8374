// Menus in Win32 shape: real menu structures owned by the desktop.
#pragma once
#include "win/types.h"

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
// With MF_POPUP, `idOrSubmenu` is the submenu handle.
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const std::string& text);
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, const std::string& text);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const std::string& text);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);     // 0xFFFFFFFF for a submenu
HMENU GetSubMenu(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags); // 0xFFFFFFFF when there is no such item
int GetMenuString(HMENU menu, UINT item, std::string* text, UINT flags);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
HMENU GetSystemMenu(HWND wnd, BOOL revert);
// The system menu's Close item (its command id).
constexpr UINT SC_CLOSE = 0xF060;

// Items that show a bitmap instead of text (MF_BITMAP: the bitmap stands where Win32 passes it in
// lpNewItem). The menu does not own the bitmap.
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, HBITMAP bitmap);
BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, HBITMAP bitmap);
// Bitmaps beside an item's text, for its unchecked and checked states (null: none).
BOOL SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked);
// A menu from a MENU or MENUEX resource of the module (the top of the host's resource stack is
// searched first, as for dialogs); null when there is none or it cannot be read.
HMENU LoadMenu(HINSTANCE module, int id);

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RETURNCMD = 0x0100;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_NONOTIFY = 0x0080;
// The choice comes from the script or the person; returns the command id with TPM_RETURNCMD
// (0 when dismissed), otherwise posts WM_COMMAND to the owner and returns TRUE (FALSE when
// dismissed). In the simulator the pick is queued before the action that opens the menu
// (`@menu "Text"`, submenus as "Parent>Child"); with none queued the menu is dismissed.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner);
