// The rich tooltip on the tab strip: it shows after the pointer rests on a tab, with the tab's
// markup, placed by the dock side, and goes again; and how the markup is laid out and painted.
#include <gtest/gtest.h>

#include "golden/golden.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"
#include "tabstrip/fileinfo.h"
#include "hosting/features.h"
#include "uikit/markup.h"
#include "win/input.h"

namespace {

class Tooltip : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
    }
    void openThree() {
        for (const char* name : {"a.dwg", "b.dwg", "c.dwg"}) {
            sim::dwg::Drawing d;
            d.summary.title = name;
            std::string err;
            ASSERT_TRUE(sim::dwg::writeDrawingFile(machine.drawings + name, d, sim::dwg::Release::R2010,
                                                   sim::dwg::Kind::Dwg, &err));
            sim::host::openDrawing(machine.drawings + name);
        }
    }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << transcript; }
    kvui::CKvTooltip& tip() { return KvTabPanel().Tooltip(); }
    sim::script::Runner runner;
};

TEST_F(Tooltip, ShowsAfterTheDelayBelowThePointerAndGoesAgain) {
    setNumber("Show desc", 1);
    setNumber("Show thumbnail", 1);
    openThree();
    start();
    run("@hover 1 ms=50");
    EXPECT_FALSE(tip().IsShown());   // the show delay is 100 ms
    run("@hover 1 ms=60");
    ASSERT_TRUE(tip().IsShown());
    EXPECT_NE(tip().Markup().find(machine.drawings + "b.dwg"), std::string::npos);
    EXPECT_NE(tip().Markup().find("(2/3)"), std::string::npos);
    EXPECT_NE(tip().Markup().find("Title = b.dwg"), std::string::npos);
    const CItemData* item = KvTabPanel().GetItem(1);
    char handle[32];
    std::snprintf(handle, sizeof handle, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(item->thumbnail)));
    EXPECT_NE(tip().Markup().find(handle), std::string::npos);

    // Docked top: the tip hangs 20 pixels below the pointer, its left edge at the pointer.
    POINT pointer;
    GetCursorPos(&pointer);
    RECT r;
    GetWindowRect(tip().GetSafeHwnd(), &r);
    EXPECT_EQ(r.left, pointer.x);
    EXPECT_EQ(r.top, pointer.y + 20);

    // Another tab: the tip goes and comes back with that tab's markup.
    run("@hover 2 ms=20");
    EXPECT_FALSE(tip().IsShown());
    run("@hover 2 ms=200");
    EXPECT_NE(tip().Markup().find("(3/3)"), std::string::npos);
    // It goes after its display time, on a click, and when the pointer leaves.
    run("@wait 6000");
    EXPECT_FALSE(tip().IsShown());
    run("@hover 0");
    run("@click 0");
    EXPECT_FALSE(tip().IsShown());
    run("@hover 1");
    run("@hover off");
    EXPECT_FALSE(tip().IsShown());
}

TEST_F(Tooltip, SwitchesShapeTheMarkup) {
    setNumber("Tooltip enable", 0);
    openThree();
    start();
    run("@hover 0");
    EXPECT_FALSE(tip().IsShown());

    KvTabPanel().TabCtrl().tooltipEnable = true;
    run("@hover 1");
    ASSERT_TRUE(tip().IsShown());
    // Thumbnail and description are off by default: handle 0 and an empty description cell.
    EXPECT_NE(tip().Markup().find("<bmp handle=0x0 style=s>"), std::string::npos);
    EXPECT_NE(tip().Markup().find("<td width=300></td>"), std::string::npos);
}

TEST(TooltipMarkup, LaysOutRowsWrapsAndAligns) {
    kvui::MarkupStyle style;
    KvGetMessageFont(&style.font);
    const std::uint32_t px[4 * 3] = {};
    HBITMAP picture = KvCreateBitmap(4, 3, px);
    char handle[32];
    std::snprintf(handle, sizeof handle, "%llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(picture)));
    const std::string markup = std::string("<table><tr><td width=120><font color=0xff0000>/a/very/long/folder/name/of/drawings/plan.dwg</font>"
                                           "</td></tr><tr><td><bmp handle=0x") + handle +
                               "></td></tr><tr><td width=120>\nTitle = A&lt;B <notatag></td></tr>"
                               "<tr><td align=right width=120>(3/7)</td></tr></table>";
    kvui::MarkupLayout layout(markup, style);
    const auto lines = layout.Lines();
    // The path breaks after a separator; text keeps its letters; the picture sits on its own row.
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines.front().substr(0, 3), "/a/");
    std::string joined;
    for (const auto& l : lines) joined += l;
    EXPECT_NE(joined.find("/a/very/long/folder/name/of/drawings/plan.dwg"), std::string::npos);
    EXPECT_NE(joined.find("Title = A<B <notatag>"), std::string::npos);
    EXPECT_EQ(lines.back(), "(3/7)");
    EXPECT_LE(layout.Size().cx, 120);
    const auto pictures = layout.Pictures();
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].first, picture);
    EXPECT_EQ(pictures[0].second.right - pictures[0].second.left, 4);

    // An unknown or zero handle draws nothing.
    kvui::MarkupLayout none("<bmp handle=0x0 style=s><bmp handle=0x12345 style=s>", style);
    EXPECT_TRUE(none.Pictures().empty());
    DeleteObject(picture);
}

TEST(TooltipMarkup, PaintsLikeTheGolden) {
    kvui::MarkupStyle style;
    KvGetMessageFont(&style.font);
    style.textColour = RGB(30, 30, 30);
    // A raw picture: a dark sheet with a light diagonal, as a drawing's preview looks.
    std::vector<std::uint32_t> px(160 * 120, 0xFF212830u);
    for (int i = 0; i < 120; ++i) px[std::size_t(i * 160 + 20 + i)] = 0xFFE6E6E6u;
    HBITMAP raw = KvCreateBitmap(160, 120, px.data());
    HBITMAP preview = KvComposePreview(raw, 8, 26640, true);
    CItemData item;
    item.SetPathName("/Drawings/plan.dwg");
    item.description = "\n\n\nTitle = Plan\nAuthor = Mirel\n\nDrawing Custom Summary Information:\n\nName             Value\n"
                       "\nClient             Harbour";
    item.thumbnail = preview;
    kvui::MarkupLayout layout(KvTooltipMarkup(item, 2, 7, true, true), style);
    const SIZE size = kvui::CKvTooltip::Measure(layout);
    HDC dc = KvCreateBufferDC(nullptr, size.cx, size.cy);
    kvui::CKvTooltip::PaintTip(dc, layout, size);
    EXPECT_GE(GetRValue(GetPixel(dc, 5, 1)), 250);           // the gradient starts white
    EXPECT_EQ(GetPixel(dc, 5, 0), RGB(118, 125, 138));     // the border
    EXPECT_TRUE(kvtest::matchesGolden(dc, "tooltip_sample"));
    DeleteDC(dc);
    DeleteObject(raw);
}

}  // namespace
