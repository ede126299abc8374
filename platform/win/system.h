// Environment, time, system colours, message boxes, focus: small desktop services.
#pragma once
#include "win/types.h"

// Environment of the host process. False when the variable is not set.
bool GetEnvironmentVariable(const std::string& name, std::string* value);

// Time comes from the desktop's clock: virtual in scripts and tests, real in interactive use.
std::int64_t _time64(std::int64_t* out);   // seconds since 1970
ULONGLONG GetTickCount64();                 // milliseconds since the desktop started

// System colours.
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
COLORREF GetSysColor(int index);

// Message boxes. The answer comes from the script's queue, else the default button.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// Keyboard focus.
HWND SetFocus(HWND wnd);
HWND GetFocus();

// Memory status of the machine, as GlobalMemoryStatusEx reports it (sizes in bytes).
struct MEMORYSTATUSEX {
    DWORD dwLength = sizeof(MEMORYSTATUSEX);
    DWORD dwMemoryLoad = 0;   // percent of physical memory in use
    ULONGLONG ullTotalPhys = 0;
    ULONGLONG ullAvailPhys = 0;
    ULONGLONG ullTotalPageFile = 0;
    ULONGLONG ullAvailPageFile = 0;
    ULONGLONG ullTotalVirtual = 0;
    ULONGLONG ullAvailVirtual = 0;
    ULONGLONG ullAvailExtendedVirtual = 0;
};
BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status);

// Number formatting in the user's locale (GetLocaleInfo, GetNumberFormat).
using LCID = DWORD;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr UINT LOCALE_SDECIMAL = 0x0E;
constexpr UINT LOCALE_STHOUSAND = 0x0F;
// The locale's text for the item; 0 when the item is unknown.
int GetLocaleInfo(LCID locale, UINT item, std::string* text);
struct NUMBERFMT {
    UINT NumDigits = 0;        // digits after the decimal separator
    UINT LeadingZero = 1;
    UINT Grouping = 3;         // digits per group (0: none)
    std::string lpDecimalSep = ".";
    std::string lpThousandSep = ",";
    UINT NegativeOrder = 1;    // "-1.1"
};
// Formats `value` (digits, an optional leading '-' and one optional '.') with the format, or with
// the locale's own rules when format is null. Returns the length written, 0 for a value that is
// not a number.
int GetNumberFormat(LCID locale, DWORD flags, const std::string& value, const NUMBERFMT* format, std::string* out);
