// Common dialogs in Win32 shape: open and save file names, the font and colour pickers.
// In the simulator their answers come from the script (@files, @font, @color); with none queued
// the dialog is cancelled.
#pragma once
#include <string>
#include "gfx/font.h"
#include "win/types.h"

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// Extended errors (CommDlgExtendedError).
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;

struct OPENFILENAME {
    HWND hwndOwner = nullptr;
    // Pairs of display name and pattern, each ending in NUL, the list ending in a second NUL:
    // std::string("Drawing files\0*.dwg\0\0", 22). Patterns are separated by ';'.
    std::string lpstrFilter;
    DWORD nFilterIndex = 0;
    // The caller's name buffer and its size in bytes (UTF-8). On input it may hold an initial
    // name. On success it holds the chosen path; with OFN_ALLOWMULTISELECT | OFN_EXPLORER and
    // more than one file: the folder, a NUL, each name followed by a NUL, and a final NUL.
    char* lpstrFile = nullptr;
    DWORD nMaxFile = 0;
    std::string lpstrInitialDir;
    std::string lpstrTitle;
    DWORD Flags = 0;
    WORD nFileOffset = 0;      // out: offset of the (first) name in lpstrFile
    WORD nFileExtension = 0;   // out: offset of the extension (after the point); 0 with several files
    std::string lpstrDefExt;   // appended (with a point) by the save dialog to a name without one
};
// FALSE when cancelled or failed; CommDlgExtendedError then tells which (0: cancelled). A buffer
// too small for the answer fails with FNERR_BUFFERTOOSMALL and holds the size needed (in bytes) in
// its first two bytes, as on Windows; nothing is written past nMaxFile.
BOOL GetOpenFileName(OPENFILENAME* ofn);
BOOL GetSaveFileName(OPENFILENAME* ofn);
DWORD CommDlgExtendedError();

constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_NOVERTFONTS = 0x01000000;
struct CHOOSEFONT {
    HWND hwndOwner = nullptr;
    LOGFONT* lpLogFont = nullptr;   // in (with CF_INITTOLOGFONTSTRUCT) and out
    int iPointSize = 0;             // out: tenths of a point
    DWORD Flags = 0;
    COLORREF rgbColors = 0;         // in and out with CF_EFFECTS
};
BOOL ChooseFont(CHOOSEFONT* cf);

constexpr DWORD CC_RGBINIT = 0x1;
constexpr DWORD CC_FULLOPEN = 0x2;
struct CHOOSECOLOR {
    HWND hwndOwner = nullptr;
    COLORREF rgbResult = 0;             // in with CC_RGBINIT, out
    COLORREF* lpCustColors = nullptr;   // 16 custom colours, kept as they are
    DWORD Flags = 0;
};
BOOL ChooseColor(CHOOSECOLOR* cc);
