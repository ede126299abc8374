// Where the tab control puts captions, the scroll arrows it takes over, and the bar's visibility
// while a delayed show is still waiting for the frame's layout.
#include <vector>
#include "hosting/dockbar.h"
#include "sim/desk/windows.h"
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
