// The tab strip: the bar's size and visibility, the panel's tab operations, and what the tab
// control paints, with the plug-in started in the simulated host.
#include <filesystem>
#include "doctrack/docdata.h"
#include "hosting/dockbar.h"
#include "sim/desk/windows.h"
#include "sim/host/drawing_store.h"
#include "sim/host/dwgfile.h"
#include "golden/golden.h"
#include "support/plugin_fixture.h"
#include "hosting/features.h"
#include "settings/favourites.h"
#include "tabstrip/menuids.h"
#include <functional>
#include <stdexcept>
#include "win/registry.h"
#include "win/system.h"

namespace {

class TabStrip : public kvtest::PluginFixture {
protected:
    std::string drawing(const std::string& name, sim::dwg::Release release = sim::dwg::Release::R2013,
                        bool foreign = false) {
        sim::dwg::Drawing d;
        d.originalVersion = d.lastSavedAsVersion = sim::dwg::dwgVersion(release);
        const std::string path = machine.drawings + name;
        const auto kind = sim::dwg::kindOf(AcApDocument::SaveFormat(
            name.ends_with(".dxf") ? 61 : name.ends_with(".dwt") ? 62 : 60));
        std::string err;
        if (foreign) {
            EXPECT_TRUE(sim::host::drawingFiles().writeForeign(path, sim::dwg::dwgVersion(release), &err)) << err;
        } else {
            EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, release, kind, &err)) << err;
        }
        return path;
    }
    AcKvUiTabPanel& panel() { return KvTabPanel(); }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    RECT barRect() {
        RECT r{};
        GetWindowRect(KvDockBar()->GetSafeHwnd(), &r);
        return r;
    }
    void layout() { sim::desk::WindowManager::get().pump(); }
    // The tab control painted as it shows.
    HDC render() {
        layout();
        return sim::desk::renderWindow(tabs().GetSafeHwnd());
    }
};

TEST(TabStripLayout, ThicknessRule) {
    auto top = CKorvaneDialogBar::ComputeLayout(true, 12, 32, false, false);
    EXPECT_EQ(top.thickness, 28);
    EXPECT_EQ(top.item.cy, 22);
    EXPECT_EQ(CKorvaneDialogBar::ComputeLayout(true, 12, 32, false, true).thickness, 32);
    auto thumbs = CKorvaneDialogBar::ComputeLayout(true, 12, 120, true, true);
    EXPECT_EQ(thumbs.thickness, 90 + 24);
    EXPECT_EQ(thumbs.item.cx, 126);
    auto left = CKorvaneDialogBar::ComputeLayout(false, 12, 120, true, false);
    EXPECT_EQ(left.thickness, 130);
    EXPECT_EQ(left.item.cx, 90 + 24 + 6);
    EXPECT_EQ(left.item.cy, 126);
    EXPECT_EQ(CKorvaneDialogBar::ComputeLayout(false, 10, 50, false, true).thickness, 28);
    EXPECT_EQ(KvBarStyleFor(4096), 4352u);
    EXPECT_EQ(KvBarStyleFor(8192), 8704u);
    EXPECT_EQ(KvBarStyleFor(16384), 17408u);
    EXPECT_EQ(KvBarStyleFor(32768), 34816u);
    EXPECT_EQ(KvBarStyleFor(12345), 8704u);   // a value that names no side docks at the top
}

TEST(TabStripTables, FormatCodesIconsAndStrips) {
    EXPECT_EQ(KvFileIconFor(60), KvFileIcon::R2013);
    EXPECT_EQ(KvFormatStripFor(60), KvFormatStrip::R2013);
    for (int dxf : {1, 9, 25, 49, 61, 65}) EXPECT_EQ(KvFileIconFor(dxf), KvFileIcon::Dxf) << dxf;
    EXPECT_EQ(KvFileIconFor(-1), KvFileIcon::Generic);
    EXPECT_EQ(KvFileIconFor(7), KvFileIcon::Unknown);
    EXPECT_EQ(KvFormatStripFor(64), KvFormatStrip::R2018);
    EXPECT_EQ(KvFormatStripFor(65), KvFormatStrip::Unknown);
    EXPECT_EQ(KvFormatCodeFromVersionCode(9), 60);
    EXPECT_EQ(KvFormatCodeFromVersionCode(1), -1);
    EXPECT_EQ(KvFileTypeOf(".DWT"), kFileTypeDwt);
    EXPECT_EQ(KvFileTypeOf(""), kFileTypeOther);
    EXPECT_EQ(KvFileTypeOf(".Dxf"), kFileTypeDxf);
}

TEST(TabStripCaptions, ShorteningAndExtension) {
    const std::string twenty(20, 'n'), twentyOne(21, 'n');
    EXPECT_EQ(KvTabCaption("/d/" + twenty + ".dwg", false, true, 20), "####" + twenty);
    EXPECT_EQ(KvTabCaption("/d/" + twentyOne + ".dwg", false, true, 20), "####" + twenty + "...");
    EXPECT_EQ(KvTabCaption("/d/longname.dwg", true, true, 3), "####lon....dwg");
    EXPECT_EQ(KvTabCaption("/d/plan.dwg", true, false, 3), "####plan.dwg");
    EXPECT_EQ(KvShortenCaption("한글도면파일", 2), "한글...");
}

TEST(TabStripWildcard, Rule) {
    EXPECT_TRUE(KvWildcardMatch("a*.dwg", "abc.dwg"));
    EXPECT_TRUE(KvWildcardMatch("a*.dwg", "a.dwg"));
    EXPECT_TRUE(KvWildcardMatch("*", "anything.dxf"));
    EXPECT_FALSE(KvWildcardMatch("A*", "abc.dwg"));
    EXPECT_TRUE(KvWildcardMatch("a.c", "abc"));
    EXPECT_TRUE(KvWildcardMatch("**b", "ab"));
    EXPECT_FALSE(KvWildcardMatch("a*.dwg", "a.dxf"));
}

TEST_F(TabStrip, TopBarThicknessAndTabsOfOpenDrawings) {
    setNumber("version icon", 0);
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    ASSERT_NE(KvDockBar(), nullptr);
    EXPECT_TRUE(KvDockBar()->IsVisible());
    EXPECT_EQ(barRect().top, 0);
    EXPECT_EQ(barRect().Height(), 28);
    ASSERT_EQ(tabs().GetItemCount(), 2);
    EXPECT_EQ(tabs().GetCurSel(), 1);   // the current drawing
    EXPECT_EQ(tabs().GetItem(1)->pathName, machine.drawings + "b.dwg");
    EXPECT_EQ(docData(tabs().GetItem(0)->drawingDoc).diskFormat, 60);
}

TEST_F(TabStrip, ThumbnailModeWithFixedWidth) {
    setNumber("Thumbnail icon", 1);
    setNumber("fixed width", 1);
    setNumber("Fixed Width x", 120);
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    EXPECT_EQ(barRect().Height(), 90 + 2 * tabs().SelectedFontHeight());
    EXPECT_EQ(tabs().GetItemRect(0).Width(), 126);
}

TEST_F(TabStrip, OneTabHiddenUntilASecondTab) {
    setNumber("One tab hidden", 1);
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    layout();
    EXPECT_FALSE(KvDockBar()->IsVisible());
    panel().InsertLinkDrawing(machine.drawings + "b.dwg");
    layout();
    EXPECT_TRUE(KvDockBar()->IsVisible());
}

// Runs `body` inside a window procedure, where the host's loop takes no turn: the work it hands
// the host for later is still waiting when it returns.
void insideWindowProcedure(const std::function<void()>& body) {
    CREATEWINDOW p;
    p.className = "KvTestHandler";
    p.proc = [&body](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_USER) body();
        return 0;
    };
    HWND handler = CreateWindowEx(p);
    SendMessage(handler, WM_USER, 0, 0);
    DestroyWindow(handler);
}

// The panel is the loaded module's: there is none before start-up or after unload, and work the
// host runs later finds none then instead of reaching freed state.
TEST_F(TabStrip, ThePanelLivesWithTheModuleAndLaterWorkFindsNoneAfterIt) {
    EXPECT_THROW(KvTabPanel(), std::logic_error);
    sim::host::openDrawing(drawing("a.dwg"));
    const std::string plan = drawing("plan.dwt");
    start();
    panel().InsertLinkDrawing(drawing("b.dwg"));
    KvStripMenus()->templates = {KvMakeEntry(plan, "Plan")};
    auto handOver = [&] {
        ASSERT_TRUE(KvStripMenus()->OnNumberedCommand(kMenuIdFirstTemplate));
        tabs().linkIndex = tabs().GetItemCount() - 1;
        AcKvUiTabPanel::OpenLinkTabLater();
    };

    // While loaded, the work runs once the host has its turn: a drawing from the template, the
    // link tab's drawing.
    insideWindowProcedure(handOver);
    EXPECT_EQ(acDocManager->documentCount(), 1);
    sim::host::pump();
    EXPECT_EQ(acDocManager->documentCount(), 3);

    // Handed over, then the module unloads before the host's turn: the work does nothing.
    panel().InsertLinkDrawing(drawing("c.dwg"));
    insideWindowProcedure([&] {
        handOver();
        unload();
    });
    EXPECT_EQ(KvFeatures(), nullptr);
    sim::host::pump();
    EXPECT_EQ(acDocManager->documentCount(), 3);
    EXPECT_THROW(KvTabPanel(), std::logic_error);
}

TEST_F(TabStrip, InsertingAndSorting) {
    setNumber("Open sort", 1);
    start();
    for (const char* name : {"c.dwg", "a.dwg", "B.dwg"}) panel().InsertLinkDrawing(machine.drawings + name);
    ASSERT_EQ(tabs().GetItemCount(), 3);
    EXPECT_EQ(tabs().GetItem(0)->displayName, "a.dwg");
    EXPECT_EQ(tabs().GetItem(1)->displayName, "B.dwg");
    EXPECT_EQ(tabs().GetItem(2)->displayName, "c.dwg");
    CItemData* first = tabs().GetItem(0);
    panel().InsertLinkDrawing(machine.drawings + "a.dwg");   // a second link tab of the same file
    EXPECT_EQ(tabs().GetItemCount(), 4);
    EXPECT_EQ(tabs().GetItem(1), first);                        // the new one went before it
    EXPECT_EQ(tabs().GetItem(0)->isLink, 1);
    EXPECT_EQ(tabs().GetItem(0)->description, "\nLink Drawing");

    // An opened drawing replaces its old tab.
    sim::host::openDrawing(drawing("d.dwg"));
    AcApDocument* doc = acDocManager->curDocument();
    panel().InsertDrawing(doc);
    panel().InsertDrawing(doc);
    int tabsOfDoc = 0;
    for (int i = 0; i < tabs().GetItemCount(); ++i) tabsOfDoc += tabs().GetItem(i)->drawingDoc == doc;
    EXPECT_EQ(tabsOfDoc, 1);
}

TEST_F(TabStrip, KeepAsLinkInSingleDocumentMode) {
    start();
    sim::host::openDrawing(drawing("a.dwg"));
    AcApDocument* doc = acDocManager->curDocument();
    App().sdi = true;
    panel().InsertDrawing(doc);
    CItemData* item = panel().FindItemByDocument(doc);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->keepAsLink, 1);
    EXPECT_EQ(panel().DeleteDrawing(doc), 1);
    const int index = panel().FindItemIndex(item);
    ASSERT_GE(index, 0);   // the tab stayed, as a link
    EXPECT_EQ(item->isLink, 1);
    EXPECT_EQ(item->drawingDoc, nullptr);
    App().sdi = false;
}

TEST_F(TabStrip, WildcardSelectsAndMarks) {
    start();
    for (const char* name : {"abc.dwg", "xyz.dwg", "a.dwg"}) panel().InsertLinkDrawing(machine.drawings + name);
    EXPECT_EQ(panel().SetCurTabFromWildcard("q*"), 0);
    EXPECT_EQ(panel().SetCurTabFromWildcard("a*.dwg"), 1);
    EXPECT_EQ(tabs().GetCurSel(), 0);
    EXPECT_EQ(tabs().MarkedItems().size(), 2u);
    EXPECT_EQ(tabs().GetItem(2)->marked, 1);
    EXPECT_EQ(tabs().GetItem(1)->marked, 0);
}

// A pixel of the given colour somewhere in the rectangle.
bool hasColour(HDC dc, const RECT& r, COLORREF colour) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (GetPixel(dc, x, y) == colour) return true;
    return false;
}

TEST_F(TabStrip, ReadOnlyCaptionIsRed) {
    setNumber("Use Outline", 0);
    sim::host::openDrawing(drawing("mine.dwg"));
    sim::host::openDrawing(drawing("theirs.dwg", sim::dwg::Release::R2010, true));
    start();
    ASSERT_TRUE(acDocManager->curDocument()->isReadOnly());
    HDC dc = render();
    EXPECT_TRUE(hasColour(dc, tabs().GetItemRect(1), RGB(255, 0, 0)));
    EXPECT_FALSE(hasColour(dc, tabs().GetItemRect(0), RGB(255, 0, 0)));
    DeleteDC(dc);
}

TEST_F(TabStrip, ReadOnlyShowsThePadlockEvenWhenModified) {
    setNumber("version icon", 0);
    sim::host::openDrawing(drawing("mine.dwg"));
    sim::host::openDrawing(drawing("theirs.dwg", sim::dwg::Release::R2010, true));
    start();
    layout();
    tabs().GetItem(1)->modified = 1;
    tabs().GetItem(0)->modified = 1;
    HDC dc = render();
    // The overlays sit one pixel inside the icon; the padlock has a white keyhole at (3,5), where
    // the tick of a modified drawing has nothing.
    auto overlayPixel = [&](int tab, int x, int y) {
        const RECT r = tabs().GetItemRect(tab);
        const int top = (r.bottom - r.top) / 2 - 8 + r.top;
        return GetPixel(dc, r.left + 2 + 1 + x, top + 1 + y);
    };
    EXPECT_EQ(overlayPixel(1, 3, 5), RGB(255, 255, 255));
    EXPECT_EQ(overlayPixel(1, 3, 4), RGB(220, 20, 20));
    EXPECT_NE(overlayPixel(0, 3, 5), RGB(255, 255, 255));
    DeleteDC(dc);
}

TEST_F(TabStrip, WithoutIconsTheCaptionStartsFourPixelsIn) {
    setNumber("file icon", 0);
    setNumber("Use Outline", 0);
    sim::host::openDrawing(drawing("abcdefghijklmnopqrstuvwxyzabcdefghij.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    tabs().SetFixedWidth(true, 80);
    tabs().SetItemSize({80, 26});
    HDC dc = render();
    const RECT r = tabs().GetItemRect(0);
    int firstInk = -1;
    for (int x = r.left; x < r.right && firstInk < 0; ++x)
        for (int y = r.top + 2; y < r.bottom - 2; ++y)
            if (GetRValue(GetPixel(dc, x, y)) < 200) {   // ink on the button-face background
                firstInk = x;
                break;
            }
    EXPECT_GE(firstInk, r.left + 4);
    EXPECT_LE(firstInk, r.left + 7);   // the first letter's own side bearing
    DeleteDC(dc);
}

TEST_F(TabStrip, BottomBarOutlineOpensUpward) {
    setNumber("Docking position", 32768);
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    const auto areas = sim::desk::frameAreas();
    EXPECT_EQ(barRect().bottom, areas.commandLine.top);
    HDC dc = render();
    const RECT t = tabs().GetItemRect(tabs().GetCurSel());
    RECT client;
    GetClientRect(tabs().GetSafeHwnd(), &client);
    EXPECT_EQ(t.bottom, client.bottom);   // the row sits at the bottom
    // The band lies 4 pixels above the tab row, across the whole bar.
    EXPECT_EQ(GetPixel(dc, client.right - 5, t.top - 4), tabs().endColor);
    EXPECT_EQ(GetPixel(dc, 2, t.top - 4), tabs().endColor);
    DeleteDC(dc);
}

TEST_F(TabStrip, CloseGlyphOnlyWhenShown) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    const RECT tab0 = tabs().GetItemRect(0);
    const RECT glyph = tabs().GlyphRect(tab0, 1);
    HDC dc = render();
    EXPECT_EQ(GetPixel(dc, glyph.left, glyph.top), GetSysColor(COLOR_BTNHIGHLIGHT));   // raised frame
    DeleteDC(dc);
    tabs().showClose = false;
    dc = render();
    EXPECT_NE(GetPixel(dc, glyph.left, glyph.top), GetSysColor(COLOR_BTNHIGHLIGHT));
    DeleteDC(dc);
}

}  // namespace

namespace {

// The main looks against golden pictures (tests/golden/tabbar_*.png; KV_UPDATE_GOLDEN=1 renews them).
class TabBarLooks : public TabStrip {
protected:
    void scene() {
        sim::dwg::Drawing d;
        std::string err;
        for (auto [name, release] : {std::pair{"plan.dwg", sim::dwg::Release::R2013},
                                     std::pair{"section.dwg", sim::dwg::Release::R2004}}) {
            d.originalVersion = d.lastSavedAsVersion = sim::dwg::dwgVersion(release);
            sim::dwg::writeDrawingFile(machine.drawings + name, d, release, sim::dwg::Kind::Dwg, &err);
            sim::host::openDrawing(machine.drawings + name);
        }
        sim::host::drawingFiles().writeForeign(machine.drawings + "survey.dwg", AcDb::kDHL_1024, &err);
        sim::host::openDrawing(machine.drawings + "survey.dwg");
    }
};

TEST_F(TabBarLooks, TopBar) {
    scene();
    start();
    KvTabPanel().InsertLinkDrawing(machine.drawings + "archive.dwg");
    HDC dc = render();
    EXPECT_TRUE(kvtest::matchesGolden(dc, "tabbar_top"));
    DeleteDC(dc);
}

TEST_F(TabBarLooks, LeftBar) {
    setNumber("Docking position", 4096);
    scene();
    start();
    HDC dc = render();
    EXPECT_TRUE(kvtest::matchesGolden(dc, "tabbar_left"));
    DeleteDC(dc);
}

}  // namespace
