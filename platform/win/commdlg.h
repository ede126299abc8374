// Common dialogs (open file, folder picker) in Win32 shape. Answers come from the script's
// queue; none queued counts as Cancel.
#pragma once
#include <string>
#include <vector>
#include "win/types.h"

constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

struct OPENFILENAME {
    HWND hwndOwner = nullptr;
    std::string filter;             // "Drawing files\0*.dwg\0" pairs
    std::vector<char>* file = nullptr;   // result buffer: the caller sizes it
    DWORD maxFile = 0;              // characters the dialog may write
    std::string initialDir;
    std::string title;
    DWORD flags = 0;
};
// True when confirmed. With one file the buffer holds its path; with several, the folder, then
// each name, each ended by a zero, and a final zero. A result longer than maxFile fails and
// CommDlgExtendedError tells FNERR_BUFFERTOOSMALL.
BOOL GetOpenFileName(OPENFILENAME* ofn);
DWORD CommDlgExtendedError();

// The folder picker: the chosen folder, or empty when cancelled.
std::string KvBrowseForFolder(HWND owner, const std::string& title, const std::string& startFolder);
