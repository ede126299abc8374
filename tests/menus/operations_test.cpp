// Operations over several drawings against the files they leave on disk: every drawing is visited
// once, nothing is saved twice or skipped, copies keep their kind and never overwrite each other,
// read-only and cancelled drawings keep their changes, and a stopped run stays stopped.
#include <algorithm>
#include <fstream>
#include "win/monitor.h"
#include "menu_fixture.h"
#include "sim/desk/automation.h"
#include "sim/desk/process.h"

namespace {

namespace fs = std::filesystem;

class Operations : public kvtest::MenuFixture {
protected:
    // Makes the drawing current and draws `count` lines in it, so that its file shows whether it
    // was saved.
    void draw(const std::string& name, int count = 1) {
        ASSERT_NE(doc(name), nullptr) << name;
        acDocManager->activateDocument(doc(name), false);
        settle();
        for (int i = 0; i < count; ++i) sim::host::typeLine("LINE 0,0 " + std::to_string(i + 1) + ",5 ");
        settle();
    }
    sim::dwg::FileInfo file(const std::string& path) {
        sim::dwg::FileInfo info;
        std::string err;
        EXPECT_TRUE(sim::dwg::readDrawingFile(path, &info, &err)) << path << ": " << err;
        return info;
    }
    size_t linesIn(const std::string& path) {
        const auto info = file(path);
        return info.drawing ? info.drawing->lines.size() : 0;
    }
    std::vector<std::string> filesIn(const std::string& folder) {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string folder(const std::string& name) {
        const std::string path = root + name;
        fs::create_directories(path);
        return path;
    }
    bool said(const std::string& text) const { return transcript.find(text) != std::string::npos; }
    int dbmod(const std::string& name) { return acdbGetDbmod(doc(name)->database()); }
    void markItems(std::initializer_list<CItemData*> items) {
        tabs().MarkOnly(items);
    }
};

TEST_F(Operations, SaveAllGoesOnPastLinksThatCannotBeOpened) {
    start();
    open({"a.dwg"});
    const std::string gone = machine.drawings + "gone.dwg";
    KvTabPanel().InsertLinkDrawing(gone);   // its file is missing
    const std::string damaged = machine.drawings + "damaged.dwg";
    std::ofstream(damaged) << "not a drawing";
    KvTabPanel().InsertLinkDrawing(damaged);
    open({"c.dwg"});
    draw("c.dwg", 2);
    command(ID_KV_SAVEALL);

    EXPECT_EQ(numberOfSaves(machine.drawings + "a.dwg"), 1);   // once, not twice
    EXPECT_EQ(numberOfSaves(machine.drawings + "c.dwg"), 1);
    EXPECT_EQ(linesIn(machine.drawings + "c.dwg"), 2u);
    EXPECT_EQ(dbmod("c.dwg"), 0);
    EXPECT_EQ(item("c.dwg")->modified, 0);
    EXPECT_TRUE(said("\"" + gone + "\" cannot be opened: it is left out.")) << transcript;
    EXPECT_TRUE(said("\"" + damaged + "\" cannot be opened: it is left out.")) << transcript;
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "c.dwg"}));
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(Operations, SaveAllToOtherFolderFromTheStartPageCopiesEachDrawingOnce) {
    start();
    open({"a.dwg", "b.dwg"});
    draw("a.dwg", 1);
    draw("b.dwg", 2);
    KvTabPanel().InsertLinkDrawing(drawing("l.dwg"));
    run("@startpage");
    settle();
    ASSERT_EQ(acDocManager->curDocument(), nullptr);
    const std::string out = folder("copies");
    sim::desk::queueFolder(out);
    command(ID_KV_OTHER_FOLDER_SAVEALL);

    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"a.dwg", "b.dwg"}));   // no .bak: each written once
    EXPECT_EQ(linesIn(out + "/a.dwg"), 1u);
    EXPECT_EQ(linesIn(out + "/b.dwg"), 2u);
    EXPECT_EQ(linesIn(machine.drawings + "a.dwg"), 1u);   // the originals are saved too
    EXPECT_EQ(linesIn(machine.drawings + "b.dwg"), 2u);
    EXPECT_EQ(acDocManager->documentCount(), 2);          // the link's drawing stays closed
    EXPECT_EQ(numberOfSaves(machine.drawings + "l.dwg"), 0);
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(Operations, SameNamedDrawingsGetDistinctCopiesAndUntitledOnesAreSkipped) {
    start();
    ASSERT_TRUE(sim::host::newDrawing());   // untitled, first in the tab order
    open({"one/a.dwg", "two/a.dwg", "three/a.dwg"});
    ASSERT_EQ(tabs().GetItem(0)->displayName, "Drawing1.dwg");
    const std::string out = folder("copies");
    std::ofstream(out + "/a (2).dwg") << "someone else's file";   // not ours to overwrite
    int n = 1;
    for (CItemData* it : tabs().AllItems()) {
        if (it->displayName != "a.dwg") continue;
        acDocManager->activateDocument(it->drawingDoc, false);
        settle();
        for (int i = 0; i < n; ++i) sim::host::typeLine("LINE 0,0 " + std::to_string(i + 1) + ",5 ");
        ++n;
    }
    settle();
    sim::desk::queueFolder(out);
    command(ID_KV_OTHER_FOLDER_SAVEALL);

    EXPECT_TRUE(said("\"Drawing1.dwg\" has never been saved and is not copied.")) << transcript;
    EXPECT_EQ(filesIn(out), (std::vector<std::string>{"a (2).dwg", "a (3).dwg", "a (4).dwg", "a.dwg"}));
    EXPECT_EQ(linesIn(out + "/a.dwg"), 1u);
    EXPECT_EQ(linesIn(out + "/a (3).dwg"), 2u);
    EXPECT_EQ(linesIn(out + "/a (4).dwg"), 3u);
    EXPECT_TRUE(said("\"" + machine.drawings + "two/a.dwg\" is copied as \"a (3).dwg\"")) << transcript;
    std::ifstream kept(out + "/a (2).dwg");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "someone else's file");
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(Operations, ADxfDrawingIsCopiedAsDxfAndKeepsItsChanges) {
    const std::string path = machine.drawings + "plan.dxf";
    sim::dwg::Drawing d;
    std::string err;
    ASSERT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2018, sim::dwg::Kind::Dxf, &err)) << err;
    ASSERT_TRUE(sim::host::openDrawing(path));
    start();
    settle();
    draw("plan.dxf", 2);
    const std::string out = folder("copies");
    sim::desk::queueFolder(out);
    command(ID_KV_OTHER_FOLDER_SAVEALL);

    const auto copy = file(out + "/plan.dxf");
    EXPECT_TRUE(copy.dxf);
    EXPECT_EQ(copy.release, sim::dwg::Release::R2013);
    ASSERT_TRUE(copy.drawing.has_value());
    EXPECT_EQ(copy.drawing->lines.size(), 2u);
    // The original was not saved: its file is as it was, and its changes are still marked.
    EXPECT_EQ(linesIn(path), 0u);
    EXPECT_EQ(dbmod("plan.dxf"), 1);
    EXPECT_EQ(item("plan.dxf")->modified, 1);
}

TEST_F(Operations, ACancelledSaveStopsTheRunForGood) {
    start();
    open({"a.dwg"});
    ASSERT_TRUE(sim::host::newDrawing());
    settle();
    open({"c.dwg"});
    CItemData* untitled = item("Drawing1.dwg");
    ASSERT_NE(untitled, nullptr);
    AcApDocument* drawing1 = untitled->drawingDoc;
    modify("a.dwg");
    acdbSetDbmod(drawing1->database(), 1);
    markItems({item("a.dwg"), untitled, item("c.dwg")});
    feed = {"@dialog check 1012 on", "@dialog press 6"};
    sim::host::queueInput("^C");   // the unnamed drawing's name prompt
    command(ID_KV_SELECTED_CLOSE);

    EXPECT_EQ(captions(), (std::vector<std::string>{"Drawing1.dwg", "c.dwg"}));
    EXPECT_EQ(numberOfSaves(machine.drawings + "a.dwg"), 1);
    EXPECT_EQ(acdbGetDbmod(drawing1->database()), 1);
    EXPECT_TRUE(said("QSAVE did not complete in \"Drawing1.dwg\"")) << transcript;
    EXPECT_TRUE(tabs().Queue().IsIdle());

    // Closing the drawing by hand later does not bring the old run back.
    sim::Desktop::get().queueAnswer(IDNO);
    sim::host::closeWindow(acDocWindowManager->documentWindow(drawing1));
    settle();
    EXPECT_EQ(captions(), (std::vector<std::string>{"c.dwg"}));
    EXPECT_EQ(prompts(), 1);
}

TEST_F(Operations, YesNeverThrowsAwayTheChangesOfAReadOnlyDrawing) {
    run("@make-drawing \"" + machine.drawings + "r.dwg\" readonly");
    start();
    open({"a.dwg", "b.dwg"});
    ASSERT_TRUE(sim::host::openDrawing(machine.drawings + "r.dwg"));
    settle();
    ASSERT_TRUE(doc("r.dwg")->isReadOnly());
    acdbSetDbmod(doc("r.dwg")->database(), 1);
    const std::string readOnlyLine = "\"r.dwg\" is read-only: its changes are kept";

    // Selected File Close, Yes: the drawing stays open with its changes and the run goes on.
    markItems({item("r.dwg"), item("b.dwg")});
    feed = {"@dialog check 1012 on", "@dialog press 6"};
    command(ID_KV_SELECTED_CLOSE);
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "r.dwg"}));
    EXPECT_EQ(dbmod("r.dwg"), 1);
    EXPECT_EQ(item("r.dwg")->modified, 1);
    EXPECT_TRUE(said(readOnlyLine)) << transcript;

    // Change to link tab, Yes: it stays open, not a link.
    open({"b.dwg"});
    markItems({item("a.dwg")});
    feed = {"@dialog press 6"};
    command(ID_KV_CHANGE_TO_LINK);
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "r.dwg", "b.dwg (link)"}));
    EXPECT_EQ(dbmod("r.dwg"), 1);

    // Open Only Current Document, Yes.
    markItems({item("a.dwg")});
    feed = {"@dialog press 6"};
    command(ID_KV_ONLY_CURRENT);
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "r.dwg"}));
    EXPECT_EQ(dbmod("r.dwg"), 1);

    // Save All leaves it modified too.
    command(ID_KV_SAVEALL);
    EXPECT_EQ(dbmod("r.dwg"), 1);
    EXPECT_EQ(item("r.dwg")->modified, 1);

    // Save and Close All: the host's own close asks about it; Cancel keeps everything open.
    sim::Desktop::get().queueAnswer(IDCANCEL);
    command(ID_KV_CLOSE_ALL);
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_EQ(dbmod("r.dwg"), 1);
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(Operations, OnlyModifiedDrawingsAreSavedWhenAsked) {
    setNumber("Only Modified Dwg Files", 1);
    const std::string old = drawing("old.dwg", sim::dwg::Release::R2004);
    const std::string linked = drawing("linked.dwg", sim::dwg::Release::R2004);
    start();
    ASSERT_TRUE(sim::host::openDrawing(old));
    open({"m.dwg"});
    KvTabPanel().InsertLinkDrawing(linked);
    draw("m.dwg");
    command(ID_KV_SAVEALL);
    EXPECT_EQ(file(old).release, sim::dwg::Release::R2004);   // untouched, not rewritten as 2018
    EXPECT_EQ(numberOfSaves(old), 0);
    EXPECT_EQ(numberOfSaves(linked), 0);
    EXPECT_EQ(acDocManager->documentCount(), 2);              // the link was not opened to be saved
    EXPECT_EQ(linesIn(machine.drawings + "m.dwg"), 1u);

    // Save and Close All saves only what changed.
    draw("m.dwg");
    recordCommands();
    command(ID_KV_CLOSE_ALL);
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(numberOfSaves(old), 0);
    EXPECT_EQ(linesIn(machine.drawings + "m.dwg"), 2u);
    EXPECT_EQ(commands, "KV_COMMANDLOOP QSAVE KV_COMMANDLOOP CLOSEALL ");
}

TEST_F(Operations, TheModifiedMarkFollowsDbmod) {
    start();
    open({"a.dwg", "b.dwg"});
    draw("a.dwg");
    acDocManager->activateDocument(doc("b.dwg"), false);
    settle();
    // Cancel at the question: the drawing stays open and keeps its mark.
    markItems({item("a.dwg")});
    feed = {"@dialog press Cancel"};
    command(ID_KV_SELECTED_CLOSE);
    EXPECT_EQ(dbmod("a.dwg"), 1);
    EXPECT_EQ(item("a.dwg")->modified, 1);
}

TEST_F(Operations, OpenFromAnotherHostStartsASecondInstanceOnTheSecondMonitor) {
    start();
    open({"a.dwg"});
    // Without a registered second instance the entry ends quietly.
    command(ID_KV_OTHER_ACAD_OPEN);
    EXPECT_TRUE(sim::desk::processes().empty());
    EXPECT_FALSE(said("Exception error")) << transcript;

    sim::desk::setMonitorCount(2);
    const std::string host = kvtest::binaryDir() + "/apps/korvane-host/korvane-host";
    ASSERT_TRUE(fs::exists(host)) << host;
    sim::desk::registerAutomationServer(sim::desk::kHostProgId, sim::desk::kHostClassId,
                                        "\"" + host + "\" --root \"" + root + "\" --script -");
    command(ID_KV_OTHER_ACAD_OPEN);
    auto started = sim::desk::processes();
    ASSERT_EQ(started.size(), 1u);
    ASSERT_TRUE(sim::desk::awaitProcess(1, true, 120000));
    started = sim::desk::processes();
    std::ifstream log(started[0].outputPath);
    const std::string second((std::istreambuf_iterator<char>(log)), {});
    // It opened the drawing, its frame covers the second monitor's work area, both maximised.
    MONITORINFOEX info;
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors([&](HMONITOR m) {
        monitors.push_back(m);
        return true;
    });
    ASSERT_EQ(monitors.size(), 2u);
    ASSERT_TRUE(GetMonitorInfo(monitors[1], &info));
    const RECT& r = info.rcWork;
    const std::string frame = "frame " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                              std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + " maximized";
    EXPECT_NE(second.find(frame), std::string::npos) << second;
    EXPECT_NE(second.find("drawing window a.dwg maximized"), std::string::npos) << second;
    EXPECT_EQ(acDocManager->documentCount(), 1);   // this instance is left as it was

    // A drawing the second instance cannot open ends the operation quietly.
    fs::remove(machine.drawings + "a.dwg");
    command(ID_KV_OTHER_ACAD_OPEN);
    ASSERT_EQ(sim::desk::processes().size(), 2u);
    ASSERT_TRUE(sim::desk::awaitProcess(2, true, 120000));
    EXPECT_FALSE(said("Exception error")) << transcript;
}

}  // namespace
