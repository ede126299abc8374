// The clipboard, in Win32 shape, for text. CF_TEXT and CF_UNICODETEXT both hold UTF-8 here (where
// Windows converts through the ANSI code page, this port uses UTF-8) and read each other's data.
#pragma once
#include <string>
#include "win/types.h"

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_UNICODETEXT = 13;

// The clipboard must be opened before it is emptied, written or read, and closed afterwards.
// Opening fails while another window holds it open.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Makes the opener the owner and removes every format.
BOOL EmptyClipboard();
// Puts text on the clipboard (the caller emptied it first); FALSE when the clipboard is not open.
BOOL SetClipboardData(UINT format, const std::string& text);
// FALSE when the clipboard is not open or holds no text.
BOOL GetClipboardData(UINT format, std::string* text);
BOOL IsClipboardFormatAvailable(UINT format);
