#include <atomic>
#include "gfx/gdiplus.h"
#include "sim/desk/desktop.h"

namespace sim {
std::atomic<int> g_canvasStarts{0};
int canvasLibraryUsers() { return g_canvasStarts.load(); }
}  // namespace sim

Gdiplus::Status GdiplusStartup(UINT_PTR* token) {
    if (!token) return Gdiplus::GenericError;
    *token = UINT_PTR(++sim::g_canvasStarts);
    return Gdiplus::Ok;
}

void GdiplusShutdown(UINT_PTR token) {
    if (token) --sim::g_canvasStarts;
}
