// Exact geometry of the canvas: fills, frames, dash patterns, clipping, origin, buffers,
// bitmaps with keying and colour conversion, gradients and hatch tiles.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "gfx/gdiplus.h"
#include "sim/gfx/canvas.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Canvas {
    HDC dc;
    Canvas(int w, int h, COLORREF fill = kWhite) : dc(sim::gfx::createCanvas(w, h, fill)) {}
    ~Canvas() { DeleteDC(dc); }
    operator HDC() const { return dc; }
    // Pixels of one row as a string: '#' for the colour, '.' for anything else.
    std::string row(int y, int x0, int x1, COLORREF c) const {
        std::string s;
        for (int x = x0; x < x1; ++x) s += GetPixel(dc, x, y) == c ? '#' : '.';
        return s;
    }
    std::string column(int x, int y0, int y1, COLORREF c) const {
        std::string s;
        for (int y = y0; y < y1; ++y) s += GetPixel(dc, x, y) == c ? '#' : '.';
        return s;
    }
    int count(COLORREF c) const {
        SIZE sz = KvGetCanvasSize(dc);
        int n = 0;
        for (int y = 0; y < sz.cy; ++y)
            for (int x = 0; x < sz.cx; ++x) n += GetPixel(dc, x, y) == c;
        return n;
    }
};

TEST(Canvas, HandlesAreCheckedAndReleased) {
    const std::size_t before = sim::gfx::liveCanvasCount();
    EXPECT_EQ(KvCreateBufferDC(nullptr, 0, 10), nullptr);
    EXPECT_EQ(KvCreateBufferDC(nullptr, 10, 20000), nullptr);
    HDC dc = KvCreateBufferDC(nullptr, 30, 20);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(KvGetCanvasSize(dc).cx, 30);
    EXPECT_EQ(GetPixel(dc, 0, 0), kWhite);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);   // a stale handle draws and reads nothing
    FillSolidRect(dc, {0, 0, 5, 5}, kRed);
    EXPECT_EQ(sim::gfx::liveCanvasCount(), before);
}

TEST(Canvas, FillsAndFramesAreExact) {
    Canvas c(12, 10);
    FillSolidRect(c, {2, 3, 7, 5}, kRed);
    EXPECT_EQ(c.count(kRed), 10);
    EXPECT_EQ(c.row(3, 0, 12, kRed), "..#####.....");
    EXPECT_EQ(GetPixel(c, 12, 0), CLR_INVALID);
    FillSolidRect(c, {5, 5, 5, 9}, kBlue);   // empty: nothing
    EXPECT_EQ(c.count(kBlue), 0);

    Canvas f(12, 10);
    KvFrameRect(f, {1, 1, 11, 9}, KVPEN{PS_SOLID, 2, kBlue});
    EXPECT_EQ(f.row(1, 0, 12, kBlue), ".##########.");
    EXPECT_EQ(f.row(2, 0, 12, kBlue), ".##########.");
    EXPECT_EQ(f.row(3, 0, 12, kBlue), ".##......##.");
    EXPECT_EQ(f.row(8, 0, 12, kBlue), ".##########.");
    EXPECT_EQ(f.row(9, 0, 12, kBlue), "............");
    KvFrameRect(f, {0, 0, 12, 10}, KVPEN{PS_NULL, 1, kRed});
    EXPECT_EQ(f.count(kRed), 0);

    Canvas e(6, 5);
    Draw3dRect(e, {0, 0, 6, 5}, kRed, kBlue);
    EXPECT_EQ(e.row(0, 0, 6, kRed), "#####.");
    EXPECT_EQ(e.column(0, 0, 5, kRed), "####.");
    EXPECT_EQ(e.row(4, 0, 6, kBlue), "######");
    EXPECT_EQ(e.column(5, 0, 5, kBlue), "#####");
}

TEST(Canvas, DashPatternsFollowThePenStyle) {
    struct Case { int style; int width; const char* expect; };
    const Case cases[] = {
        {PS_SOLID, 1, "########################"},
        {PS_DOT, 1, "###...###...###...###..."},
        {PS_DASH, 1, "##################......"},
        {PS_DASHDOT, 1, "#########......###......"},
        {PS_DASHDOTDOT, 1, "#########...###...###..."},
        {PS_DOT, 2, "######......######......"},
        {PS_NULL, 1, "........................"},
        {PS_INSIDEFRAME, 1, "########################"},
    };
    for (const Case& k : cases) {
        Canvas c(30, 6);
        KvLine(c, {0, 2}, {23, 2}, KVPEN{k.style, k.width, kRed});
        EXPECT_EQ(c.row(2, 0, 24, kRed), k.expect) << "style " << k.style << " width " << k.width;
        EXPECT_EQ(c.row(2, 24, 30, kRed), "......");   // end point included, nothing beyond
    }
    // In a frame the pattern runs clockwise and carries on round the corner.
    Canvas f(10, 10);
    KvFrameRect(f, {0, 0, 5, 10}, KVPEN{PS_DOT, 1, kRed});
    EXPECT_EQ(f.row(0, 0, 5, kRed), "###..");
    EXPECT_EQ(f.column(4, 0, 10, kRed), ".###...###");
}

TEST(Canvas, WideAndAntialiasedLines) {
    Canvas c(20, 20);
    KvLine(c, {2, 10}, {17, 10}, KVPEN{PS_SOLID, 3, kBlue});
    EXPECT_EQ(c.column(5, 7, 14, kBlue), "..###..");   // centred on its points
    Canvas a(20, 20);
    const POINT pts[] = {{1, 1}, {18, 18}};
    KvPolyline(a, pts, 2, KVPEN{PS_SOLID, 2, RGB(0, 0, 0), true});
    std::set<COLORREF> shades;
    for (int x = 0; x < 20; ++x) shades.insert(GetPixel(a, x, 10));
    EXPECT_GT(shades.size(), 2u) << "an antialiased diagonal leaves partial shades";
    EXPECT_LT(GetPixel(a, 10, 10) & 0xFF, 100);
}

TEST(Canvas, ClipOriginAndSaveRestore) {
    Canvas c(20, 10);
    const int saved = SaveDC(c);
    EXPECT_EQ(IntersectClipRect(c, 5, 2, 10, 6), SIMPLEREGION);
    FillSolidRect(c, {0, 0, 20, 10}, kRed);
    EXPECT_EQ(c.count(kRed), 20);
    EXPECT_EQ(GetPixel(c, 0, 0), CLR_INVALID);   // outside the clip
    POINT old;
    SetViewportOrgEx(c, 3, 1, &old);
    EXPECT_TRUE(RestoreDC(c, saved));
    FillSolidRect(c, {0, 0, 1, 1}, kBlue);   // clip and origin are back
    EXPECT_EQ(c.row(0, 0, 3, kBlue), "#..");
    EXPECT_FALSE(RestoreDC(c, -1));          // nothing left to restore

    SetViewportOrgEx(c, 10, 5, nullptr);
    FillSolidRect(c, {0, 0, 2, 1}, kBlue);   // logical (0,0) is device (10,5)
    EXPECT_EQ(GetPixel(c, 0, 0), kBlue);
    SetViewportOrgEx(c, 0, 0, nullptr);
    EXPECT_EQ(c.row(5, 9, 13, kBlue), ".##.");
    EXPECT_EQ(IntersectClipRect(c, 4, 4, 4, 8), NULLREGION);
}

TEST(Canvas, BitBltCopiesBetweenCanvasesAndWithinOne) {
    Canvas src(10, 10), dst(10, 10);
    FillSolidRect(src, {2, 2, 4, 4}, kRed);
    SetViewportOrgEx(src, -2, -2, nullptr);   // source coordinates are logical
    EXPECT_TRUE(BitBlt(dst, 5, 5, 3, 3, src, 4, 4));   // device (2,2) of the source
    EXPECT_EQ(dst.row(5, 4, 9, kRed), ".##..");
    EXPECT_EQ(dst.count(kRed), 4);
    EXPECT_EQ(dst.row(7, 4, 9, kWhite), "#####");   // a copy, not a blend: white stays white
    EXPECT_TRUE(BitBlt(dst, 0, 0, 5, 5, dst, 4, 4));   // overlapping copy within one canvas
    EXPECT_EQ(dst.row(1, 0, 5, kRed), ".##..");
    EXPECT_FALSE(BitBlt(dst, 0, 0, 5, 5, nullptr, 0, 0));
}

TEST(Canvas, BitmapsKeyedGreyedLightenedAndScaled) {
    const std::uint32_t m = 0xFFFF00FF, o = 0xFFC86432;   // magenta; RGB(200,100,50)
    const std::uint32_t px[] = {m, o, o, m, o, o, o, o, o, o, o, o, m, o, o, m};
    HBITMAP bm = KvCreateBitmap(4, 4, px);
    Canvas c(40, 20, kBlue);
    EXPECT_TRUE(KvDrawBitmap(c, 0, 0, bm, KVBMP_KEYED));
    EXPECT_EQ(GetPixel(c, 0, 0), kBlue);
    EXPECT_EQ(GetPixel(c, 1, 0), RGB(200, 100, 50));
    KvDrawBitmap(c, 5, 0, bm, KVBMP_NORMAL);
    EXPECT_EQ(GetPixel(c, 5, 0), RGB(255, 0, 255));   // unkeyed magenta is just a colour
    KvDrawBitmap(c, 10, 0, bm, KVBMP_KEYED | KVBMP_GREY);
    EXPECT_EQ(GetPixel(c, 11, 0), RGB(124, 124, 124));   // (200*299 + 100*587 + 50*114) / 1000
    KvDrawBitmap(c, 15, 0, bm, KVBMP_KEYED | KVBMP_LIGHTEN);
    EXPECT_EQ(GetPixel(c, 16, 0), RGB(213, 138, 101));   // c + (255 - c) / 4
    EXPECT_EQ(GetPixel(c, 15, 0), kBlue);

    // Scaled up 4 times: keyed corners stay transparent and no magenta fringe appears.
    KvDrawBitmap(c, 20, 0, 16, 16, bm, 0, 0, 4, 4, KVBMP_KEYED);
    EXPECT_EQ(GetPixel(c, 20, 0), kBlue);
    for (int y = 0; y < 16; ++y)
        for (int x = 20; x < 36; ++x) {
            COLORREF p = GetPixel(c, x, y);
            EXPECT_FALSE(GetRValue(p) > 150 && GetGValue(p) < 60 && GetBValue(p) > 150) << x << "," << y;
        }
    EXPECT_EQ(GetPixel(c, 28, 8), RGB(200, 100, 50));
    // A source rectangle beyond the bitmap is cut to it; an unknown bitmap draws nothing.
    EXPECT_TRUE(KvDrawBitmap(c, 0, 10, 4, 4, bm, 2, 2, 10, 10, KVBMP_NORMAL));
    DeleteObject(bm);
    EXPECT_FALSE(KvDrawBitmap(c, 0, 0, bm, KVBMP_NORMAL));

    // Fitting keeps the aspect and centres.
    const std::uint32_t wide[8] = {o, o, o, o, o, o, o, o};
    HBITMAP w = KvCreateBitmap(4, 2, wide);
    Canvas fit(20, 20);
    EXPECT_TRUE(KvDrawBitmapFit(fit, {0, 0, 20, 20}, w, KVBMP_NORMAL));
    EXPECT_EQ(fit.column(10, 0, 20, RGB(200, 100, 50)), ".....##########.....");
    DeleteObject(w);
}

TEST(Canvas, GradientsReachTheirColoursAtTheEnds) {
    Canvas c(101, 31);
    const COLORREF two[] = {RGB(0, 0, 0), RGB(200, 100, 0)};
    KvGradientFill(c, {0, 0, 101, 10}, two, nullptr, 2, GRADIENT_FILL_RECT_H);
    EXPECT_EQ(GetPixel(c, 0, 5), two[0]);
    EXPECT_EQ(GetPixel(c, 100, 5), two[1]);
    EXPECT_NEAR(GetRValue(GetPixel(c, 50, 5)), 100, 2);
    int last = -1;
    for (int x = 0; x < 101; ++x) {
        EXPECT_GE(GetRValue(GetPixel(c, x, 5)), last);
        last = GetRValue(GetPixel(c, x, 5));
    }
    const COLORREF three[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
    KvGradientFill(c, {0, 10, 101, 31}, three, nullptr, 3, GRADIENT_FILL_RECT_V);
    EXPECT_EQ(GetPixel(c, 7, 10), three[0]);
    EXPECT_EQ(GetPixel(c, 7, 20), three[1]);
    EXPECT_EQ(GetPixel(c, 7, 30), three[2]);
    Canvas d(20, 10);
    KvGradientFill(d, {0, 0, 20, 10}, two, nullptr, 2, KV_GRADIENT_DIAGONAL);
    EXPECT_EQ(GetPixel(d, 0, 0), two[0]);
    EXPECT_EQ(GetPixel(d, 19, 9), two[1]);
    EXPECT_EQ(GetPixel(d, 10, 0), GetPixel(d, 1, 9)) << "isolines run at 45 degrees";
}

TEST(Canvas, HatchTilesAreDistinctAndRepeatFromTheOrigin) {
    std::set<std::string> seen;
    for (int s = 0; s < Gdiplus::HatchStyleTotal; ++s) {
        BYTE rows[8];
        ASSERT_TRUE(KvGetHatchTile(s, rows));
        int ones = 0;
        for (BYTE r : rows)
            for (int b = 0; b < 8; ++b) ones += (r >> b) & 1;
        EXPECT_GT(ones, 0) << s;
        EXPECT_LT(ones, 64) << s;
        EXPECT_TRUE(seen.insert(std::string(rows, rows + 8)).second) << "style " << s << " repeats another";
    }
    BYTE rows[8];
    EXPECT_FALSE(KvGetHatchTile(Gdiplus::HatchStyleTotal, rows));
    // The percentages cover their share of the tile, each level containing the lighter ones.
    const int pct[] = {5, 10, 20, 25, 30, 40, 50, 60, 70, 75, 80, 90};
    for (int i = 0; i < 12; ++i) {
        KvGetHatchTile(Gdiplus::HatchStyle05Percent + i, rows);
        int ones = 0;
        for (BYTE r : rows) ones += __builtin_popcount(r);
        EXPECT_NEAR(ones, pct[i] * 64 / 100.0, 1.0) << pct[i];
    }

    Canvas c(40, 20);
    KvFillHatch(c, {3, 2, 40, 20}, Gdiplus::HatchStyleCross, kRed, kWhite);
    EXPECT_EQ(c.row(8, 0, 20, kRed), "...#################");    // a horizontal line every 8 rows
    EXPECT_EQ(c.row(9, 0, 20, kRed), "........#.......#...");    // vertical lines at x = 0 mod 8
    KvFillHatch(c, {0, 0, 5, 5}, 999, kRed, kBlue);
    EXPECT_EQ(c.row(0, 0, 5, kBlue), "#####");
}

TEST(Canvas, PngRoundTrip) {
    Canvas c(7, 5);
    FillSolidRect(c, {1, 1, 3, 4}, kRed);
    const std::string path = testing::TempDir() + "/kv_canvas_roundtrip.png";
    ASSERT_TRUE(sim::gfx::writePng(c, path));
    HDC back = sim::gfx::readPng(path);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(sim::gfx::canvasPixels(back), sim::gfx::canvasPixels(c));
    DeleteDC(back);
    EXPECT_EQ(sim::gfx::readPng(path + ".missing"), nullptr);
}

}  // namespace

namespace {

// Shapes of any size, far beyond the surface, draw what shows of them and no more: a frame of a
// 2,147,483,647-pixel tab keeps its dash phase, and fills of the widest rectangles fill the row.
TEST(Canvas, AbsurdSizesDrawOnlyWhatShows) {
    constexpr LONG kMax = 0x7FFFFFFF, kMin = -kMax - 1;
    Canvas c(64, 32);
    KvFrameRect(c, {-100, 2, kMax, 30}, KVPEN{PS_DOT, 1, kRed});
    // 100 steps along the dotted top edge lie left of the surface: pixel 0 is step 100.
    EXPECT_EQ(c.row(2, 0, 12, kRed), "..###...###.");
    EXPECT_EQ(c.column(0, 3, 29, kRed), std::string(26, '.'));   // the left edge is far away
    KvFrameRect(c, {kMin, kMin, kMax, kMax}, KVPEN{PS_SOLID, 3, kBlue});
    EXPECT_EQ(c.count(kBlue), 0);

    Canvas f(16, 8);
    FillSolidRect(f, {kMin, 1, kMax, 2}, kRed);
    EXPECT_EQ(f.row(1, 0, 16, kRed), std::string(16, '#'));
    Draw3dRect(f, {kMin, 3, kMax, 6}, kBlue, kBlue);
    EXPECT_EQ(f.row(3, 0, 16, kBlue), std::string(16, '#'));
    EXPECT_EQ(f.row(4, 0, 16, kBlue), std::string(16, '.'));
    const COLORREF two[] = {kRed, kRed};
    KvGradientFill(f, {kMin, 6, kMax, 7}, two, nullptr, 2, GRADIENT_FILL_RECT_H);
    EXPECT_EQ(f.row(6, 0, 16, kRed), std::string(16, '#'));
    KvFillHatch(f, {kMin, 7, kMax, kMax}, 0, kBlue, kBlue);
    EXPECT_EQ(f.row(7, 0, 16, kBlue), std::string(16, '#'));
    const std::uint32_t blue[] = {0xFF0000FFu};
    HBITMAP dot = KvCreateBitmap(1, 1, blue);
    KvDrawBitmap(f, kMin / 2, 0, kMax, 1, dot, 0, 0, 1, 1, 0);
    EXPECT_EQ(f.row(0, 0, 16, kBlue), std::string(16, '#'));
    DeleteObject(dot);
    RECT text{kMin, 0, kMax, kMax};
    LOGFONT lf;
    lf.lfHeight = -12;
    HFONT font = CreateFontIndirect(&lf);
    DrawText(f, "wide", &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER, font, kRed);
    DeleteObject(font);
}

}  // namespace
