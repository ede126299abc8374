// Operations over several drawings: each drawing is made current in turn and its work runs as
// commands in it; the save question, "Apply All", cancelling, and the final command.
#include "menu_fixture.h"

namespace {

namespace fs = std::filesystem;

class DocOps : public kvtest::MenuFixture {};

TEST_F(DocOps, CloseGlyphWithTwoMarkedClosesBoth) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    settle();
    mark({0, 1});
    const RECT r = tabs().GetItemRect(2);
    const RECT g = tabs().GlyphRect(r, 1);
    ASSERT_TRUE(runner.runLine("@click 2 at=" + std::to_string((g.left + g.right) / 2 - r.left) + "," +
                               std::to_string((g.top + g.bottom) / 2 - r.top)))
        << transcript;
    settle();
    EXPECT_EQ(captions(), (std::vector<std::string>{"c.dwg"}));
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(prompts(), 0);   // nothing had changed: no question
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(DocOps, ApplyAllAsksOnceForEveryModifiedDrawing) {
    open({"a.dwg", "b.dwg", "c.dwg", "d.dwg"});
    start();
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg"}) modify(n);
    mark({0, 1, 2});
    feed = {"@dialog check 1012 on", "@dialog press 6"};
    command(ID_KV_SELECTED_CLOSE);
    EXPECT_EQ(prompts(), 1);
    EXPECT_EQ(captions(), (std::vector<std::string>{"d.dwg"}));
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg"}) EXPECT_EQ(numberOfSaves(machine.drawings + n), 1) << n;
    EXPECT_EQ(numberOfSaves(machine.drawings + "d.dwg"), 0);
}

TEST_F(DocOps, CancelKeepsTheDrawingAndEndsTheRun) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    modify("a.dwg");
    mark({0, 1});
    feed = {"@dialog press Cancel"};
    command(ID_KV_SELECTED_CLOSE);
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "b.dwg", "c.dwg"}));
    EXPECT_EQ(tabs().Queue().Count(), 0);
    EXPECT_TRUE(tabs().Queue().IsIdle());

    // "No" drops the changes; the next drawing follows.
    mark({0, 1});
    feed = {"@dialog press 7"};
    command(ID_KV_SELECTED_CLOSE);
    EXPECT_EQ(captions(), (std::vector<std::string>{"c.dwg"}));
    EXPECT_EQ(numberOfSaves(machine.drawings + "a.dwg"), 0);
}

TEST_F(DocOps, SaveAllSavesEveryDrawingAndOpensLinksToSaveThem) {
    open({"a.dwg", "b.dwg"});
    start();
    KvTabPanel().InsertLinkDrawing(drawing("l.dwg"));
    modify("a.dwg");
    command(ID_KV_SAVEALL);
    EXPECT_EQ(numberOfSaves(machine.drawings + "a.dwg"), 1);
    EXPECT_EQ(numberOfSaves(machine.drawings + "b.dwg"), 1);
    EXPECT_EQ(numberOfSaves(machine.drawings + "l.dwg"), 1);
    EXPECT_EQ(acDocManager->documentCount(), 3);
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(DocOps, CloseAllEndsWithTheFinalCommand) {
    open({"a.dwg", "b.dwg"});
    start();
    KvTabPanel().InsertLinkDrawing(drawing("l.dwg"));
    modify("b.dwg");
    recordCommands();
    command(ID_KV_CLOSE_ALL);
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(tabs().GetItemCount(), 0);   // the link went too
    EXPECT_EQ(numberOfSaves(machine.drawings + "b.dwg"), 1);
    EXPECT_EQ(commands, "QSAVE KV_COMMANDLOOP QSAVE KV_COMMANDLOOP CLOSEALL ");
    EXPECT_FALSE(sim::host::quitRequested());
}

TEST_F(DocOps, CloseAllInSingleDocumentModeQuits) {
    setNumber("Enable SDIMode", 1);
    open({"a.dwg"});
    sim::host::setVariable("SDI", "1");
    start();
    recordCommands();
    command(ID_KV_CLOSE_ALL);
    EXPECT_EQ(commands, "QSAVE KV_COMMANDLOOP QUIT ");
    EXPECT_TRUE(sim::host::quitRequested());
}

TEST_F(DocOps, DontSaveAsksFirstWhenToldTo) {
    setNumber("Ask WithoutSave", 1);
    open({"a.dwg", "b.dwg"});
    start();
    modify("a.dwg");
    sim::Desktop::get().queueAnswer(IDNO);
    command(ID_KV_NOSAVE_CLOSE_ALL);
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_TRUE(tabs().Queue().IsIdle());

    sim::Desktop::get().queueAnswer(IDYES);
    command(ID_KV_NOSAVE_CLOSE_ALL_EXIT);
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(numberOfSaves(machine.drawings + "a.dwg"), 0);   // changes dropped, no question
    EXPECT_EQ(prompts(), 0);
    EXPECT_TRUE(sim::host::quitRequested());
}

TEST_F(DocOps, OnlyCurrentKeepsTheMarkedAndDropsLinks) {
    open({"a.dwg", "b.dwg", "c.dwg", "d.dwg"});
    start();
    KvTabPanel().InsertLinkDrawing(drawing("l.dwg"));
    mark({1, 3});
    command(ID_KV_ONLY_CURRENT);
    EXPECT_EQ(captions(), (std::vector<std::string>{"b.dwg", "d.dwg"}));
    EXPECT_EQ(acDocManager->documentCount(), 2);
}

TEST_F(DocOps, ChangeToLinkKeepsTheMarkedOpenAndTheOthersAsLinks) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    mark({1});
    command(ID_KV_CHANGE_TO_LINK);
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg (link)", "b.dwg", "c.dwg (link)"}));
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(acDocManager->curDocument(), doc("b.dwg"));
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(DocOps, SaveAllToOtherFolderCopiesIntoTheChosenFolder) {
    open({"a.dwg", "b.dwg"});
    start();
    const std::string out = root + "copies";
    fs::create_directories(out);
    sim::desk::queueFolder(out);
    command(ID_KV_OTHER_FOLDER_SAVEALL);
    EXPECT_TRUE(fs::exists(out + "/a.dwg"));   // the folder comes without a separator
    EXPECT_TRUE(fs::exists(out + "/b.dwg"));
    EXPECT_EQ(operations().targetFolder, out);
    EXPECT_EQ(acDocManager->documentCount(), 2);
}

}  // namespace
