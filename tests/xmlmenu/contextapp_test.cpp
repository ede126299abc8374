// The user's menu file in the running plug-in: finding it, and the plug-in's submenu in the host's
// right-click menu of the drawing area.
#include <filesystem>
#include <fstream>
#include "menus/contextapp.h"
#include "sim/desk/dialogs.h"
#include "support/plugin_fixture.h"

namespace {

namespace fs = std::filesystem;

class UserMenu : public kvtest::PluginFixture {
protected:
    std::string dataCopy() const { return dataFolder() + "ctxmenu.xml"; }
    void writeDataCopy(const std::string& text) { std::ofstream(dataCopy(), std::ios::binary) << text; }
    // Right-clicks the drawing area, picking `pick` (nothing: dismissed); returns the menu shown.
    std::string rightClickDrawing(const std::string& pick = "") {
        if (!pick.empty()) sim::desk::queueMenuPick(pick);
        sim::desk::drawingContextMenu()(POINT{400, 300});
        auto tracked = sim::desk::lastTrackedMenu();
        return tracked ? tracked->dump : "";
    }
    std::string korvaneSubmenu(const std::string& dump) {
        const size_t at = dump.find("Korvane\n");
        return at == std::string::npos ? "<none>" : dump.substr(at + 8);
    }
};

TEST_F(UserMenu, ShippedFileReachesTheDataFolderAgainWhenDeleted) {
    start();
    ASSERT_NE(KvContextApp(), nullptr);
    EXPECT_FALSE(fs::exists(dataCopy()));   // start-up leaves it to the first showing
    rightClickDrawing();
    ASSERT_TRUE(fs::exists(dataCopy()));
    const size_t shippedEntries = KvContextApp()->Menu().Labels().size();
    EXPECT_GT(shippedEntries, 3u);

    // A user's own copy is kept and read afresh at each showing.
    writeDataCopy("<menu><mine name=\"Mine\">_LINE</mine></menu>");
    EXPECT_EQ(korvaneSubmenu(rightClickDrawing()), "  Mine  [4096]\n");
    writeDataCopy("<menu><a name=\"A\"/><b name=\"B\"/></menu>");
    EXPECT_EQ(korvaneSubmenu(rightClickDrawing()), "  A  [4096]\n  B  [4097]\n");

    fs::remove(dataCopy());
    rightClickDrawing();
    EXPECT_TRUE(fs::exists(dataCopy()));
    EXPECT_EQ(KvContextApp()->Menu().Labels().size(), shippedEntries);
}

TEST_F(UserMenu, NoFileAnywhereMeansNoEntriesAndNoMessage) {
    fs::remove(machine.moduleFolder + "ctxmenu.xml");
    start();
    CXmlMenu menu;
    HMENU popup = CreatePopupMenu();
    menu.LoadText(popup, "<m><old>x</old></m>");
    transcript.clear();
    EXPECT_FALSE(KvLoadUserMenu(menu, popup = CreatePopupMenu()));
    EXPECT_TRUE(menu.Labels().empty());   // nothing left over from an earlier showing
    EXPECT_EQ(GetMenuItemCount(popup), 0);
    EXPECT_EQ(transcript, "");
    // The host still shows the submenu, greyed.
    EXPECT_NE(rightClickDrawing().find("Korvane grayed"), std::string::npos);
}

TEST_F(UserMenu, ChosenEntrySendsItsTextToTheCurrentDrawing) {
    sim::host::newDrawing();
    start();
    writeDataCopy("<menu><zoom name=\"Zoom\">_ZOOM</zoom><enter name=\"Enter\"/>"
                  "<sub name=\"Sub\"><ext name=\"Extents\">_ZOOM _E</ext></sub></menu>");
    transcript.clear();
    rightClickDrawing("Korvane>Sub>Extents");
    EXPECT_NE(transcript.find("Command: _ZOOM"), std::string::npos);
    EXPECT_NE(transcript.find("Regenerating model."), std::string::npos);

    // An entry without text sends a lone Enter: a waiting prompt takes it as its default answer
    // instead of being cancelled for want of input.
    sim::host::typeLine("_DELAY 1000");
    rightClickDrawing("Korvane>Zoom");
    rightClickDrawing("Korvane>Enter");
    transcript.clear();
    sim::Desktop::get().advance(1000);
    sim::host::pump();
    EXPECT_NE(transcript.find("<real time>: "), std::string::npos);
    EXPECT_EQ(transcript.find("*Cancel*"), std::string::npos);

    // Ids below the user's range are not the plug-in's to run; ids past the entries are refused.
    transcript.clear();
    KvContextApp()->onCommand(499);
    EXPECT_EQ(transcript, "");
    KvContextApp()->onCommand(503);
    EXPECT_EQ(transcript, "Exception error :  OnCommand. \n");
}

TEST_F(UserMenu, UnloadTakesTheSubmenuOutOfTheHostMenu) {
    start();
    EXPECT_NE(korvaneSubmenu(rightClickDrawing()), "<none>");
    unload();
    EXPECT_EQ(KvContextApp(), nullptr);
    EXPECT_EQ(korvaneSubmenu(rightClickDrawing()), "<none>");
    EXPECT_FALSE(acedRemoveDefaultContextMenu(nullptr));
}

}  // namespace
