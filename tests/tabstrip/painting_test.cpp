// Where the tab control puts captions, the scroll arrows it takes over, the bar's visibility
// while a delayed show is still waiting for the frame's layout, and the Options preview of a look.
#include <vector>
#include "hosting/dockbar.h"
#include "sim/desk/windows.h"
#include "sim/gfx/canvas.h"
#include "tabstrip/painting.h"
#include "uikit/effects.h"
#include "sim/host/dwgfile.h"
#include "golden/golden.h"
#include "support/plugin_fixture.h"
#include "hosting/features.h"
#include "win/registry.h"
#include "win/system.h"

namespace {

TEST(CaptionPlace, AfterTheIconOrFourPixelsInAndShortOfTheCloseGlyph) {
    AcKvUiTabCtrl t;
    CItemData item;
    const RECT tab{10, 2, 130, 24};
    t.subControlSize = 6;
    RECT r = t.CaptionRect(tab, item);
    EXPECT_EQ(r.left, 10 + 2 + 16 + 2);   // after the file icon
    EXPECT_EQ(r.right, 130 - 6);          // short of the close glyph
    t.fileIcon = false;
    t.versionIcon = false;
    t.showClose = false;
    r = t.CaptionRect(tab, item);
    EXPECT_EQ(r.left, 14);
    EXPECT_EQ(r.right, 130);   // not narrowed without the glyph
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.bottom, 24);

    // Docked left, the text runs downward below the icon and stops short of the glyph at the bottom.
    t.ApplyDockStyle(kDockLeft);
    t.fileIcon = true;
    t.showClose = true;
    r = t.CaptionRect({2, 10, 26, 130}, item);
    EXPECT_EQ(r.top, 10 + 2 + 16 + 6);
    EXPECT_EQ(r.bottom, 130 - 6);

    // Thumbnail tabs keep upright text below the picture, on a left bar as in a row.
    t.fileIcon = false;
    t.thumbnailIcon = true;
    t.fixedWidthX = 120;
    item.thumbnail = KvCreateBitmap(4, 3, std::vector<std::uint32_t>(12, 0xFF000000u).data());
    r = t.CaptionRect({2, 10, 128, 130}, item);
    EXPECT_EQ(r.top, 10 + 2 + 90);
    EXPECT_EQ(r.left, 2 + 4);
    EXPECT_EQ(r.right, 128 - 6);
}

TEST(TabStripWildcard, DotStandsForOneCharacterOfAnyScript) {
    EXPECT_TRUE(KvWildcardMatch("도..dwg", "도면.dwg"));   // one dot for 면, one for the dot
    EXPECT_FALSE(KvWildcardMatch("도.dwg", "도면.dwg"));
    EXPECT_TRUE(KvWildcardMatch("*면*", "도면.dwg"));
    EXPECT_FALSE(KvWildcardMatch("도*.dxf", "도면.dwg"));
}

// The Options dialog's preview: the effect fills the tab, the border's line type frames it (the
// last type twice), the outline runs along the top at half its width, and nothing more.
TEST(LookPreview, EffectFrameAndOutlineAsChosen) {
    constexpr int w = 120, h = 30;
    HDC dc = KvCreateBufferDC(nullptr, w, h);
    ASSERT_NE(dc, nullptr);
    KvLookPreview look;
    look.bgEffect = kvui::EffectHGradient;
    look.startColor = look.endColor = RGB(0, 0, 200);
    look.borderLineType = 6;
    look.useOutline = true;
    look.outlineColor = RGB(250, 0, 0);
    look.outlineWidth = 6;
    auto pixel = [&](int x, int y) {
        int cw = 0, ch = 0;
        return sim::gfx::canvasPixels(dc, &cw, &ch)[size_t(y * cw + x)] & 0xFFFFFFu;
    };
    KvPaintLookPreview(dc, RECT{0, 0, w, h}, look);
    // The tab runs from (4, 3) to (116, 29).
    EXPECT_EQ(pixel(1, 15), GetSysColor(COLOR_BTNFACE) & 0xFFFFFFu);
    EXPECT_EQ(pixel(4, 15), 0x404040u);   // the frame
    EXPECT_EQ(pixel(6, 15), 0x404040u);   // the second frame of the double line
    EXPECT_EQ(pixel(5, 15), 0x0000C8u);   // the effect between them
    EXPECT_EQ(pixel(60, 15), 0x0000C8u);
    for (int y = 4; y < 4 + 6 / 2 + 1; ++y) EXPECT_EQ(pixel(60, y), 0xFA0000u) << y;
    EXPECT_EQ(pixel(60, 8), 0x0000C8u);

    look.borderLineType = 0;
    look.useOutline = false;
    KvPaintLookPreview(dc, RECT{0, 0, w, h}, look);
    EXPECT_EQ(pixel(4, 15), 0x0000C8u);
    EXPECT_EQ(pixel(6, 15), 0x0000C8u);
    EXPECT_EQ(pixel(60, 4), 0x0000C8u);
    DeleteDC(dc);
}

class TabPainting : public kvtest::PluginFixture {
protected:
    std::string drawing(const std::string& name, int lines = 0) {
        const std::string path = machine.drawings + name;
        sim::dwg::Drawing d;
        for (int i = 0; i < lines; ++i) d.lines.push_back({{double(i), 0, 0}, {double(lines - i), 10, 0}});
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    void layout() { sim::desk::WindowManager::get().pump(); }
};

TEST_F(TabPainting, ScrollArrowsFollowTheDockSide) {
    start();
    for (int i = 0; i < 40; ++i) KvTabPanel().InsertLinkDrawing(machine.drawings + "t" + std::to_string(i) + ".dwg");
    layout();
    HWND arrows = tabs().RefreshScrollArrows();
    ASSERT_NE(arrows, nullptr);
    EXPECT_TRUE(IsWindowVisible(arrows));
    EXPECT_TRUE(GetWindowLongPtr(arrows, GWL_STYLE) & UDS_HORZ);
    tabs().ApplyDockStyle(kDockLeft);
    EXPECT_FALSE(GetWindowLongPtr(arrows, GWL_STYLE) & UDS_HORZ);
}

// A hide asked for while a delayed show still waits for the frame's layout wins.
TEST_F(TabPainting, HideBeforeTheDelayedShowKeepsTheBarHidden) {
    setNumber("One tab hidden", 1);
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    layout();
    ASSERT_FALSE(KvDockBar()->IsVisible());
    KvTabPanel().InsertLinkDrawing(machine.drawings + "b.dwg");
    EXPECT_TRUE(KvDockBar()->IsVisible());   // shown at the next layout
    KvTabPanel().DeleteDrawing(KvTabPanel().GetItem(1));
    EXPECT_FALSE(KvDockBar()->IsVisible());
    layout();
    EXPECT_FALSE(IsWindowVisible(KvDockBar()->GetSafeHwnd()));
}

// Thumbnail tabs on a left bar: pictures on top, upright captions below, glyphs at the right.
TEST_F(TabPainting, LeftBarWithThumbnails) {
    setNumber("Docking position", 4096);
    setNumber("Thumbnail icon", 1);
    setNumber("file icon", 0);
    setNumber("fixed width", 1);
    setNumber("Fixed Width x", 100);
    sim::host::openDrawing(drawing("plan.dwg", 6));
    sim::host::openDrawing(drawing("section.dwg", 3));
    start();
    layout();
    HDC dc = sim::desk::renderWindow(tabs().GetSafeHwnd());
    EXPECT_TRUE(kvtest::matchesGolden(dc, "tabbar_left_thumbnails"));
    DeleteDC(dc);
}

}  // namespace
