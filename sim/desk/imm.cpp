// The simulated input method: one input context for the desktop, holding a conversion and a
// sentence mode that scripts set (@ime) and the plug-in may reset.
#include <atomic>
#include "sim/desk/desktop.h"
#include "win/imm.h"

namespace sim::desk {
namespace {
std::atomic<DWORD> g_conversion{IME_CMODE_ALPHANUMERIC};
std::atomic<DWORD> g_sentence{IME_SMODE_NONE};
HIMC const kContext = reinterpret_cast<HIMC>(std::uintptr_t(0x40010));
}  // namespace

void setImeModes(DWORD conversion, DWORD sentence) {
    g_conversion = conversion;
    g_sentence = sentence;
}
DWORD imeConversionMode() { return g_conversion; }

}  // namespace sim::desk

HIMC ImmGetContext(HWND) { return sim::desk::kContext; }
BOOL ImmReleaseContext(HWND, HIMC context) { return context == sim::desk::kContext; }

BOOL ImmGetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence) {
    if (context != sim::desk::kContext) return FALSE;
    if (conversion) *conversion = sim::desk::g_conversion;
    if (sentence) *sentence = sim::desk::g_sentence;
    return TRUE;
}

BOOL ImmSetConversionStatus(HIMC context, DWORD conversion, DWORD sentence) {
    if (context != sim::desk::kContext) return FALSE;
    sim::desk::setImeModes(conversion, sentence);
    return TRUE;
}

BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD) {
    if (context != sim::desk::kContext) return FALSE;
    // Cancelling the composition leaves nothing composed; the modes stay.
    return action == NI_COMPOSITIONSTR && index == CPS_CANCEL;
}
