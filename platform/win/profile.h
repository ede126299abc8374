// Initialization files ("[SECTION]" and "KEY=VALUE" lines), in the shape of the Win32 private
// profile functions. Section and key names match without regard to letter case; text is UTF-8.
#pragma once
#include <string>
#include "win/types.h"

// The value of `key` in `section`, at most `size` - 1 characters, or `fallback` when the file, the
// section or the key is missing. Returns the length of what was stored in `out`.
DWORD GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                              std::string* out, DWORD size, const std::string& file);
// The value read as a decimal integer (leading digits, optional sign); `fallback` when missing.
UINT GetPrivateProfileInt(const std::string& section, const std::string& key, int fallback, const std::string& file);
// Sets `key` in `section` (both created when missing), keeping every other line of the file as it
// was; the file is created when it does not exist. FALSE when it cannot be written.
BOOL WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& file);
