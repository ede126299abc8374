// The reactors keep the tabs in step with the simulated host.
#include <tuple>
#include "doctrack/docdata.h"
#include "hosting/dockbar.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "support/plugin_fixture.h"
#include "hosting/features.h"
#include "win/imm.h"
#include "win/registry.h"
#include "win/system.h"

namespace {

class Reactors : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        acDocManager->addReactor(&KvDocDataManager());
    }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    int tabsOf(AcApDocument* doc) {
        int n = 0;
        for (int i = 0; i < tabs().GetItemCount(); ++i) n += tabs().GetItem(i)->drawingDoc == doc;
        return n;
    }
    CItemData* selected() { return tabs().GetItem(tabs().GetCurSel()); }
    void layout() { sim::desk::WindowManager::get().pump(); }
};

TEST_F(Reactors, OpeningGivesExactlyOneSelectedTab) {
    start();
    sim::host::openDrawing(drawing("a.dwg"));
    AcApDocument* a = acDocManager->curDocument();
    sim::host::openDrawing(drawing("b.dwg"));
    AcApDocument* b = acDocManager->curDocument();
    EXPECT_EQ(tabs().GetItemCount(), 2);
    EXPECT_EQ(tabsOf(a), 1);
    EXPECT_EQ(tabsOf(b), 1);
    EXPECT_EQ(selected()->drawingDoc, b);
    acDocManager->activateDocument(a);
    sim::host::pump();
    EXPECT_EQ(selected()->drawingDoc, a);
    sim::host::closeWindow(acDocWindowManager->documentWindow(a));
    EXPECT_EQ(tabs().GetItemCount(), 1);
    EXPECT_EQ(selected()->drawingDoc, b);
}

TEST_F(Reactors, SingleDocumentModeWithoutSdiModeLeavesDrawingTabsAlone) {
    start();
    sim::host::setVariable("SDI", "1");
    EXPECT_TRUE(App().sdi);
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));   // closes a first
    EXPECT_EQ(tabs().GetItemCount(), 0);
}

// Single-document mode without the plug-in's own handling: the reactors make no tabs, but the tab
// of a drawing that closes must not stay behind holding it. Shown again in multi-document mode,
// the bar has a link tab for the closed drawing and a drawing tab for the open one.
TEST_F(Reactors, NoTabOutlivesItsDocumentInSingleDocumentMode) {
    start();
    const std::string a = drawing("a.dwg");
    sim::host::openDrawing(a);
    sim::host::setVariable("SDI", "1");
    sim::host::openDrawing(drawing("b.dwg"));   // closes a first
    AcApDocument* b = acDocManager->curDocument();
    ASSERT_EQ(acDocManager->documentCount(), 1);
    sim::host::setVariable("SDI", "0");
    layout();
    HDC dc = sim::desk::renderWindow(tabs().GetSafeHwnd());   // reads every tab's document
    DeleteDC(dc);
    ASSERT_EQ(tabs().GetItemCount(), 2);
    EXPECT_TRUE(tabs().GetItem(0)->isLink);
    EXPECT_EQ(tabs().GetItem(0)->drawingDoc, nullptr);
    EXPECT_EQ(tabs().GetItem(0)->pathName, a);
    EXPECT_EQ(tabsOf(b), 1);
    EXPECT_EQ(selected()->drawingDoc, b);

    // With the plug-in's handling on, the document reactor does the same.
    App().sdiModeEnabled = true;
    sim::host::setVariable("SDI", "1");
    sim::host::openDrawing(drawing("c.dwg"));   // closes b first
    for (int i = 0; i < tabs().GetItemCount(); ++i) EXPECT_NE(tabs().GetItem(i)->drawingDoc, b) << i;
    EXPECT_EQ(tabsOf(acDocManager->curDocument()), 1);
}

TEST_F(Reactors, SdiModeHidesTheBarUnlessEnabled) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    ASSERT_TRUE(KvDockBar()->IsVisible());
    sim::host::closeWindow(acDocWindowManager->documentWindow(acDocManager->curDocument()));
    sim::host::setVariable("SDI", "1");
    layout();
    EXPECT_FALSE(KvDockBar()->IsVisible());
}

TEST_F(Reactors, StartPageHasItsOwnTab) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    sim::host::showStartPage();
    ASSERT_EQ(tabs().GetItemCount(), 2);
    EXPECT_TRUE(selected()->isWindow());
    EXPECT_EQ(selected()->description, "\nNon Drawing");
    AcApDocWindow* page = selected()->docWindow;
    sim::host::closeWindow(page);
    EXPECT_EQ(tabs().GetItemCount(), 1);
}

TEST_F(Reactors, PlotDisablesAVisibleBarUntilItEnds) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    layout();
    HWND bar = KvDockBar()->GetSafeHwnd();
    // The host tells its listener before the reactors: at the end of the plot the bar is still
    // disabled, and the reactor enables it right after.
    std::vector<bool> enabledAtPlotEnd;
    sim::host::setEventListener([&](const std::string& name, const std::string& arg) {
        if ((name == "commandEnded" || name == "commandCancelled") && arg == "PLOT")
            enabledAtPlotEnd.push_back(IsWindowEnabled(bar));
    });
    sim::Desktop::get().queueAnswer(IDYES);
    sim::host::queueInput("Y");
    sim::host::typeLine("PLOT");
    EXPECT_TRUE(IsWindowEnabled(bar));   // back after the plot ended
    sim::host::typeLine("PLOT ^C");     // and after a cancelled one
    EXPECT_TRUE(IsWindowEnabled(bar));
    sim::host::setEventListener(nullptr);
    EXPECT_EQ(enabledAtPlotEnd, (std::vector<bool>{false, false}));

    // A hidden bar is not touched.
    acedShowControlBar(KvDockBar(), false, false);
    sim::host::typeLine("PLOT ^C");
    EXPECT_TRUE(IsWindowEnabled(bar));
}

TEST_F(Reactors, ModifiedMarkFollowsCommandsButNotClose) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    sim::host::typeLine("LINE 0,0 5,5 ");
    EXPECT_EQ(selected()->modified, 1);
    sim::host::typeLine("_QSAVE");
    EXPECT_EQ(selected()->modified, 0);
    sim::host::typeLine("LINE 0,0 5,5 ");
    CItemData* item = selected();
    sim::Desktop::get().queueAnswer(IDCANCEL);
    sim::host::typeLine("CLOSE");
    EXPECT_EQ(item->modified, 1);   // CLOSE leaves the mark as it was
}

TEST_F(Reactors, QuickSaveKeepsTheDrawingsOwnVersion) {
    setNumber("Maintance version", 1);
    const std::string path = drawing("old.dwg", sim::dwg::Release::R2004);
    sim::host::openDrawing(path);
    start();
    AcApDocument* doc = acDocManager->curDocument();
    EXPECT_EQ(docData(doc).openFormat, 24);
    sim::host::typeLine("LINE 0,0 5,5 ");
    sim::host::typeLine("_QSAVE");
    sim::dwg::FileInfo info;
    std::string err;
    ASSERT_TRUE(sim::dwg::readDrawingFile(path, &info, &err)) << err;
    EXPECT_EQ(info.versionText, "AC1018");
    EXPECT_EQ(docData(doc).diskFormat, 24);
}

TEST_F(Reactors, KeptVersionsAreTheFilesOwnAndTabsShowWhatIsOnDisk) {
    setNumber("Maintance version", 1);
    const std::string dwg2018 = drawing("new.dwg", sim::dwg::Release::R2018);
    const std::string old = drawing("old.dwg", sim::dwg::Release::R2004);
    const std::string dxf = machine.drawings + "plan.dxf";
    std::string err;
    ASSERT_TRUE(sim::dwg::writeDrawingFile(dxf, sim::dwg::Drawing{}, sim::dwg::Release::R2018, sim::dwg::Kind::Dxf, &err));
    start();
    auto onDisk = [](const std::string& path) {
        sim::dwg::FileInfo info;
        std::string error;
        EXPECT_TRUE(sim::dwg::readDrawingFile(path, &info, &error)) << path << ": " << error;
        return std::tuple(info.release, info.dxf, info.drawing ? info.drawing->lines.size() : size_t(0));
    };
    auto saveIn = [&](const std::string& path, const std::string& command) {
        ASSERT_TRUE(sim::host::openDrawing(path));
        sim::host::typeLine("LINE 0,0 5,5 ");
        sim::host::typeLine(command);
    };
    using sim::dwg::Release;

    // QSAVE keeps a 2018 drawing in 2018, and the tab shows 2018.
    saveIn(dwg2018, "_QSAVE");
    AcApDocument* doc2018 = acDocManager->curDocument();
    EXPECT_EQ(onDisk(dwg2018), std::tuple(Release::R2018, false, size_t(1)));
    EXPECT_EQ(docData(doc2018).diskFormat, 64);
    EXPECT_EQ(KvFormatStripFor(docData(doc2018).diskFormat), KvFormatStrip::R2018);

    // A 2018 DXF stays a 2018 DXF.
    saveIn(dxf, "_QSAVE");
    EXPECT_EQ(onDisk(dxf), std::tuple(Release::R2018, true, size_t(1)));

    // A 2004 drawing stays 2004, and the host's default format comes back after the save.
    saveIn(old, "_QSAVE");
    EXPECT_EQ(onDisk(old), std::tuple(Release::R2004, false, size_t(1)));
    EXPECT_EQ(acDocManager->defaultFormatForSave(), AcApDocument::k2018_dwg);

    // SAVE under a new name keeps the drawing's own version too, and the tab shows it.
    const std::string copy = machine.drawings + "old-copy.dwg";
    sim::host::typeLine("SAVE \"" + copy + "\"");
    EXPECT_EQ(onDisk(copy), std::tuple(Release::R2004, false, size_t(1)));
    EXPECT_EQ(docData(acDocManager->curDocument()).diskFormat, 24);

    // A new drawing is saved in the host's own format.
    ASSERT_TRUE(sim::host::newDrawing());
    const std::string fresh = machine.drawings + "fresh.dwg";
    sim::host::typeLine("LINE 0,0 5,5 ");
    sim::host::typeLine("_QSAVE \"" + fresh + "\"");
    EXPECT_EQ(onDisk(fresh), std::tuple(Release::R2018, false, size_t(1)));

    // Read back: opened again, the 2018 drawing's tab shows 2018.
    sim::host::closeWindow(acDocWindowManager->documentWindow(doc2018));
    ASSERT_TRUE(sim::host::openDrawing(dwg2018));
    EXPECT_EQ(docData(acDocManager->curDocument()).diskFormat, 64);
    EXPECT_EQ(selected()->drawingDoc, acDocManager->curDocument());
}

TEST_F(Reactors, QuickSaveWithoutMaintenanceTakesTheHostFormat) {
    const std::string path = drawing("old.dwg", sim::dwg::Release::R2004);
    sim::host::openDrawing(path);
    start();
    AcApDocument* doc = acDocManager->curDocument();
    sim::host::typeLine("LINE 0,0 5,5 ");
    sim::host::typeLine("_QSAVE");
    EXPECT_EQ(docData(doc).diskFormat, int(doc->formatForSave()));
    EXPECT_EQ(docData(doc).openFormat, int(doc->formatForSave()));
}

TEST_F(Reactors, AutomaticSaveOnlyRefreshesFileInformation) {
    sim::host::openDrawing(drawing("a.dwg", sim::dwg::Release::R2010));
    start();
    AcApDocument* doc = acDocManager->curDocument();
    docData(doc).openFormat = 24;
    docData(doc).diskFormat = 12;
    sim::host::typeLine("LINE 0,0 5,5 ");
    sim::host::autoSave(doc);
    EXPECT_EQ(docData(doc).openFormat, 24);
    EXPECT_EQ(docData(doc).diskFormat, 12);
}

TEST_F(Reactors, InputMethodBackToAlphanumeric) {
    setNumber("Automatically English Mode", 1);
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    sim::desk::setImeModes(IME_CMODE_NATIVE, 0);
    sim::host::typeLine("ZOOM E");
    EXPECT_EQ(sim::desk::imeConversionMode(), IME_CMODE_ALPHANUMERIC);
    EXPECT_NE(transcript.find("\nKorvane :> IME_CMODE_ALPHANUMERIC"), std::string::npos);
}

}  // namespace
