// What a tab's tooltip is made of: sizes, format lines, descriptions, markup, placement, previews.
#include <gtest/gtest.h>

#include "sim/desk/desktop.h"
#include "sim/desk/locale.h"
#include "sim/gfx/bitmaps.h"
#include "sim/host/colors.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "support/plugin_fixture.h"
#include "tabstrip/fileinfo.h"
#include "tabstrip/panel.h"

namespace {

TEST(FileInfo, FileSizesAndGrouping) {
    EXPECT_EQ(FormatFileSize(0), "0 Bytes");
    EXPECT_EQ(FormatFileSize(1023), "1023 Bytes");
    EXPECT_EQ(FormatFileSize(1024), "1.00 KB");
    EXPECT_EQ(FormatFileSize(1048575), "1024.00 KB");
    EXPECT_EQ(FormatFileSize(1048576), "1.00 MB");
    EXPECT_EQ(FormatFileSize(1073741824), "1.00 GB");
    EXPECT_EQ(FormatFileSize(5ull << 40), "5120.00 GB");

    EXPECT_EQ(KvGroupedNumber(999), "999");
    EXPECT_EQ(KvGroupedNumber(1048576), "1,048,576");
    auto& locale = sim::desk::userLocale();
    const auto saved = locale;
    locale.thousand = ".", locale.decimal = ",";
    EXPECT_EQ(KvGroupedNumber(26640), "26.640");
    locale = saved;
}

TEST(FileInfo, FormatLines) {
    EXPECT_EQ(KvFormatLine(0), "Version : NONE");
    EXPECT_EQ(KvFormatLine(2), "Version : Release 11/12");
    EXPECT_EQ(KvFormatLine(5), "Version : AutoCAD 2000/2000i/2002");
    EXPECT_EQ(KvFormatLine(9), "Version : AutoCAD 2013/~/2017");
    EXPECT_EQ(KvFormatLine(10), "Version : AutoCAD 2018");
    EXPECT_EQ(KvFormatLine(11), "");
    EXPECT_EQ(KvFormatLine(-1), "");
}

TEST(FileInfo, PlacementFollowsTheDockSide) {
    using kvui::TooltipAnchor;
    const POINT p{300, 40};
    auto check = [&](int side, TooltipAnchor anchor, POINT at) {
        const KvTooltipPlacement got = KvPlaceTooltip(side, p);
        EXPECT_EQ(got.anchor, anchor) << side;
        EXPECT_EQ(got.at.x, at.x) << side;
        EXPECT_EQ(got.at.y, at.y) << side;
    };
    check(kDockTop, TooltipAnchor::TopLeft, {300, 60});
    check(kDockBottom, TooltipAnchor::BottomLeft, {300, 20});
    check(kDockLeft, TooltipAnchor::LeftMiddle, {320, 40});
    check(kDockRight, TooltipAnchor::RightMiddle, {280, 40});
}

TEST(FileInfo, MarkupNamesThePictureAndThePosition) {
    CItemData item;
    item.SetPathName("/d/plan.dwg");
    item.description = "\nTitle = A<B & C";
    const std::uint32_t px[1] = {0xFF00FF00u};
    item.thumbnail = KvCreateBitmap(1, 1, px);
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%llX", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(item.thumbnail)));

    EXPECT_EQ(KvTooltipMarkup(item, 2, 7, true, true),
              std::string("<table align=left valign=vcenter><tr><td width=300><font color=0xff0000>/d/plan.dwg</font>"
                          "</td></tr><tr><td><bmp handle=") + hex +
                  " style=s></td></tr><tr><td width=300>\nTitle = A&lt;B &amp; C</td></tr>"
                  "<tr><td align=right width=300>(3/7)</td></tr></table>");
    const std::string off = KvTooltipMarkup(item, 0, 1, false, false);
    EXPECT_NE(off.find("<bmp handle=0x0 style=s>"), std::string::npos);
    EXPECT_NE(off.find("<td width=300></td>"), std::string::npos);
    EXPECT_NE(off.find("(1/1)"), std::string::npos);
}

TEST(FileInfo, PreviewFitsThePictureAndDrawsTheBand) {
    std::vector<std::uint32_t> red(100 * 50, 0xFFFF0000u);
    HBITMAP raw = KvCreateBitmap(100, 50, red.data());
    auto pixel = [](HBITMAP b, int x, int y) {
        int w = 0, h = 0;
        std::vector<std::uint32_t> px;
        KvGetBitmapPixels(b, &w, &h, &px);
        return px[std::size_t(y * w + x)] & 0xFFFFFF;
    };
    HBITMAP withBand = KvComposePreview(raw, 8, 26640, true);
    BITMAP info;
    ASSERT_TRUE(GetObject(withBand, &info));
    EXPECT_EQ(info.bmWidth, 200);
    EXPECT_EQ(info.bmHeight, 180);
    EXPECT_EQ(pixel(withBand, 100, 72), 0xFF0000u);   // the picture, 200 by 100, centred in 144 rows
    EXPECT_EQ(pixel(withBand, 100, 10), 0xC0C0C0u);   // above it, uncovered
    EXPECT_EQ(pixel(withBand, 195, 176), 0xD3D3D3u);  // the band
    EXPECT_EQ(pixel(withBand, 0, 0), 0xA9A9A9u);      // the frame
    EXPECT_EQ(pixel(withBand, 199, 179), 0xA9A9A9u);

    HBITMAP noBand = KvComposePreview(raw, 8, 26640, false);
    EXPECT_EQ(pixel(noBand, 100, 89), 0xFF0000u);     // centred in 178 rows
    EXPECT_EQ(pixel(noBand, 100, 178), 0xFFFFFFu);    // below the area: the white canvas
    EXPECT_EQ(pixel(noBand, 100, 177), 0xC0C0C0u);
    for (HBITMAP b : {raw, withBand, noBand}) DeleteObject(b);
}

// Every format line and the longest size line are drawn whole inside the band: the column before
// the frame keeps the band's colour.
TEST(FileInfo, TheBandLinesFitTheBand) {
    std::vector<std::uint32_t> grey(20 * 20, 0xFF808080u);
    HBITMAP raw = KvCreateBitmap(20, 20, grey.data());
    for (int code = 0; code <= 10; ++code) {
        for (std::uint64_t size : {std::uint64_t(26640), std::uint64_t(999999999999999)}) {
            HBITMAP preview = KvComposePreview(raw, code, size, true);
            int w = 0, h = 0;
            std::vector<std::uint32_t> px;
            ASSERT_TRUE(KvGetBitmapPixels(preview, &w, &h, &px));
            int inked = 0;
            for (int y = 145; y < h - 1; ++y) {
                EXPECT_EQ(px[std::size_t(y * w + w - 2)] & 0xFFFFFF, 0xD3D3D3u) << "code " << code << " row " << y;
                for (int x = 2; x < 40; ++x) inked += (px[std::size_t(y * w + x)] & 0xFFFFFF) != 0xD3D3D3u;
            }
            EXPECT_GT(inked, 0) << code;   // the lines are there
            DeleteObject(preview);
        }
    }
    DeleteObject(raw);
}

class FileInfoPlugin : public kvtest::PluginFixture {
protected:
    std::string write(const std::string& name, sim::dwg::Release release, sim::dwg::Kind kind = sim::dwg::Kind::Dwg,
                      const AcDbSummaryInfo& summary = {}) {
        sim::dwg::Drawing d;
        d.summary = summary;
        d.lines = {{{0, 0, 0}, {10, 5, 0}}};
        d.extents = sim::dwg::extentsOf(d.lines);
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(machine.drawings + name, d, release, kind, &err)) << err;
        return machine.drawings + name;
    }
    static SIZE sizeOf(HBITMAP b) {
        BITMAP info;
        return GetObject(b, &info) ? SIZE{info.bmWidth, info.bmHeight} : SIZE{0, 0};
    }
};

TEST_F(FileInfoPlugin, DescriptionFromTheSummary) {
    AcDbSummaryInfo s;
    s.title = "Plan";
    s.author = "Mirel";
    s.hyperlinkBase = "http://x";
    s.revisionNumber = "7";
    s.custom = {{"Client", "Harbour"}, {"Draft", ""}, {"", "orphan"}};
    sim::host::openDrawing(write("full.dwg", sim::dwg::Release::R2010, sim::dwg::Kind::Dwg, s));
    start();
    EXPECT_EQ(MakeDescription(acDocManager->curDocument()->database()),
              "\n\n\nTitle = Plan\nAuthor = Mirel\nHyper Link = http://x\nRevision Number = 7"
              "\n\nDrawing Custom Summary Information:\n\nName             Value\n"
              "\nClient             Harbour\nDraft\n             orphan");

    sim::host::openDrawing(write("bare.dwg", sim::dwg::Release::R2010));
    const std::string bare = MakeDescription(acDocManager->curDocument()->database());
    EXPECT_EQ(bare, "\n\n\nThis drawing does not contain any custom summary information.");
    EXPECT_EQ(MakeDescription(nullptr), "\nThis drawing does not contain summary information.");
}

TEST_F(FileInfoPlugin, ThumbnailsByFileType) {
    start();
    struct Case { std::string path; int type; SIZE size; int version; };
    const Case cases[] = {
        {write("a.dwg", sim::dwg::Release::R2010), kFileTypeDwg, {200, 180}, 8},
        {write("b.dwt", sim::dwg::Release::R2013, sim::dwg::Kind::Template), kFileTypeDwt, {200, 180}, 9},
        {write("c.dxf", sim::dwg::Release::R2004, sim::dwg::Kind::Dxf), kFileTypeDxf, {180, 135}, 6},
        {write("d.dxf", sim::dwg::Release::R12, sim::dwg::Kind::Dxf), kFileTypeDxf, {161, 115}, 2},
        {machine.drawings + "gone.dwg", kFileTypeDwg, {161, 115}, -1},
        {machine.drawings + "readme.txt", kFileTypeOther, {161, 115}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CItemData item;
        item.fileType = c.type;
        MakeItemThumbnail(&item, c.path, true);
        const SIZE got = sizeOf(item.thumbnail);
        EXPECT_EQ(got.cx, c.size.cx);
        EXPECT_EQ(got.cy, c.size.cy);
        EXPECT_EQ(item.versionCode, c.version);
        // A new picture replaces the old one, which is deleted.
        HBITMAP first = item.thumbnail;
        const std::size_t live = sim::gfx::liveBitmapCount();
        MakeItemThumbnail(&item, c.path, false);
        EXPECT_EQ(sim::gfx::liveBitmapCount(), live);
        EXPECT_EQ(sizeOf(first).cx, 0);
    }
}

TEST_F(FileInfoPlugin, FailingColourQueryIsReportedAndDrawsOnBlack) {
    start();
    const std::string path = write("a.dwg", sim::dwg::Release::R2004);
    sim::host::displayColors().fail = true;
    CItemData item;
    item.fileType = kFileTypeDwg;
    MakeItemThumbnail(&item, path, true);
    sim::host::displayColors().fail = false;
    ASSERT_FALSE(sim::Desktop::get().shownBoxes().empty());
    EXPECT_EQ(sim::Desktop::get().shownBoxes().back().text, "Error in acedGetCurrentColors");
    EXPECT_EQ(sizeOf(item.thumbnail).cx, 200);
}

}  // namespace
