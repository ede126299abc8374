// Shell requests and the clipboard in Win32 shape.
#pragma once
#include <string>
#include "win/types.h"

// "open" or "explore" a file or folder. Returns a value above 32 on success.
INT_PTR ShellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& parameters,
                     const std::string& directory, int show);

// Plain text on the clipboard (UTF-8 here, where Windows would use the ANSI code page).
BOOL KvSetClipboardText(HWND owner, const std::string& text);
bool KvGetClipboardText(std::string* text);
