// Keyboard and pointer state in Win32 shape.
#pragma once
#include "win/types.h"

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;

// The high bit is set while the key is down.
short GetKeyState(int virtualKey);
BOOL GetCursorPos(POINT* point);   // screen coordinates

// True when the user moves the mouse far enough with the button held to start a drag.
BOOL DragDetect(HWND wnd, POINT point);
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
