// Fonts and text: measurement, ellipsis, escapement, halo, face fallback and a golden sample.
#include <gtest/gtest.h>

#include <string>
#include "golden/golden.h"
#include "sim/gfx/canvas.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct Font {
    HFONT h;
    explicit Font(LONG height, LONG weight = FW_NORMAL, LONG escapement = 0, std::string face = "Tahoma") {
        LOGFONT lf;
        lf.lfHeight = height;
        lf.lfWeight = weight;
        lf.lfEscapement = lf.lfOrientation = escapement;
        lf.lfFaceName = std::move(face);
        h = CreateFontIndirect(&lf);
    }
    ~Font() { DeleteObject(h); }
    operator HFONT() const { return h; }
};

struct Canvas {
    HDC dc;
    Canvas(int w, int h) : dc(sim::gfx::createCanvas(w, h)) {}
    ~Canvas() { DeleteDC(dc); }
    operator HDC() const { return dc; }
    // Bounding box of everything that is not white.
    RECT ink() const {
        SIZE s = KvGetCanvasSize(dc);
        RECT r{s.cx, s.cy, -1, -1};
        for (int y = 0; y < s.cy; ++y)
            for (int x = 0; x < s.cx; ++x)
                if (GetPixel(dc, x, y) != kWhite) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }
};

TEST(Fonts, RecordsRoundTripAndHandlesAreReleased) {
    const std::size_t before = sim::gfx::liveFontCount();
    LOGFONT lf;
    lf.lfHeight = -13;
    lf.lfWeight = FW_SEMIBOLD;
    lf.lfItalic = 1;
    lf.lfFaceName = "Some Face";
    HFONT f = CreateFontIndirect(&lf);
    LOGFONT back;
    ASSERT_EQ(GetObject(f, &back), int(sizeof(LOGFONT)));
    EXPECT_EQ(back.lfHeight, -13);
    EXPECT_EQ(back.lfWeight, FW_SEMIBOLD);
    EXPECT_EQ(back.lfFaceName, "Some Face");   // the record keeps the face asked for
    EXPECT_TRUE(DeleteObject(f));
    EXPECT_FALSE(DeleteObject(f));
    EXPECT_EQ(GetObject(f, &back), 0);
    EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);
    EXPECT_EQ(sim::gfx::liveFontCount(), before);
    EXPECT_EQ(KvGetTextExtent(nullptr, f, "x").cx, 0);   // a released font measures nothing
}

TEST(Fonts, MissingFacesFallBackToTheStandardFace) {
    EXPECT_EQ(sim::gfx::resolvedFamily("No Such Face 123"), sim::gfx::kStandardFace);
    EXPECT_EQ(sim::gfx::resolvedFamily(""), sim::gfx::kStandardFace);
    EXPECT_EQ(sim::gfx::resolvedFamily("dejavu sans"), "dejavu sans");
    Font missing(-14, FW_NORMAL, 0, "No Such Face 123"), standard(-14, FW_NORMAL, 0, "DejaVu Sans");
    EXPECT_EQ(KvGetTextExtent(nullptr, missing, "Drawing1.dwg").cx, KvGetTextExtent(nullptr, standard, "Drawing1.dwg").cx);
}

TEST(Fonts, MeasurementGrowsWithTextSizeAndWeight) {
    Font normal(-12), bold(-12, FW_BOLD), big(-24);
    const std::string text = "Floor plan level 2.dwg";
    LONG last = 0;
    for (std::size_t n = 1; n <= text.size(); ++n) {
        LONG w = KvGetTextExtent(nullptr, normal, text.substr(0, n)).cx;
        EXPECT_GE(w, last) << n;
        last = w;
    }
    EXPECT_EQ(KvGetTextExtent(nullptr, normal, "").cx, 0);
    EXPECT_GT(KvGetTextExtent(nullptr, bold, text).cx, last);
    EXPECT_NEAR(double(KvGetTextExtent(nullptr, big, text).cx) / last, 2.0, 0.1);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(nullptr, normal, &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_NEAR(KvGetTextExtent(nullptr, normal, text).cy, tm.tmHeight, 1);
    // A positive height is the cell height.
    Font cell(20);
    ASSERT_TRUE(GetTextMetrics(nullptr, cell, &tm));
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    // A width stretches the text.
    LOGFONT wide;
    wide.lfHeight = -12;
    wide.lfWidth = 2 * tm.tmAveCharWidth;
    HFONT w = CreateFontIndirect(&wide);
    EXPECT_GT(KvGetTextExtent(nullptr, w, text).cx, last * 3 / 2);
    DeleteObject(w);
}

TEST(Text, EllipsisAlwaysFitsAndCutsAtWordBreaks) {
    Font font(-12);
    const std::string text = "Alpha Beta Gamma Delta.dwg";
    const LONG full = KvGetTextExtent(nullptr, font, text).cx;
    for (int width = 2; width <= full + 4; width += 3) {
        for (UINT mode : {DT_END_ELLIPSIS, DT_WORD_ELLIPSIS}) {
            Canvas c(full + 60, 30);
            RECT r{10, 5, 10 + width, 25};
            DrawText(c, text, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOCLIP | mode, font, kBlack);
            const RECT ink = c.ink();
            if (ink.right >= 0) {
                EXPECT_GE(ink.left, 10) << width;
                EXPECT_LE(ink.right, 10 + width) << "width " << width << " mode " << mode;
            }
        }
    }
    // Word ellipsis draws exactly "Alpha Beta..." where character ellipsis would go further.
    const LONG w = KvGetTextExtent(nullptr, font, "Alpha Beta Gam...").cx;
    auto draw = [&](const std::string& s, UINT mode) {
        Canvas c(200, 30);
        RECT r{0, 0, w, 30};
        DrawText(c, s, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER | mode, font, kBlack);
        return sim::gfx::canvasPixels(c);
    };
    EXPECT_EQ(draw(text, DT_WORD_ELLIPSIS), draw("Alpha Beta...", 0));
    EXPECT_EQ(draw(text, DT_END_ELLIPSIS), draw("Alpha Beta Gam...", 0));
    // Text that fits is left alone.
    EXPECT_EQ(draw("Alpha", DT_WORD_ELLIPSIS), draw("Alpha", 0));
}

// A path loses characters from the middle: what is drawn is a head of the path, "..." and the
// whole last component, and it fits.
TEST(Text, PathEllipsisKeepsTheFileName) {
    Font font(-12);
    const std::string folder = "/Projekte/Überbauung Nord/Ebene 2", name = "/평면도 지하 2층.dwg";
    const LONG nameWidth = KvGetTextExtent(nullptr, font, "..." + name).cx;
    auto draw = [&](const std::string& s, LONG width, UINT mode) {
        Canvas c(400, 24);
        RECT r{0, 0, width, 24};
        DrawText(c, s, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER | mode, font, kBlack);
        return sim::gfx::canvasPixels(c);
    };
    for (LONG width : {nameWidth, nameWidth + 7, nameWidth + 40, nameWidth + 90}) {
        const auto drawn = draw(folder + name, width, DT_PATH_ELLIPSIS);
        bool matched = false;
        for (std::size_t cut = 0; cut < folder.size() && !matched; ++cut) {
            if ((static_cast<unsigned char>(folder[cut]) & 0xC0) == 0x80) continue;   // inside a character
            const std::string shown = folder.substr(0, cut) + "..." + name;
            matched = KvGetTextExtent(nullptr, font, shown).cx <= width && drawn == draw(shown, 400, 0);
        }
        EXPECT_TRUE(matched) << width;
    }
    // Too narrow for the name: its end goes, as with DT_END_ELLIPSIS; a path that fits stays whole.
    EXPECT_EQ(draw(folder + name, nameWidth / 2, DT_PATH_ELLIPSIS), draw("..." + name, nameWidth / 2, DT_END_ELLIPSIS));
    EXPECT_EQ(draw(name, 400, DT_PATH_ELLIPSIS), draw(name, 400, 0));
}

TEST(Text, CentredOnOneLineAndCalcRect) {
    Font font(-12);
    Canvas c(200, 40);
    RECT r{0, 0, 200, 40};
    DrawText(c, "Centre", &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, font, kBlack);
    const RECT ink = c.ink();
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 100, 2);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 20, 3);
    RECT calc{5, 5, 5, 5};
    const int h = DrawText(nullptr, "Centre", &calc, DT_CALCRECT | DT_SINGLELINE, font, kBlack);
    EXPECT_EQ(calc.right - calc.left, KvGetTextExtent(nullptr, font, "Centre").cx);
    EXPECT_EQ(calc.bottom - calc.top, h);
    // Clipped to the rectangle unless DT_NOCLIP.
    Canvas k(200, 40);
    RECT small{0, 0, 20, 40};
    DrawText(k, "A long caption", &small, DT_SINGLELINE | DT_LEFT | DT_VCENTER, font, kBlack);
    EXPECT_LE(k.ink().right, 20);
}

TEST(Text, Escapement2700RunsDownward) {
    Font down(-14, FW_BOLD, 2700), up(-14, FW_BOLD, 900);
    // A heavy mark first, then thin dots: the ink's mass sits where the text starts.
    const std::string text = "WW.........";
    auto centroidY = [&](HFONT f, RECT* box) {
        Canvas c(40, 160);
        RECT r{0, 0, 40, 160};
        DrawText(c, text, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, f, kBlack);
        *box = c.ink();
        double sum = 0, n = 0;
        for (int y = 0; y < 160; ++y)
            for (int x = 0; x < 40; ++x)
                if (GetPixel(c, x, y) != kWhite) sum += y, ++n;
        return sum / n;
    };
    RECT box;
    const double yDown = centroidY(down, &box);
    EXPECT_GT(box.bottom - box.top, 3 * (box.right - box.left)) << "turned text is tall and narrow";
    EXPECT_NEAR((box.top + box.bottom) / 2.0, 80, 4) << "centred along the rectangle's height";
    EXPECT_LT(yDown, 80);
    EXPECT_GT(centroidY(up, &box), 80);
    // The extent is measured along the text, as for unturned text.
    Font flat(-14, FW_BOLD);
    EXPECT_EQ(KvGetTextExtent(nullptr, down, text).cx, KvGetTextExtent(nullptr, flat, text).cx);
}

TEST(Text, RepeatedCaptionsAreTheSameWhereverDrawnAndRespectTheClip) {
    Font font(-12, FW_SEMIBOLD);
    Canvas c(200, 60);
    RECT a{3, 4, 83, 24}, b{101, 31, 181, 51};
    const UINT fmt = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_WORD_ELLIPSIS;
    KvDrawTextHalo(c, "Level 3 floor plan.dwg", &a, fmt, font, kBlack, RGB(255, 255, 128), 4);
    KvDrawTextHalo(c, "Level 3 floor plan.dwg", &b, fmt, font, kBlack, RGB(255, 255, 128), 4);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(GetPixel(c, 3 + x, 4 + y), GetPixel(c, 101 + x, 31 + y)) << x << "," << y;
    // The same caption once more, under a clip that keeps only its left half.
    Canvas d(200, 60);
    const int saved = SaveDC(d);
    IntersectClipRect(d, 0, 0, 43, 60);
    KvDrawTextHalo(d, "Level 3 floor plan.dwg", &a, fmt, font, kBlack, RGB(255, 255, 128), 4);
    RestoreDC(d, saved);
    EXPECT_LE(d.ink().right, 43);
    EXPECT_GT(d.ink().right, 20);
}

TEST(Text, HaloSurroundsTheGlyphs) {
    Font font(-14, FW_BOLD);
    constexpr COLORREF halo = RGB(255, 255, 128);
    auto draw = [&](int width) {
        Canvas c(120, 40);
        FillSolidRect(c, {0, 0, 120, 40}, RGB(0, 0, 128));
        RECT r{0, 0, 120, 40};
        KvDrawTextHalo(c, "Halo", &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER, font, kBlack, halo, width);
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) n += GetRValue(GetPixel(c, x, y)) > 128;   // mostly halo
        return n;
    };
    EXPECT_EQ(draw(0), 0);
    const int thin = draw(2), thick = draw(8);
    EXPECT_GT(thin, 20);
    EXPECT_GT(thick, 2 * thin);
}

TEST(Text, RendersTheSameEveryTimeAndMatchesTheGolden) {
    Font normal(-12), bold(-12, FW_SEMIBOLD), down(-12, FW_MEDIUM, 2700);
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfItalic = lf.lfUnderline = 1;
    HFONT styled = CreateFontIndirect(&lf);
    auto paint = [&](HDC dc) {
        FillSolidRect(dc, {0, 0, 220, 90}, RGB(240, 240, 240));
        RECT a{4, 2, 180, 20};
        DrawText(dc, "Drawing1.dwg", &a, DT_SINGLELINE | DT_LEFT | DT_VCENTER, normal, RGB(0, 0, 128));
        RECT b{4, 22, 120, 40};
        DrawText(dc, "Second floor plan revision C.dwg", &b, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_WORD_ELLIPSIS,
                 bold, RGB(128, 128, 128));
        RECT c{4, 42, 180, 62};
        KvDrawTextHalo(dc, "Halo caption", &c, DT_SINGLELINE | DT_CENTER | DT_VCENTER, bold, RGB(255, 0, 0),
                       RGB(255, 255, 128), 8);
        RECT d{4, 64, 180, 86};
        DrawText(dc, "Italic underlined", &d, DT_SINGLELINE | DT_LEFT | DT_VCENTER, styled, kBlack);
        RECT e{190, 2, 216, 88};
        DrawText(dc, "Downward", &e, DT_SINGLELINE | DT_CENTER | DT_VCENTER, down, kBlack);
    };
    Canvas one(220, 90), two(220, 90);
    paint(one);
    paint(two);
    EXPECT_EQ(sim::gfx::canvasPixels(one), sim::gfx::canvasPixels(two));
    EXPECT_TRUE(kvtest::matchesGolden(one, "text_sample"));
    DeleteObject(styled);
}

}  // namespace
