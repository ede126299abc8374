// Modules and their resources, in Win32 shape.
// A module is either native code (the plug-in, the thumbnail library: a shared object beside it,
// found by the base name of the Windows file name) or a resource module (a PE file, loaded as
// data: language packs).
#pragma once
#include <vector>
#include "win/types.h"

HMODULE LoadLibrary(const std::string& path);
BOOL FreeLibrary(HMODULE module);
void* GetProcAddress(HMODULE module, const std::string& name);
// Full path of the module's file; false when the handle is unknown.
bool GetModuleFileName(HMODULE module, std::string* path);

// String table entry `id` of the module; 0 (and an empty string) when there is none.
int LoadString(HMODULE module, UINT id, std::string* text);

// Version resource of a file (a PE module on disk), as VerQueryValue reads it.
struct VS_FIXEDFILEINFO {
    DWORD dwSignature = 0, dwStrucVersion = 0;
    DWORD dwFileVersionMS = 0, dwFileVersionLS = 0;
    DWORD dwProductVersionMS = 0, dwProductVersionLS = 0;
    DWORD dwFileFlagsMask = 0, dwFileFlags = 0, dwFileOS = 0, dwFileType = 0, dwFileSubtype = 0;
    DWORD dwFileDateMS = 0, dwFileDateLS = 0;
};
// Reads the raw version block; false when the file has none.
bool GetFileVersionInfo(const std::string& path, std::vector<BYTE>* block);
// Sub-blocks, as VerQueryValue names them: "\\" gives the fixed information,
// "\\VarFileInfo\\Translation" the (language | code page << 16) pairs, and
// "\\StringFileInfo\\040904b0\\ProductName" a string value (converted to UTF-8).
bool VerQueryValue(const std::vector<BYTE>& block, const std::string& subBlock, VS_FIXEDFILEINFO* fixed);
bool VerQueryValue(const std::vector<BYTE>& block, const std::string& subBlock, std::vector<DWORD>* translations);
bool VerQueryValue(const std::vector<BYTE>& block, const std::string& subBlock, std::string* text);

// A bitmap resource of the module as a bitmap handle (deleted by the caller); null when missing.
HBITMAP LoadBitmap(HMODULE module, UINT id);
