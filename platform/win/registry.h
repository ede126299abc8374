// Registry in Win32 shape: keys below the two root hives, typed values.
// Key paths use the backslash, as on Windows, and match case-insensitively.
#pragma once
#include "win/types.h"

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t(0x80000002));

using REGSAM = DWORD;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

// Each returns ERROR_SUCCESS or a Win32 error code.
LONG RegOpenKeyEx(HKEY root, const std::string& subKey, DWORD options, REGSAM sam, HKEY* result);
LONG RegCreateKeyEx(HKEY root, const std::string& subKey, REGSAM sam, HKEY* result);
LONG RegCloseKey(HKEY key);
// data may be null to ask for the size; *cbData is in and out. REG_SZ data is UTF-8 with its
// terminating zero. A buffer that is too small gives ERROR_MORE_DATA and the size needed.
LONG RegQueryValueEx(HKEY key, const std::string& valueName, DWORD* type, BYTE* data, DWORD* cbData);
LONG RegSetValueEx(HKEY key, const std::string& valueName, DWORD type, const BYTE* data, DWORD cbData);
LONG RegDeleteValue(HKEY key, const std::string& valueName);
LONG RegDeleteKey(HKEY root, const std::string& subKey);
// Enumeration by index; ERROR_NO_MORE_ITEMS (259) past the end.
LONG RegEnumKeyEx(HKEY key, DWORD index, std::string* name);
LONG RegEnumValue(HKEY key, DWORD index, std::string* name, DWORD* type);
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BAD_PATHNAME = 161;     // empty segment in a key path
constexpr DWORD ERROR_KEY_DELETED = 1018;     // the handle's key was deleted
