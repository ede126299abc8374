// Operations over several drawings: each drawing is made current in turn and its work runs as
// commands in it; the save question, "Apply All", cancelling, and the final command.
#include <deque>
#include <filesystem>
#include "menus/docops.h"
#include "settings/settings.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"
#include "tabstrip/panel.h"
#include "win/system.h"

namespace {

namespace fs = std::filesystem;

class DocOps : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
        sim::desk::registerDialogVerbs(runner);
        previousFeed = sim::desk::setScriptFeed([this] {
            if (feed.empty()) return false;
            const std::string line = feed.front();
            feed.pop_front();
            EXPECT_TRUE(runner.runLine(line)) << line << "\n" << transcript;
            return true;
        });
    }
    void TearDown() override {
        sim::host::setEventListener(nullptr);
        sim::desk::setScriptFeed(previousFeed);
        PluginFixture::TearDown();
    }
    std::string drawing(const std::string& name) {
        sim::dwg::Drawing d;
        const std::string path = machine.drawings + name;
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    void open(std::initializer_list<const char*> names) {
        for (const char* n : names) ASSERT_TRUE(sim::host::openDrawing(drawing(n)));
    }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    AcApDocument* doc(const std::string& name) {
        for (int i = 0; i < tabs().GetItemCount(); ++i) {
            CItemData* item = tabs().GetItem(i);
            if (item->displayName == name) return item->drawingDoc;
        }
        return nullptr;
    }
    void modify(const std::string& name) { acdbSetDbmod(doc(name)->database(), 1); }
    void mark(std::initializer_list<int> indexes) {
        tabs().markedItems.clear();
        for (int i = 0; i < tabs().GetItemCount(); ++i) tabs().GetItem(i)->marked = 0;
        for (int i : indexes) {
            tabs().GetItem(i)->marked = 1;
            tabs().markedItems.push_back(tabs().GetItem(i));
        }
    }
    // The menu command, then everything it set going, until nothing moves.
    void command(UINT id) {
        SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, id, 0);
        settle();
    }
    void settle() {
        for (int i = 0; i < 20; ++i) {
            sim::desk::WindowManager::get().pump();
            sim::host::pump();
        }
    }
    std::vector<std::string> captions() {
        std::vector<std::string> out;
        for (int i = 0; i < tabs().GetItemCount(); ++i)
            out.push_back(tabs().GetItem(i)->displayName + (tabs().GetItem(i)->isLink ? " (link)" : ""));
        return out;
    }
    int prompts() {
        int n = 0;
        for (const auto& d : sim::desk::closedDialogs()) n += d.templateId == 292;
        return n;
    }
    int numberOfSaves(const std::string& path) {
        sim::dwg::FileInfo info;
        std::string err;
        EXPECT_TRUE(sim::dwg::readDrawingFile(path, &info, &err)) << err;
        return info.drawing ? info.drawing->numberOfSaves : -1;
    }

    // The commands the host starts, in order.
    void recordCommands() {
        sim::host::setEventListener([this](const std::string& name, const std::string& arg) {
            if (name == "commandWillStart") commands += arg + " ";
        });
    }

    sim::script::Runner runner;
    std::string commands;
    std::deque<std::string> feed;
    sim::desk::ScriptFeed previousFeed;
};

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
    EXPECT_EQ(tabs().QueueKind(), kQueueIdle);
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
    EXPECT_EQ(tabs().QueueCount(), 0);
    EXPECT_EQ(tabs().QueueKind(), kQueueIdle);

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
    EXPECT_EQ(tabs().QueueKind(), kQueueIdle);
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
    EXPECT_EQ(tabs().QueueKind(), kQueueIdle);

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
    EXPECT_EQ(tabs().QueueKind(), kQueueIdle);
}

TEST_F(DocOps, SaveAllToOtherFolderCopiesNamedDrawingsOnly) {
    open({"a.dwg", "b.dwg"});
    start();
    const std::string out = root + "copies";
    fs::create_directories(out);
    sim::desk::queueFolder(out);
    command(ID_KV_OTHER_FOLDER_SAVEALL);
    EXPECT_TRUE(fs::exists(out + "/a.dwg"));   // the folder comes without a separator
    EXPECT_TRUE(fs::exists(out + "/b.dwg"));
    EXPECT_EQ(tabs().targetFolder, out);
    EXPECT_EQ(acDocManager->documentCount(), 2);

    // An unnamed drawing first in the order stops the run: nothing is saved.
    fs::remove_all(out);
    fs::create_directories(out);
    ASSERT_TRUE(sim::host::newDrawing());
    settle();
    tabs().SetCurSel(tabs().GetItemCount() - 1);
    CItemData* untitled = tabs().DetachTab(tabs().GetItemCount() - 1);
    tabs().InsertTab(0, "####Drawing1.dwg", untitled);
    sim::desk::queueFolder(out);
    command(ID_KV_OTHER_FOLDER_SAVEALL);
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_EQ(tabs().QueueKind(), kQueueIdle);
}

}  // namespace
