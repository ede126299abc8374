// The input method in IMM32 shape.
#pragma once
#include "win/types.h"

struct HIMC__;
using HIMC = HIMC__*;
constexpr DWORD IME_CMODE_ALPHANUMERIC = 0x0000;
constexpr DWORD IME_CMODE_NATIVE = 0x0001;
constexpr DWORD IME_SMODE_NONE = 0x0000;

HIMC ImmGetContext(HWND wnd);
BOOL ImmReleaseContext(HWND wnd, HIMC context);
BOOL ImmGetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence);
BOOL ImmSetConversionStatus(HIMC context, DWORD conversion, DWORD sentence);

constexpr UINT WM_IME_STARTCOMPOSITION = 0x010D;
constexpr DWORD NI_COMPOSITIONSTR = 0x0015;
constexpr DWORD CPS_CANCEL = 0x0004;
BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD value);
