// Stand-in for the external thumbnail library. It exports, with C++ linkage as the original does,
//   HBITMAP GetTumbnailFromFile(const char* path, COLORREF background, int& formatCode);
//   int GetDrawingVersion(const char* path);
// Format codes: 1 Release 10, 2 Release 11/12, 3 Release 13, 4 Release 14, 5 2000, 6 2004,
// 7 2007, 8 2010, 9 2013, 10 2018; 0 for a file that is missing, unreadable or not a drawing of a
// known format (DXF files are recognised by their $ACADVER).
//
// The picture comes from the drawing's image directory (bitmap or PNG), from the ".BMP" file
// beside an R12 drawing, or from a DXF file's stored thumbnail, at its stored size. The second
// argument is the colour of the caller's drawing area: the preview's background (the colour of
// its corner pixel) is replaced by it, and on a light background light strokes are darkened so
// that they stay visible. The caller owns the returned bitmap (DeleteObject); null when the file
// has no readable picture.
#include <algorithm>

#include "gfx/bitmap.h"
#include "sim/host/dwgfile.h"

#define KV_EXPORT __attribute__((visibility("default")))

namespace {

void onBackground(sim::dwg::Image& img, COLORREF background) {
    if (img.pixels.empty()) return;
    const std::uint32_t bg = 0xFF000000u | std::uint32_t(GetRValue(background)) << 16 |
                             std::uint32_t(GetGValue(background)) << 8 | GetBValue(background);
    const std::uint32_t corner = img.pixels.front() | 0xFF000000u;
    auto luma = [](std::uint32_t p) { return (((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114) / 1000; };
    const bool lightBackground = luma(bg) >= 160;
    const bool darkPreview = luma(corner) < 96;
    for (std::uint32_t& p : img.pixels) {
        p |= 0xFF000000u;
        if (p == corner) p = bg;
        else if (lightBackground && darkPreview && luma(p) >= 160) p = 0xFF000000u | ((~p) & 0xFFFFFF);
    }
}

}  // namespace

KV_EXPORT int GetDrawingVersion(const char* path) {
    if (!path || !*path) return 0;
    return sim::dwg::formatCode(sim::dwg::readRelease(path));
}

KV_EXPORT HBITMAP GetTumbnailFromFile(const char* path, COLORREF background, int& formatCode) {
    formatCode = GetDrawingVersion(path);
    if (!path || !*path) return nullptr;
    const sim::dwg::Preview preview = sim::dwg::readPreview(path);
    auto img = sim::dwg::decodePreview(preview);
    if (!img) return nullptr;
    onBackground(*img, background);
    return KvCreateBitmap(img->width, img->height, img->pixels.data());
}
