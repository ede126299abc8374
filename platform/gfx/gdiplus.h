// Start-up and shut-down of the canvas library (the role of GDI+ start-up).
#pragma once
#include "win/types.h"

namespace Gdiplus {
enum Status { Ok = 0, GenericError = 1 };
}
Gdiplus::Status GdiplusStartup(UINT_PTR* token);
void GdiplusShutdown(UINT_PTR token);
