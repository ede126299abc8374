// Image lists in Win32 shape: a row of equally sized pictures that list views draw by index.
#pragma once
#include "gfx/canvas.h"
#include "win/types.h"

struct _IMAGELIST;
using HIMAGELIST = _IMAGELIST*;

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;
constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;

// A list of cx by cy pictures; `grow` is how many places it adds when full. Null for a size below 1.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
// Adds every cx-wide picture of the bitmap (a wider bitmap adds several); pixels of `mask` colour
// become transparent. The bitmap is copied. Returns the index of the first picture, -1 on failure.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP bitmap, COLORREF mask);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Draws picture `index` with its top-left corner at (x, y); FALSE for an unknown list or index.
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);

// Which image list of a list view LVM_SETIMAGELIST sets (wParam).
constexpr WPARAM LVSIL_NORMAL = 0;
constexpr WPARAM LVSIL_SMALL = 1;
constexpr WPARAM LVSIL_STATE = 2;
