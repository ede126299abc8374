// Bitmaps and their handles (the role of GDI bitmaps). A handle printed in hexadecimal can be
// resolved back to its bitmap, as tooltip markup needs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "win/types.h"

// Pixels are 0xAARRGGBB, rows top-down. Returns null for a non-positive size.
HBITMAP KvCreateBitmap(int width, int height, const std::uint32_t* pixels);
// Copies the size and pixels of a live bitmap; false for an unknown handle.
bool KvGetBitmapPixels(HBITMAP bitmap, int* width, int* height, std::vector<std::uint32_t>* pixels);
BOOL DeleteObject(HBITMAP bitmap);

struct BITMAP { LONG bmWidth = 0; LONG bmHeight = 0; WORD bmBitsPixel = 32; };
int GetObject(HBITMAP bitmap, BITMAP* info);

// A device bitmap from a device-independent bitmap, as CreateDIBitmap(screen context, header,
// CBM_INIT, bits, info, DIB_RGB_COLORS) makes it: `info` holds the information header and its
// colour table (infoSize bytes), `bits` the pixel rows (bitsSize bytes). Null when they do not
// describe an uncompressed bitmap of at most 4096 pixels a side, or the bits are short.
HBITMAP KvCreateDIBitmap(const BYTE* info, std::size_t infoSize, const BYTE* bits, std::size_t bitsSize);
// A ".BMP" file loaded as a bitmap at its own size, as LoadImage(null, path, IMAGE_BITMAP, 0, 0,
// LR_LOADFROMFILE | LR_CREATEDIBSECTION) does; null when the file is missing or not a bitmap.
HBITMAP KvLoadBitmapFile(const std::string& path);
