// Small painting helpers: a picture shrunk by averaging, and the rounded frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>
#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "uikit/paint.h"

namespace {

TEST(ShrunkCopy, AveragesThePixelsEachOneCovers) {
    // Four columns: black, white, red, blue; two rows alike.
    const std::uint32_t row[4] = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF0000FF};
    std::vector<std::uint32_t> pixels(row, row + 4);
    pixels.insert(pixels.end(), row, row + 4);
    HBITMAP source = KvCreateBitmap(4, 2, pixels.data());
    HBITMAP half = kvui::ShrunkCopy(source, 2, 8);   // the width decides: 2 by 1
    int w = 0, h = 0;
    std::vector<std::uint32_t> out;
    ASSERT_TRUE(KvGetBitmapPixels(half, &w, &h, &out));
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(out[0], 0xFF7F7F7Fu);   // black and white
    EXPECT_EQ(out[1], 0xFF7F007Fu);   // red and blue
    HBITMAP same = kvui::ShrunkCopy(source, 100, 100);   // already fits: copied as it is
    ASSERT_TRUE(KvGetBitmapPixels(same, &w, &h, &out));
    EXPECT_EQ(w, 4);
    EXPECT_EQ(out[2], 0xFFFF0000u);
    EXPECT_EQ(kvui::ShrunkCopy(nullptr, 10, 10), nullptr);
    for (HBITMAP b : {source, half, same}) DeleteObject(b);
}

TEST(FrameRounded, RoundsTheCornersAndKeepsTheInside) {
    HDC dc = KvCreateBufferDC(nullptr, 40, 20);
    const COLORREF inside = RGB(10, 20, 30), frame = RGB(200, 0, 0), outside = RGB(0, 200, 0);
    FillSolidRect(dc, RECT{0, 0, 40, 20}, inside);
    kvui::FrameRounded(dc, RECT{0, 0, 40, 20}, SIZE{10, 10}, frame, 2, outside);
    EXPECT_EQ(GetPixel(dc, 0, 0), outside);     // the corner is cut off
    EXPECT_EQ(GetPixel(dc, 20, 0), frame);      // the straight edges carry the frame
    EXPECT_EQ(GetPixel(dc, 20, 1), frame);
    EXPECT_EQ(GetPixel(dc, 20, 2), inside);     // two pixels wide
    EXPECT_EQ(GetPixel(dc, 0, 10), frame);
    EXPECT_EQ(GetPixel(dc, 20, 10), inside);
    EXPECT_EQ(GetPixel(dc, 39, 19), outside);
    DeleteDC(dc);
}

}  // namespace
