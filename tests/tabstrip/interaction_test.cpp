// Clicking tabs: selecting activates, Ctrl and Shift mark without activating, links open in place.
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"
#include "tabstrip/panel.h"

namespace {

class Clicks : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
    }
    std::string drawing(const std::string& name) {
        sim::dwg::Drawing d;
        const std::string path = machine.drawings + name;
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << transcript; }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    std::vector<int> marked() {
        std::vector<int> out;
        for (int i = 0; i < tabs().GetItemCount(); ++i)
            if (tabs().GetItem(i)->marked) out.push_back(i);
        return out;
    }
    sim::script::Runner runner;
};

TEST_F(Clicks, SelectingActivatesTheDrawing) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    run("@click 0");
    EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + "a.dwg");
    EXPECT_EQ(tabs().GetCurSel(), 0);
}

TEST_F(Clicks, CtrlClickMarksWithoutActivatingAndUnmarksAgain) {
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg"}) sim::host::openDrawing(drawing(n));
    start();
    AcApDocument* current = acDocManager->curDocument();
    run("@click 0 ctrl");
    EXPECT_EQ(acDocManager->curDocument(), current);
    EXPECT_EQ(tabs().GetCurSel(), 2);
    EXPECT_EQ(marked(), (std::vector<int>{0, 2}));
    run("@click 0 ctrl");
    EXPECT_EQ(marked(), (std::vector<int>{2}));
}

TEST_F(Clicks, ShiftClickMarksTheRun) {
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg", "d.dwg", "e.dwg"}) sim::host::openDrawing(drawing(n));
    start();
    run("@click 0");
    run("@click 3 shift");
    EXPECT_EQ(tabs().GetCurSel(), 0);
    EXPECT_EQ(marked(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(tabs().markedItems.size(), 4u);
    EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + "a.dwg");
}

TEST_F(Clicks, LinkOpensInPlaceEvenWithNoDrawingOpen) {
    start();
    KvTabPanel().InsertLinkDrawing(drawing("far.dwg"));
    KvTabPanel().InsertLinkDrawing(machine.drawings + "gone.dwg");
    CItemData* item = tabs().GetItem(0);
    run("@click 0");
    ASSERT_EQ(acDocManager->documentCount(), 1) << transcript;
    EXPECT_EQ(tabs().GetItemCount(), 2);
    EXPECT_EQ(tabs().GetItem(0), item);   // the same tab, now a drawing tab
    EXPECT_EQ(item->isLink, 0);
    EXPECT_EQ(item->drawingDoc, acDocManager->curDocument());

    // A link whose file is gone loses its tab.
    run("@click 1");
    EXPECT_EQ(tabs().GetItemCount(), 1);
    EXPECT_EQ(acDocManager->documentCount(), 1);
}

}  // namespace
