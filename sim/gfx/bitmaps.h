// Simulator-side access to the bitmap handle table behind platform/gfx/bitmap.h.
#pragma once
#include <cstddef>
#include <string_view>
#include "gfx/bitmap.h"

namespace sim::gfx {

// Resolves a handle value written in hexadecimal ("0x1A2B0", "1a2b0", as tooltip markup prints
// it) back to a live bitmap. Null for text that is not a number or names no live bitmap.
HBITMAP bitmapFromHex(std::string_view text);

// Number of live bitmaps (leak checks in tests).
std::size_t liveBitmapCount();

}  // namespace sim::gfx
