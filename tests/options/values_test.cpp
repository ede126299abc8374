// Values a user types into the options dialog or a file holds: none may make the bar unusable or
// its painting unbounded, and the bar shows what the settings say (captions, fonts, visibility).
// Driven through the simulated host as a user would: the dialog, clicks, keys.
#include <filesystem>
#include <fstream>
#include "hosting/dockbar.h"
#include "options/options_fixture.h"
#include "res/resource.h"
#include "sim/desk/windows.h"
#include "win/input.h"

namespace {

namespace fs = std::filesystem;
using S = SettingId;

TEST(UsableSettings, EachRuleOfTheTable) {
    // The row's read check first, then its usable range.
    EXPECT_EQ(UsableSettingNumber(S::SubControlSize, 99), 6);
    EXPECT_EQ(UsableSettingNumber(S::SubControlSize, 14), 14);
    EXPECT_EQ(UsableSettingNumber(S::FixedWidthX, -5), 32);
    EXPECT_EQ(UsableSettingNumber(S::FixedWidthX, 2147483647), 400);
    EXPECT_EQ(UsableSettingNumber(S::FixedWidthX, 3), 16);
    EXPECT_EQ(UsableSettingNumber(S::MaxCharLength, 0), 1);
    EXPECT_EQ(UsableSettingNumber(S::MenuYPosition, 0), 20);
    EXPECT_EQ(UsableSettingNumber(S::DockingPosition, 5), 8192);
    EXPECT_EQ(UsableSettingNumber(S::DockingPosition, 32768), 32768);
    EXPECT_EQ(UsableSettingNumber(S::BackgroundColorEffect, 69), 2);
    // Flags and colours are whatever is stored.
    EXPECT_EQ(UsableSettingNumber(S::SelectedTabFontColor, 0), 0);
    EXPECT_EQ(UsableSettingNumber(S::OneTabHidden, -7), -7);
}

class Values : public kvtest::OptionsFixture {
protected:
    // A settings file in the data folder, found by the next start: numeric items.
    void settingsFile(std::initializer_list<std::pair<std::string, std::string>> items) {
        fs::create_directories(dataFolder());
        std::ofstream out(dataFolder() + "korvane.xml", std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<Korvane>\r\n<config>\r\n";
        for (const auto& [name, value] : items)
            out << "<Item name=\"" << name << "\" type=\"numeric\">" << value << "</Item>\r\n";
        out << "</config>\r\n</Korvane>\r\n";
    }
    RECT barRect() {
        RECT r{};
        GetWindowRect(KvDockBar()->GetSafeHwnd(), &r);
        return r;
    }
    std::string current() { return acDocManager->curDocument()->fileName(); }
    // How far below the pointer the tab menu opens, right-clicking tab `index`.
    int menuOffset(int index) {
        run("@rclick " + std::to_string(index));
        settle();
        POINT cursor;
        GetCursorPos(&cursor);
        const auto menu = sim::desk::lastTrackedMenu();
        return menu ? menu->y - cursor.y : -1;
    }
    // The bar painted as it shows; the tabs' click targets are the rectangles it reports.
    void paint() {
        sim::desk::WindowManager::get().pump();
        ASSERT_NE(sim::desk::renderWindow(tabs().GetSafeHwnd()), nullptr);
    }
};

TEST_F(Values, ACloseButtonSizeOutsideThePageRangeIsRefused) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog set 1116 99", "@dialog press OK",
               "@dialog set 1116 abc", "@dialog press OK", "@dialog set 1116 10", "@dialog press OK"});
    const std::string refused = "The size of the close button must be a number from 4 to 14.";
    EXPECT_EQ(boxes(), (std::vector<std::string>{refused, refused}));
    EXPECT_EQ(GetSettingNumber(S::SubControlSize), 10);
    EXPECT_EQ(tabs().subControlSize, 10);

    // With the close button off the box is out of reach, and what it holds cannot lock OK.
    SetSettingNumber(S::SubControlSize, 99);
    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog check 1115 off", "@dialog press OK"});
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_EQ(GetSettingNumber(S::SubControlSize), 6);
}

TEST_F(Values, StoredSizesAreUsedOnlyWithinTheirRanges) {
    // In file mode values bypass the read check and survive every restart: each must still give
    // a bar that paints and takes a plain click as a selection.
    settingsFile({{"Sub control size", "99"}, {"fixed width", "1"}, {"Fixed Width x", "2147483647"},
                  {"Max Char Length Use", "1"}, {"Max Char Length", "-3"}, {"Outline Width", "50"},
                  {"Tab boarder linetype", "99"}, {"Background color effect", "1000"},
                  {"Docking position", "5"}, {"Menu Y-position", "0"}});
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    ASSERT_TRUE(IsFileMode());
    EXPECT_EQ(tabs().subControlSize, 6);
    EXPECT_EQ(tabs().fixedWidthX, 400);
    EXPECT_EQ(tabs().maxChars, 20);
    EXPECT_EQ(tabs().outlineWidth, 8);
    EXPECT_EQ(tabs().borderLineType, 3);
    EXPECT_EQ(tabs().bgEffect, 2);
    EXPECT_EQ(tabs().dockSide, 8192);
    paint();
    EXPECT_EQ(tabs().GetItemRect(1).Width(), 400);
    run("@click 0");
    settle();
    EXPECT_EQ(tabs().GetItemCount(), 3);
    EXPECT_EQ(current(), machine.drawings + "a.dwg");

    // The menu offset is 20, and the dialog shows it so.
    EXPECT_EQ(menuOffset(1), 20);
    configure({"@dialog dump", "@dialog press Cancel"});
    EXPECT_NE(transcript.find("1105 Edit \"20\""), std::string::npos) << transcript;
}

TEST_F(Values, FixedWidthTypedOutsideItsRangeKeepsTheBarUsable) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog check 1117 on", "@dialog set 1118 -5",
               "@dialog press OK"});
    EXPECT_EQ(GetSettingNumber(S::FixedWidthX), 32);
    paint();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(tabs().GetItemRect(i).Width(), 32) << i;

    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog set 1118 2147483647", "@dialog press OK"});
    EXPECT_EQ(GetSettingNumber(S::FixedWidthX), 400);
    paint();
    run("@click 1");
    settle();
    EXPECT_EQ(current(), machine.drawings + "b.dwg");
}

TEST_F(Values, AMenuOffsetThatIsNoNumberReadsAs20) {
    open({"a.dwg", "b.dwg"});
    start();
    configure({"@dialog set 1105 abc", "@dialog press OK"});
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);
    EXPECT_EQ(menuOffset(0), 20);
}

TEST_F(Values, TheBarIsLaidOutForTheFontItShows) {
    open({"a.dwg", "b.dwg"});
    start();
    sim::desk::WindowManager::get().pump();
    const int before = barRect().Height();
    auto thickness = [&] {
        return CKorvaneDialogBar::ComputeLayout(true, tabs().SelectedFontHeight(), tabs().fixedWidthX, false,
                                                tabs().versionIcon).thickness;
    };
    // A font applied from the dialog stays when it is cancelled: the bar takes its height.
    configure({"@dialog select 242 Korvane Shape>Tab Style", "@font \"DejaVu Serif\" 20 bold", "@dialog press 1130",
               "@dialog press Cancel"});
    sim::desk::WindowManager::get().pump();
    EXPECT_GT(barRect().Height(), before);
    EXPECT_EQ(barRect().Height(), thickness());

    // A record that no longer parses gives the default font, not the last face chosen.
    SetSettingText(S::SelectedTabFontStyle, "not a font");
    configure({"@dialog press OK"});
    sim::desk::WindowManager::get().pump();
    EXPECT_EQ(tabs().SelectedFontHeight(), 12);
    EXPECT_EQ(barRect().Height(), before);
    LOGFONT lf;
    ASSERT_TRUE(GetObject(reinterpret_cast<HFONT>(SendMessage(tabs().GetSafeHwnd(), WM_GETFONT, 0, 0)), &lf));
    EXPECT_NE(lf.lfFaceName, "DejaVu Serif");

    // A stored height no tab can show is brought into range.
    SetSettingText(S::SelectedTabFontStyle, "-2147483648,0,0,0,600,0,0,0,0,0,0,0,0,DejaVu Sans");
    configure({"@dialog press OK"});
    EXPECT_EQ(tabs().SelectedFontHeight(), 72);
}

TEST_F(Values, MaxCharLengthFromTheDialogReachesOldTabsAndKeepsTheExtension) {
    open({"section.dwg", "a-very-long-drawing-name.dwg"});
    start();
    sim::desk::WindowManager::get().pump();
    const int wide = tabs().GetItemRect(1).Width();
    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog check 1119 on", "@dialog set 1120 10",
               "@dialog press OK"});
    sim::desk::WindowManager::get().pump();
    EXPECT_EQ(tabs().PaintedCaption(0), "section.dwg");
    EXPECT_EQ(tabs().PaintedCaption(1), "a-very-lon....dwg");
    EXPECT_EQ(tabs().GetCaption(1), "####a-very-lon....dwg");
    EXPECT_LT(tabs().GetItemRect(1).Width(), wide);
    // The context menu names the drawing the same way.
    run("@rclick 1");
    settle();
    ASSERT_TRUE(sim::desk::lastTrackedMenu());
    EXPECT_NE(sim::desk::lastTrackedMenu()->dump.find("\"a-very-lon....dwg\""), std::string::npos)
        << sim::desk::lastTrackedMenu()->dump;

    // Turning the extension off reaches the old tabs too.
    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog check 1114 off", "@dialog press OK"});
    EXPECT_EQ(tabs().GetCaption(0), "####section");
}

TEST_F(Values, OneTabHiddenCountsTabsNotDocuments) {
    setNumber("One tab hidden", 1);
    open({"a.dwg"});
    start();
    KvTabPanel().InsertLinkDrawing(drawing("b.dwg"));
    KvTabPanel().InsertLinkDrawing(drawing("c.dwg"));
    settle();
    ASSERT_TRUE(KvDockBar()->IsVisible());
    configure({"@dialog press OK"});
    EXPECT_TRUE(KvDockBar()->IsVisible());
    run("@set SDI 1");
    run("@set SDI 0");
    settle();
    EXPECT_TRUE(KvDockBar()->IsVisible());
    // With only the drawing's tab left, the setting hides the bar.
    KvTabPanel().DeleteDrawing(tabs().GetItem(2));
    KvTabPanel().DeleteDrawing(tabs().GetItem(1));
    settle();
    EXPECT_FALSE(KvDockBar()->IsVisible());
}

TEST_F(Values, ALinkToAnOpenDrawingBringsThatDrawingForward) {
    open({"a.dwg", "b.dwg"});
    start();
    KvTabPanel().InsertLinkDrawing(machine.drawings + "a.dwg");
    run("@click 2");
    settle();
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "b.dwg"}));
    EXPECT_EQ(current(), machine.drawings + "a.dwg");
    EXPECT_EQ(tabs().GetCurSel(), 0);
    EXPECT_EQ(acDocManager->documentCount(), 2);
}

TEST_F(Values, TheTabKeyShowsNoMenuWithNothingInIt) {
    open({"a.dwg", "b.dwg"});
    start();
    ASSERT_TRUE(menus().templates.empty());
    run("@key Tab over=bar");
    settle();
    EXPECT_FALSE(sim::desk::lastTrackedMenu());
    menus().templates = {drawing("a3.dwt") + ";A3"};
    run("@key Tab over=bar");
    settle();
    ASSERT_TRUE(sim::desk::lastTrackedMenu());
    EXPECT_NE(sim::desk::lastTrackedMenu()->dump.find("A3"), std::string::npos);
}

TEST_F(Values, TheFindDialogsCancelClosesIt) {
    open({"a.dwg", "b.dwg"});
    start();
    feed = {"@dialog set 1001 a*", "@dialog press Cancel", "@dialog press OK"};
    run("@key Ctrl+F over=bar");
    settle();
    // The dialog closed at Cancel: the last line was left for after it.
    EXPECT_EQ(feed.size(), 1u) << transcript;
    feed.clear();
    EXPECT_NE(transcript.find("[dialog] Find -> Cancel"), std::string::npos) << transcript;
    EXPECT_EQ(current(), machine.drawings + "b.dwg");
}

}  // namespace
