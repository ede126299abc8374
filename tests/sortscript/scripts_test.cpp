// A script run over the open drawings: each drawing in turn runs a copy of the chosen script whose
// last line moves the run on.
#include <fstream>
#include "core/files.h"
#include "menus/ctxmenu.h"
#include "menus/docops.h"
#include "menus/scripts.h"
#include "settings/settings.h"
#include "support/tabs_fixture.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(ChainedScript, EndsWithTheChainingLineWithoutSpoilingTheLastWord) {
    EXPECT_EQ(KvChainedScript(""), "KV_COMMANDLOOP\r\n");
    EXPECT_EQ(KvChainedScript("_QSAVE\r\n"), "_QSAVE\r\nKV_COMMANDLOOP\r\n");
    // A blank already ends the last word: the command follows on the same line, as typed.
    EXPECT_EQ(KvChainedScript("LINE 0,0 5,5 "), "LINE 0,0 5,5 KV_COMMANDLOOP\r\n");
    // A last word with nothing after it is ended first rather than glued to the command.
    EXPECT_EQ(KvChainedScript("ZOOM E"), "ZOOM E\r\nKV_COMMANDLOOP\r\n");
    EXPECT_EQ(KvChainedScript(std::string("A\0B", 3)), std::string("A\0B\r\nKV_COMMANDLOOP\r\n", 21));
}

class Scripts : public kvtest::TabsFixture {
protected:
    void SetUp() override {
        TabsFixture::SetUp();
        recordCommands();
    }
    // A script file in a folder whose name has a blank.
    std::string script(const std::string& text, const std::string& name = "run.scr") {
        const std::string path = machine.drawings + "my scripts/" + name;
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // "Script..." with the file dialog answered by `path` (empty: cancelled).
    void runScript(const std::string& path) {
        if (!path.empty()) sim::host::queueInput(path);
        command(ID_KV_SCRIPT);
    }
    int saves(const std::string& name) {
        sim::dwg::FileInfo info;
        std::string err;
        EXPECT_TRUE(sim::dwg::readDrawingFile(machine.drawings + name, &info, &err)) << err;
        return info.drawing ? info.drawing->numberOfSaves : -1;
    }
    std::vector<int> savesOf(const Names& names) {
        std::vector<int> out;
        for (const auto& n : names) out.push_back(saves(n));
        return out;
    }
    std::string scriptFolder() { return dataFolder() + "Script/"; }
    static std::string times(const std::string& text, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += text;
        return out;
    }
};

TEST_F(Scripts, RunsInEveryDrawingInTabOrderAndEndsIdle) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    settle();
    mark({2});   // the selection alone: every drawing takes part
    const std::string file = script("_QSAVE\n");
    runScript(file);
    EXPECT_EQ(savesOf({"a.dwg", "b.dwg", "c.dwg"}), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(commands, times("KV_SCRIPT SCRIPT QSAVE KV_COMMANDLOOP ", 3));
    EXPECT_TRUE(tabs().Queue().IsIdle());
    EXPECT_EQ(tabs().Queue().Count(), 0);
    EXPECT_EQ(acDocManager->curDocument(), doc("c.dwg"));

    // The copy that ran, whole, in the data folder; the script's folder is remembered.
    EXPECT_EQ(menus().scriptPath, scriptFolder() + "temp.scr");
    EXPECT_EQ(ReadFileBytes(menus().scriptPath), "_QSAVE\nKV_COMMANDLOOP\r\n");
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(scriptFolder())) entries.push_back(e.path().filename().string());
    EXPECT_EQ(entries, Names{"temp.scr"});
    EXPECT_EQ(GetSettingText(SettingId::ScriptPath), machine.drawings + "my scripts/");

    // With several tabs marked, only their drawings.
    mark({0, 2});
    runScript(file);
    EXPECT_EQ(savesOf({"a.dwg", "b.dwg", "c.dwg"}), (std::vector<int>{2, 1, 2}));
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(Scripts, LinkTabsTakeATurnOnlyWithLinkTabClose) {
    open({"a.dwg"});
    start();
    settle();
    KvTabPanel().InsertLinkDrawing(drawing("l.dwg"));
    mark({0});
    runScript(script("_QSAVE\n"));
    EXPECT_EQ(savesOf({"a.dwg", "l.dwg"}), (std::vector<int>{1, 0}));
    EXPECT_EQ(captions(), (Names{"a.dwg", "l.dwg (link)"}));
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_TRUE(tabs().Queue().IsIdle());

    // With "Link tab close" on, the link's drawing opens in its turn and runs the script.
    SetSettingNumber(SettingId::LinkTabClose, 1);
    runScript(script("_QSAVE\n"));
    EXPECT_EQ(savesOf({"a.dwg", "l.dwg"}), (std::vector<int>{2, 1}));
    EXPECT_EQ(captions(), (Names{"a.dwg", "l.dwg"}));
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

TEST_F(Scripts, AnErrorStopsTheRunInThatDrawing) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    settle();
    mark({0});
    runScript(script("_QSAVE\nNOSUCHCOMMAND\n_QSAVE\n"));
    EXPECT_EQ(savesOf({"a.dwg", "b.dwg", "c.dwg"}), (std::vector<int>{1, 0, 0}));
    EXPECT_NE(transcript.find("*Script stopped*"), std::string::npos);
    EXPECT_EQ(acDocManager->curDocument(), doc("a.dwg"));
    EXPECT_EQ(commands.find("KV_COMMANDLOOP"), std::string::npos);
}

TEST_F(Scripts, CancelOrAFailedCopyRunsNothing) {
    open({"a.dwg", "b.dwg"});
    start();
    settle();
    // Cancelling the file dialog does not even remember a folder.
    const std::string before = GetSettingText(SettingId::ScriptPath);
    runScript("");
    EXPECT_EQ(GetSettingText(SettingId::ScriptPath), before);
    EXPECT_FALSE(fs::exists(scriptFolder() + "temp.scr"));
    EXPECT_EQ(commands, "");

    // An earlier run's copy is never taken for a script that cannot be read.
    ASSERT_TRUE(WriteFileAtomic(scriptFolder() + "temp.scr", "_QSAVE\nKV_COMMANDLOOP\r\n"));
    runScript(machine.drawings + "missing.scr");
    EXPECT_NE(transcript.find("\nException error : OnKvScript"), std::string::npos);
    EXPECT_EQ(savesOf({"a.dwg", "b.dwg"}), (std::vector<int>{0, 0}));

    // No "Script" folder in the data folder: the same.
    transcript.clear();
    fs::remove_all(scriptFolder());
    runScript(script("_QSAVE\n"));
    EXPECT_NE(transcript.find("\nException error : OnKvScript"), std::string::npos);
    EXPECT_EQ(savesOf({"a.dwg", "b.dwg"}), (std::vector<int>{0, 0}));
    EXPECT_TRUE(tabs().Queue().IsIdle());
    EXPECT_EQ(commands, "");
}

TEST_F(Scripts, SecondCopyWhenTheFirstCannotBeReplaced) {
    open({"a.dwg"});
    start();
    settle();
    fs::create_directories(scriptFolder() + "temp.scr/held");
    runScript(script("_QSAVE"));
    EXPECT_EQ(menus().scriptPath, scriptFolder() + "temp1.scr");
    EXPECT_EQ(ReadFileBytes(menus().scriptPath), "_QSAVE\r\nKV_COMMANDLOOP\r\n");
    EXPECT_EQ(saves("a.dwg"), 1);
    EXPECT_TRUE(tabs().Queue().IsIdle());
}

}  // namespace
