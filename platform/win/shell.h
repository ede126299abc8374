// The shell: opening files and folders, and the folder picker, in Win32 shape.
#pragma once
#include <string>
#include "win/types.h"

// Opens or explores a file or folder. Returns a value above 32 on success (as an HINSTANCE on
// Windows), else an error code (ERROR_FILE_NOT_FOUND, ...). The simulator records and prints each
// request as "[shell] VERB PATH [PARAMETERS]" and starts nothing.
INT_PTR ShellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& parameters,
                     const std::string& directory, int showCmd);

// The folder picker. On Windows the start folder is set from the BFFM_INITIALIZED callback with
// BFFM_SETSELECTION; here it is a field.
constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;
struct BROWSEINFO {
    HWND hwndOwner = nullptr;
    std::string lpszTitle;
    UINT ulFlags = 0;
    std::string startFolder;
};
struct ITEMIDLIST;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
// Null when cancelled; free the result with CoTaskMemFree.
PIDLIST_ABSOLUTE SHBrowseForFolder(const BROWSEINFO* info);
BOOL SHGetPathFromIDList(PIDLIST_ABSOLUTE pidl, std::string* path);
void CoTaskMemFree(void* memory);

// Shortens a path to fit `maxChars` characters including the terminating NUL of Win32 (so at most
// maxChars - 1 characters): the start of the folder, "...", a separator and the file name; a file
// name that alone is too long is cut and ends in "...". Characters are counted as code points.
BOOL PathCompactPathEx(std::string* out, const std::string& path, UINT maxChars, DWORD flags);

// Files dropped on a window that accepts them (DragAcceptFiles): WM_DROPFILES with the drop handle
// in wParam. The receiver reads the paths with DragQueryFile and frees the handle with DragFinish.
constexpr UINT WM_DROPFILES = 0x0233;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
struct KvDrop__;
using HDROP = KvDrop__*;
void DragAcceptFiles(HWND wnd, BOOL accept);
// index 0xFFFFFFFF: the number of files; otherwise the length of the path stored in *path.
UINT DragQueryFile(HDROP drop, UINT index, std::string* path);
void DragFinish(HDROP drop);
