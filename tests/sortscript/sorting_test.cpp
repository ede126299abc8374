// Sorting the drawing tabs by file name, through the tab bar's menu.
#include "menus/ctxmenu.h"
#include "support/tabs_fixture.h"

namespace {

using Names = std::vector<std::string>;

class Sorting : public kvtest::TabsFixture {};

TEST_F(Sorting, OrdersByNameIgnoringCaseWithTiesInOpeningOrder) {
    // "Plan" and "plan" differ only in case; "a.dwg" twice in different folders.
    open({"zeta.dwg", "x/Plan.dwg", "plan.dwg", "Ärger.dwg", "도면.dwg", "alpha.dwg", "x/a.dwg", "a.dwg"});
    start();
    settle();
    const size_t count = captions().size();

    command(ID_KV_SORT_ASCENDING);
    EXPECT_EQ(captions(), (Names{"a.dwg", "a.dwg", "alpha.dwg", "Plan.dwg", "plan.dwg", "zeta.dwg", "Ärger.dwg",
                                 "도면.dwg"}));
    EXPECT_EQ(tabs().GetItem(0)->pathName, machine.drawings + "x/a.dwg");

    // Descending reverses names that differ in case; a name that is the same to the letter takes
    // its drawings in opening order either way.
    command(ID_KV_SORT_DESCENDING);
    EXPECT_EQ(captions(), (Names{"도면.dwg", "Ärger.dwg", "zeta.dwg", "plan.dwg", "Plan.dwg", "alpha.dwg", "a.dwg",
                                 "a.dwg"}));
    EXPECT_EQ(tabs().GetItem(6)->pathName, machine.drawings + "x/a.dwg");
    EXPECT_EQ(captions().size(), count);
    EXPECT_EQ(acDocManager->documentCount(), int(count));
}

TEST_F(Sorting, CurrentDrawingStaysSelectedAndTabsKeepTheirState) {
    open({"c.dwg", "a.dwg", "b.dwg"});
    start();
    settle();
    acDocManager->activateDocument(doc("c.dwg"));
    settle();
    item("b.dwg")->modified = 1;
    CItemData* b = item("b.dwg");
    mark({0, 2});

    command(ID_KV_SORT_ASCENDING);
    EXPECT_EQ(captions(), (Names{"a.dwg", "b.dwg", "c.dwg"}));
    EXPECT_EQ(tabs().GetCurSel(), 2);
    EXPECT_EQ(acDocManager->curDocument(), doc("c.dwg"));
    // The current drawing alone is marked; the others keep their records and modified marks.
    EXPECT_EQ(tabs().MarkedItems(), std::vector<CItemData*>{item("c.dwg")});
    EXPECT_EQ(item("a.dwg")->marked, 0);
    EXPECT_EQ(item("b.dwg"), b);
    EXPECT_EQ(b->modified, 1);

    // From the menu, now that one tab is marked.
    menuPick("Sort Descending");
    EXPECT_EQ(captions(), (Names{"c.dwg", "b.dwg", "a.dwg"}));
    EXPECT_EQ(tabs().GetCurSel(), 0);
}

TEST_F(Sorting, LinksAndWindowsStayInFrontInTheirOrder) {
    open({"b.dwg", "a.dwg"});
    start();
    settle();
    KvTabPanel().InsertLinkDrawing(drawing("z-link.dwg"));
    KvTabPanel().InsertLinkDrawing(drawing("0-link.dwg"));
    command(ID_KV_SORT_ASCENDING);
    EXPECT_EQ(captions(), (Names{"z-link.dwg (link)", "0-link.dwg (link)", "a.dwg", "b.dwg"}));
    EXPECT_EQ(acDocManager->documentCount(), 2);   // no link was opened

    sim::host::showStartPage();
    settle();
    ASSERT_EQ(captions().back(), "Start (window)") << ::testing::PrintToString(captions());
    command(ID_KV_SORT_DESCENDING);
    EXPECT_EQ(captions(), (Names{"z-link.dwg (link)", "0-link.dwg (link)", "Start (window)", "b.dwg", "a.dwg"}));
}

TEST_F(Sorting, OpenSortHasTheLastWordAndGraysTheEntries) {
    setNumber("Open sort", 1);
    open({"c.dwg", "a.dwg", "b.dwg"});
    start();
    settle();
    KvTabPanel().InsertLinkDrawing(drawing("bb.dwg"));
    ASSERT_EQ(captions(), (Names{"a.dwg", "b.dwg", "bb.dwg (link)", "c.dwg"}));
    command(ID_KV_SORT_DESCENDING);
    EXPECT_EQ(captions(), (Names{"a.dwg", "b.dwg", "bb.dwg (link)", "c.dwg"}));

    menuPick("Sort Descending");   // greyed: the menu is dismissed
    EXPECT_NE(transcript.find("\"Sort Descending\" is greyed"), std::string::npos);
}

// A drawing saved under another name keeps its place, but drawings opened later are sorted
// against its new name, not the one it had when its tab was first compared.
TEST_F(Sorting, OpenSortComparesWithTheNameADrawingWasSavedUnder) {
    setNumber("Open sort", 1);
    start();
    open({"b.dwg", "d.dwg"});   // d's insertion compares it with b
    settle();
    ASSERT_EQ(captions(), (Names{"b.dwg", "d.dwg"}));
    acDocManager->activateDocument(doc("b.dwg"));
    settle();
    ASSERT_EQ(acDocManager->curDocument(), doc("b.dwg"));
    run("SAVEAS 2018 \"" + drawing("e.dwg") + "\"");
    settle();
    ASSERT_EQ(captions(), (Names{"e.dwg", "d.dwg"}));
    open({"c.dwg"});
    settle();
    EXPECT_EQ(captions(), (Names{"c.dwg", "e.dwg", "d.dwg"}));
}

TEST_F(Sorting, SingleDocumentDrawingLeavesNoLinkBehind) {
    setNumber("Enable SDIMode", 1);
    sim::host::setVariable("SDI", "1");
    open({"a.dwg"});
    start();
    settle();
    ASSERT_EQ(captions(), (Names{"a.dwg"}));
    ASSERT_EQ(tabs().GetItem(0)->keepAsLink, 1);
    command(ID_KV_SORT_ASCENDING);
    EXPECT_EQ(captions(), (Names{"a.dwg"}));
    EXPECT_EQ(tabs().GetItem(0)->keepAsLink, 1);
    EXPECT_EQ(tabs().GetCurSel(), 0);
}

}  // namespace
