// The reactors keep the tabs in step with the simulated host.
#include "doctrack/docdata.h"
#include "hosting/dockbar.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "support/plugin_fixture.h"
#include "tabstrip/panel.h"
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
