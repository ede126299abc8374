// The commands that work with the tab strip, typed on the host's command line.
#include <filesystem>
#include <fstream>
#include "hosting/dockbar.h"
#include "settings/settings.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "support/plugin_fixture.h"
#include "menus/tabmenus.h"
#include "hosting/features.h"
#include "win/registry.h"

namespace {

namespace fs = std::filesystem;

class TabCommands : public kvtest::PluginFixture {
protected:
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    // The tab strip's menus of the started module.
    KvTabMenus& menus() { return *KvStripMenus(); }
    std::vector<std::string> linkPaths() {
        std::vector<std::string> out;
        for (int i = 0; i < tabs().GetItemCount(); ++i)
            if (tabs().GetItem(i)->isLink) out.push_back(tabs().GetItem(i)->pathName);
        return out;
    }
};

TEST_F(TabCommands, LinkOpenAddsALinkTabPerChosenFile) {
    sim::host::openDrawing(drawing("open.dwg"));
    start();
    const std::string a = drawing("lib/a.dwg"), b = drawing("lib/b.dwg");
    sim::desk::queueFiles({a, b});
    sim::host::typeLine("KV_LOPEN");
    EXPECT_EQ(linkPaths(), (std::vector<std::string>{a, b}));
    sim::host::typeLine("KV_LOPEN");   // nothing queued: cancelled
    EXPECT_EQ(linkPaths().size(), 2u);

    // More than the dialog was told it may write: nothing is added.
    std::vector<std::string> many;
    for (int i = 0; i < 400; ++i) many.push_back(machine.drawings + "lib/a-long-file-name-number-" + std::to_string(i) + ".dwg");
    sim::desk::queueFiles(many);
    sim::host::typeLine("KV_LOPEN");
    EXPECT_EQ(linkPaths().size(), 2u);
}

TEST_F(TabCommands, LinkFolderOpenWalksSubFolders) {
    sim::host::openDrawing(drawing("open.dwg"));
    start();
    drawing("site/a.dwg");
    drawing("site/deep/b.DWG");
    std::ofstream(machine.drawings + "site/notes.txt") << "x";
    sim::desk::queueFolder(machine.drawings + "site");
    sim::host::typeLine("KV_LINKFOLDEROPEN");
    EXPECT_EQ(linkPaths(), (std::vector<std::string>{machine.drawings + "site/a.dwg", machine.drawings + "site/deep/b.DWG"}));
    EXPECT_NE(transcript.find("Links open in drawing..."), std::string::npos);
    EXPECT_FALSE(sim::host::progress().shown);   // the status bar is back
}

TEST_F(TabCommands, LinkCloseFollowsItsSetting) {
    sim::host::openDrawing(drawing("open.dwg"));
    start();
    KvTabPanel().InsertLinkDrawing(drawing("l.dwg"));
    sim::host::typeLine("KV_LCLOSE");
    EXPECT_EQ(linkPaths().size(), 1u);
    SetSettingNumber(SettingId::LinkTabClose, 1);
    sim::host::typeLine("KV_LCLOSE");
    EXPECT_TRUE(linkPaths().empty());
    EXPECT_EQ(tabs().GetItemCount(), 1);
}

TEST_F(TabCommands, OpenCurrentFolder) {
    start();
    sim::host::openDrawing(drawing("proj/plan.dwg"));
    sim::host::typeLine("KV_OPENCURFOLDER");
    sim::host::newDrawing();
    sim::host::typeLine("KV_OPENCURFOLDER");
    std::string data = App().dataFolder;
    data.pop_back();
    std::vector<std::string> requests;
    for (const auto& r : sim::desk::shellRequests()) requests.push_back(r.verb + " " + r.file);
    EXPECT_EQ(requests, (std::vector<std::string>{"explore " + machine.drawings + "proj", "explore " + data}));
}

TEST_F(TabCommands, CommandLoopWithAnEmptyQueueDoesNothing) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    const std::string before = transcript;
    sim::host::typeLine("KV_COMMANDLOOP");
    EXPECT_EQ(tabs().Queue().Count(), 0);
    EXPECT_EQ(transcript.find("Exception"), std::string::npos);
}

TEST_F(TabCommands, ConfigurationReappliesTheDockingSide) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    sim::desk::WindowManager::get().pump();
    SetSettingNumber(SettingId::DockingPosition, 4096);
    // The options dialog is confirmed as it opens.
    const auto previous = sim::desk::setScriptFeed([] {
        SendMessage(sim::desk::topDialog(), WM_COMMAND, IDOK, 0);
        return true;
    });
    sim::host::typeLine("KV_CFG");
    sim::desk::setScriptFeed(previous);
    sim::desk::WindowManager::get().pump();
    EXPECT_EQ(KvDockBar()->GetBarStyle(), 4352u);
    EXPECT_TRUE(tabs().vertical);
    RECT r;
    GetWindowRect(KvDockBar()->GetSafeHwnd(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_LT(r.Width(), 60);
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
}

TEST_F(TabCommands, ShowAndHideChangeOnlyWhatDiffers) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    sim::desk::WindowManager::get().pump();
    sim::host::typeLine("KV_SHOW");
    EXPECT_TRUE(KvDockBar()->IsVisible());
    sim::host::typeLine("KV_HIDE");
    EXPECT_FALSE(KvDockBar()->IsVisible());
    sim::host::typeLine("KV_HIDE");
    EXPECT_FALSE(KvDockBar()->IsVisible());
    sim::host::typeLine("KV_SHOW");
    EXPECT_TRUE(KvDockBar()->IsVisible());
}

TEST_F(TabCommands, ScriptRunsTheTemporaryScript) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    const std::string script = machine.drawings + "t.scr";
    std::ofstream(script) << "LINE 0,0 3,3 \n";
    menus().scriptPath = script;
    std::vector<std::string> commands;
    sim::host::setEventListener([&](const std::string& name, const std::string& arg) {
        if (name == "commandWillStart") commands.push_back(arg);
    });
    sim::host::typeLine("KV_SCRIPT");
    sim::host::pump();
    sim::host::setEventListener(nullptr);
    EXPECT_NE(std::find(commands.begin(), commands.end(), "SCRIPT"), commands.end()) << transcript;
    EXPECT_NE(std::find(commands.begin(), commands.end(), "LINE"), commands.end()) << transcript;
}

}  // namespace

namespace {

TEST_F(TabCommands, BatchScriptEntryLeavesNothingPushed) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    // The batch dialog's template arrives with the batch runner; until then nothing opens.
    sim::host::typeLine("KV_BSCRIPT");
    sim::host::typeLine("KV_BSCRIPT");
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
    EXPECT_EQ(transcript.find("Exception"), std::string::npos);
}

}  // namespace
