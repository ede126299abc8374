// Bitmaps and their handles (the role of GDI bitmaps). A handle printed in hexadecimal can be
// resolved back to its bitmap, as tooltip markup needs.
#pragma once
#include <cstdint>
#include <vector>
#include "win/types.h"

// Pixels are 0xAARRGGBB, rows top-down. Returns null for a non-positive size.
HBITMAP KvCreateBitmap(int width, int height, const std::uint32_t* pixels);
// Copies the size and pixels of a live bitmap; false for an unknown handle.
bool KvGetBitmapPixels(HBITMAP bitmap, int* width, int* height, std::vector<std::uint32_t>* pixels);
BOOL DeleteObject(HBITMAP bitmap);

struct BITMAP { LONG bmWidth = 0; LONG bmHeight = 0; WORD bmBitsPixel = 32; };
int GetObject(HBITMAP bitmap, BITMAP* info);
