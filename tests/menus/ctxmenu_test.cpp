// The tab context menu as the user meets it: sections by the marked tabs and the options, the
// numbering, the order for a bar at the bottom, the drawing's own lists, the history from the
// registry, and the commands its entries run.
#include <ctime>
#include "menu_fixture.h"
#include "menus/ctxmenu.h"
#include "core/registry.h"
#include "core/strings.h"
#include "win/module.h"
#include "core/text.h"
#include "win/registry.h"

namespace {

namespace fs = std::filesystem;

class ContextMenu : public kvtest::MenuFixture {
protected:
    // A drawing with its own layouts, views and layer states.
    std::string rich(const std::string& name) {
        sim::dwg::Drawing d;
        d.layouts = {"Model", "Plan", "Section"};
        d.currentLayout = "Plan";
        d.views = {{"North", false}, {"Sheet A", true}, {"Sheet B", true}};
        d.layerStates = {{"Plot", 0}, {"Draft", 0x10000}};
        const std::string path = machine.drawings + name;
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    // Right-clicks tab N and returns the menu as shown (nothing picked).
    std::string menuOf(int index) {
        EXPECT_TRUE(runner.runLine("@rclick " + std::to_string(index))) << transcript;
        auto menu = sim::desk::lastTrackedMenu();
        return menu ? menu->dump : std::string();
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            out.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        return out;
    }
    static bool has(const std::string& menu, const std::string& line) {
        for (const auto& l : lines(menu))
            if (l == line) return true;
        return false;
    }
    void recent(int number, const std::string& path, const std::string& fileTime = {}) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, acdbHostUserProductRegistryRootKey() + "\\Recent File List",
                                 KEY_ALL_ACCESS, &k),
                  ERROR_SUCCESS);
        auto put = [&](const std::string& name, const std::string& value) {
            RegSetValueEx(k, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
        };
        put("File" + std::to_string(number), path);
        if (!fileTime.empty()) put("FileTime" + std::to_string(number), fileTime);
        RegCloseKey(k);
    }
};

TEST_F(ContextMenu, OneTabShowsItsDrawingAndNumbersTheFirstNine) {
    ASSERT_TRUE(sim::host::openDrawing(rich("plan.dwg")));
    open({"b.dwg"});
    start();
    run("@click 0");
    const std::string menu = menuOf(0);
    const auto l = lines(menu);
    ASSERT_GE(l.size(), 12u) << menu;
    EXPECT_EQ(l[0], "&1 \"plan.dwg\" Close  [10004] with-bitmap");
    // The layouts replace the separator after the Close entry (the face is the drawing's picture).
    EXPECT_EQ(l[1].rfind("[bitmap ", 0), 0u) << l[1];
    EXPECT_EQ(l[2], "  &1 Model  [77700]");
    EXPECT_EQ(l[3], "  &2 Plan  [77701] checked highlighted");
    // Paper space is current: its views only.
    EXPECT_TRUE(has(menu, "&View"));
    EXPECT_TRUE(has(menu, "  &1 Sheet A  [77800]"));
    EXPECT_FALSE(has(menu, "  &1 North  [77800]"));
    EXPECT_TRUE(has(menu, "  &2 Draft  [78001] checked highlighted"));
    EXPECT_TRUE(has(menu, "&9 Open From Other AutoCAD  [10026]"));
    EXPECT_TRUE(has(menu, "Open Containing Folder...  [32806]"));   // the tenth: no number
    EXPECT_FALSE(has(menu, "&7 Tile &Horizontally  [10015]"));
    EXPECT_EQ(l.back(), "---");   // the popup's own separator stays last
}

TEST_F(ContextMenu, SeveralMarkedTabsGetTheirOwnSections) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    run("@click 0");
    run("@click 1 ctrl");
    std::string menu = menuOf(0);
    auto l = lines(menu);
    EXPECT_EQ(l[0], "&1 Selected File Close  [10005] with-bitmap");
    EXPECT_EQ(l[1], "---");
    EXPECT_EQ(l[2], "&2 Open Only Current Document  [10024]");
    EXPECT_EQ(l[3], "&3 Combine DWG  [10036]");
    EXPECT_TRUE(has(menu, "&7 Tile &Horizontally  [10015]")) << menu;
    EXPECT_FALSE(has(menu, "Sort Ascending  [10021]"));
    EXPECT_FALSE(has(menu, "&Window"));

    run("@click 2 ctrl");   // three marked: no tiling
    menu = menuOf(0);
    EXPECT_FALSE(has(menu, "&7 Tile &Horizontally  [10015]")) << menu;
    EXPECT_TRUE(has(menu, "&7 &Script...  [10018]")) << menu;
}

TEST_F(ContextMenu, ABarAtTheBottomReadsUpwards) {
    setNumber("Docking position", 32768);
    ASSERT_TRUE(sim::host::openDrawing(rich("plan.dwg")));
    start();
    const auto l = lines(menuOf(0));
    ASSERT_GE(l.size(), 6u);
    EXPECT_EQ(l[0], "Config Setting...  [32804]");
    EXPECT_EQ(l[l.size() - 1], "---");
    EXPECT_EQ(l[l.size() - 2], "&1 \"plan.dwg\" Close  [10004] with-bitmap");
    // The layouts stay next to the Close entry and keep their own order.
    const size_t layouts = std::find(l.begin(), l.end(), "  &1 Model  [77700]") - l.begin();
    ASSERT_LT(layouts, l.size());
    EXPECT_EQ(l[layouts + 1], "  &2 Plan  [77701] checked highlighted");
    EXPECT_EQ(l[layouts + 3], "&1 \"plan.dwg\" Close  [10004] with-bitmap");
    // The window submenu turns round too.
    const size_t window = std::find(l.begin(), l.end(), "&Window") - l.begin();
    ASSERT_LT(window + 4, l.size());
    EXPECT_EQ(l[window + 1], "  &4 Arrange &Icons  [10001]");
    EXPECT_EQ(l[window + 4], "  &1 Casca&de  [10002]");
}

TEST_F(ContextMenu, HistoryComesFromTheHostsRecentFiles) {
    setNumber("Drawing History Use", 1);
    open({"a.dwg"});
    const std::string present = drawing("here.dwg");
    recent(1, present, "1700000000");
    recent(3, machine.drawings + "never reached.dwg");   // number 2 is missing: the list ends
    start();
    std::string menu = menuOf(0);
    EXPECT_TRUE(has(menu, "  &1 " + KvHistoryDate(1700000000) + KvCompactPath(present, 30) + "  [78100]")) << menu;
    EXPECT_EQ(menu.find("never reached"), std::string::npos);

    // A missing file with a time keeps its date; without one it has none. Long paths are cut to 30.
    const std::string gone = machine.drawings + std::string(290, 'x') + ".dwg";
    recent(1, gone, "1700000000");
    recent(2, machine.drawings + "gone.dwg");
    recent(3, machine.drawings + "a.dwg");
    menu = menuOf(0);
    const std::string compact = KvCompactPath(gone, 30);
    EXPECT_EQ(CharCount(compact), 30u);
    EXPECT_TRUE(has(menu, "  &1 " + KvHistoryDate(1700000000) + compact + "  [78100]")) << menu;
    EXPECT_TRUE(has(menu, "  &2 " + KvCompactPath(machine.drawings + "gone.dwg", 30) + "  [78101]")) << menu;
    bool checked = false;
    for (const auto& line : lines(menu))
        checked = checked || (line.rfind("  &3 ", 0) == 0 && line.find("[78102] checked highlighted") != std::string::npos);
    EXPECT_TRUE(checked) << menu;   // the right-clicked drawing's own entry
}

TEST_F(ContextMenu, APackLeavesOutTheSubmenusItNamesEmpty) {
    setNumber("Drawing History Use", 1);
    setNumber("Favorites Use", 1);
    ASSERT_TRUE(sim::host::openDrawing(rich("plan.dwg")));
    start();
    HMODULE pack = LoadLibrary(kvtest::binaryDir() + "/tests/menus/empty_titles.dll");
    ASSERT_NE(pack, nullptr);
    App().resourceModule = pack;
    KvRebuildStringTable(pack);
    const std::string menu = menuOf(0);
    App().resourceModule = App().ownModule;
    KvRebuildStringTable(App().ownModule);
    FreeLibrary(pack);

    EXPECT_EQ(menu.find("Empty"), std::string::npos) << menu;
    // The user's commands belong to their own title, which the pack left out, not to another one.
    EXPECT_EQ(menu.find("Save drawing"), std::string::npos) << menu;
    EXPECT_NE(menu.find("Zu Favoriten  ["), std::string::npos) << menu;   // entries of their own stay
    EXPECT_TRUE(has(menu, "&1 \"plan.dwg\" Schlie\xc3\x9f" "en  [10004] with-bitmap")) << menu;
    EXPECT_TRUE(has(menu, "&Window")) << menu;
    // Leaving a title out leaves no pair of separators behind.
    EXPECT_EQ(menu.find("---\n---"), std::string::npos) << menu;
}

TEST_F(ContextMenu, NothingWhileACommandRuns) {
    open({"a.dwg"});
    start();
    sim::host::typeLine("DELAY 1000");
    EXPECT_TRUE(runner.runLine("@rclick 0"));
    EXPECT_FALSE(sim::desk::lastTrackedMenu().has_value());
}

TEST_F(ContextMenu, EntriesRunTheirWork) {
    ASSERT_TRUE(sim::host::openDrawing(rich("plan.dwg")));
    start();
    std::vector<std::string> started;
    sim::host::setEventListener([&](const std::string& name, const std::string& arg) {
        if (name == "commandWillStart") started.push_back(arg);
    });
    run("@menu \"#1>Section\"");   // the layouts entry shows the drawing's picture
    run("@rclick 0");
    run("@menu \"Saved layer states>Plot\"");
    run("@rclick 0");
    run("@menu \"Open Containing Folder...\"");
    run("@rclick 0");
    settle();
    EXPECT_EQ(started, (std::vector<std::string>{"LAYOUT", "KV_OPENCURFOLDER"})) << transcript;
    const auto states = doc("plan.dwg")->database()->layerStates();
    EXPECT_EQ(states[0].second, 0x10000);   // Plot restored last
    EXPECT_EQ(states[1].second, 0);
}

TEST_F(ContextMenu, TheItemMenuListsSimilarDrawings) {
    setNumber("Similar EndPos", 2);
    for (const char* n : {"A-101.dwg", "A-102.dwg", "B-101.dwg", "a-103.dwg"}) open({n});
    start();
    run("@click 1");
    tabs().GlyphAction(1, 2);
    const std::string menu = sim::desk::lastTrackedMenu()->dump;
    EXPECT_EQ(menu, "&1 A-101.dwg  [78200]\n&2 A-102.dwg  [78201] checked highlighted\n&3 a-103.dwg  [78202]\n---\n");
    run("@menu \"a-103.dwg\"");
    tabs().GlyphAction(1, 2);
    settle();
    EXPECT_EQ(acDocManager->curDocument(), doc("a-103.dwg"));
}

TEST_F(ContextMenu, FavouritesAreKeptInTheRegistry) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    run("@click 0");
    run("@click 2 ctrl");
    command(ID_KV_FAVORITES_ADD);
    command(ID_KV_FAVORITES_ADD);   // twice: one entry each
    EXPECT_EQ(menus().favourites,
              (std::vector<std::string>{machine.drawings + "a.dwg;", machine.drawings + "c.dwg;"}));
    command(ID_KV_FAVORITES_NEW_APPEND);
    EXPECT_EQ(menus().favourites, (std::vector<std::string>{machine.drawings + "c.dwg;", machine.drawings + "b.dwg;",
                                                          machine.drawings + "a.dwg;"}));
    menus().favourites.push_back(machine.drawings + "gone.dwg;Old plan");
    const std::string menu = menuOf(0);
    EXPECT_TRUE(has(menu, "  &4 Old plan  [77903] grayed")) << menu;
    unload();

    // A second start reads them back, slots filled without gaps.
    start();
    EXPECT_EQ(menus().favourites.size(), 4u);
    CRegistry reg(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.Open("SOFTWARE\\Stavlo\\Korvane\\3.2\\favorites"));
    std::string slot;
    EXPECT_TRUE(reg.Read("zzfav03", &slot));
    EXPECT_EQ(slot, machine.drawings + "gone.dwg;Old plan");
    EXPECT_TRUE(reg.Read("zzfav04", &slot));
    EXPECT_EQ(slot, "");
}

}  // namespace

#include "core/wiring/filter.h"
#include "win/input.h"

namespace {

class TabKey : public ContextMenu {
protected:
    // Tab pressed with the pointer at a point of the tab control (client coordinates), or over the
    // drawing when `point` is null.
    bool pressTab(const POINT* point) {
        sim::desk::WindowManager::get().pump();
        POINT screen;
        if (point) {
            screen = *point;
            ClientToScreen(tabs().GetSafeHwnd(), &screen);
        } else {
            RECT r;
            GetWindowRect(acedGetAcadDwgView(), &r);
            screen = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        }
        sim::Desktop::get().cursor = screen;
        MSG msg{};
        msg.hwnd = acedGetAcadFrame();
        msg.message = WM_KEYDOWN;
        msg.wParam = VK_TAB;
        return KvFilterMessage(&msg);
    }
    std::string lastMenu() {
        auto m = sim::desk::lastTrackedMenu();
        return m ? m->dump : "(none)";
    }
};

TEST_F(TabKey, OpensTheMenuOfWhatIsUnderThePointer) {
    open({"p-1.dwg", "p-2.dwg"});
    start();
    const std::string tmpl = drawing("metric.dwt");
    menus().templates = {tmpl + ";Metric", machine.drawings + "missing.dwt;"};
    settle();   // the bar is laid out

    const RECT first = tabs().GetItemRect(1);
    POINT onTab{(first.left + first.right) / 2, (first.top + first.bottom) / 2};
    EXPECT_TRUE(pressTab(&onTab));
    EXPECT_EQ(lastMenu(), "&1 p-1.dwg  [78200]\n&2 p-2.dwg  [78201] checked highlighted\n---\n");

    POINT beside{first.right + 30, (first.top + first.bottom) / 2};
    EXPECT_TRUE(pressTab(&beside));
    EXPECT_EQ(lastMenu(), "&1 Metric  [78300] with-bitmap\n---\n&2 " + KvCompactPath(machine.drawings + "missing.dwt", 40) +
                              "  [78301] grayed\n---\n");

    EXPECT_TRUE(pressTab(nullptr));   // over the drawing: the tab context menu
    EXPECT_EQ(lines(lastMenu())[0], "&1 \"p-2.dwg\" Close  [10004] with-bitmap");
}

TEST_F(TabKey, OverTheDrawingOnlyWhenAsked) {
    setNumber("Use TabMenu", 0);
    open({"a.dwg"});
    start();
    EXPECT_FALSE(pressTab(nullptr));
    EXPECT_EQ(lastMenu(), "(none)");
}

}  // namespace

namespace {

TEST_F(ContextMenu, TheMarkedSetFollowsTheHostsActivation) {
    open({"a.dwg", "b.dwg", "c.dwg"});
    start();
    run("@click 0");
    run("@click 2 ctrl");
    ASSERT_EQ(tabs().MarkedItems().size(), 2u);
    run("@activate " + machine.drawings + "b.dwg");   // the host makes another drawing current
    EXPECT_EQ(tabs().MarkedItems(), (std::vector<CItemData*>{tabs().GetItem(1)}));
    EXPECT_EQ(lines(menuOf(1))[0], "&1 \"b.dwg\" Close  [10004] with-bitmap");
}

}  // namespace

namespace {

TEST_F(ContextMenu, AFailedWebStorageCheckTakesItsEntriesAway) {
    setNumber("Cloudfold Use", 1);
    open({"a.dwg"});
    start();
    SetSettingText(SettingId::ServerAddress, "127.0.0.1");
    SetSettingText(SettingId::ServerPort, "not a port");   // port 0: nothing answers there
    EXPECT_TRUE(has(menuOf(0), "Cloudfold Open...  [10007]"));
    sim::host::typeLine("KV_WOPEN");
    const std::string menu = menuOf(0);
    EXPECT_EQ(menu.find("Cloudfold"), std::string::npos) << menu;
}

}  // namespace

namespace {

TEST_F(TabKey, ATemplateFromTheMenuStartsANewDrawing) {
    open({"a.dwg"});
    start();
    const std::string tmpl = drawing("metric.dwt");
    menus().templates = {tmpl + ";Metric"};
    settle();
    const RECT last = tabs().GetItemRect(0);
    POINT beside{last.right + 30, (last.top + last.bottom) / 2};
    run("@menu \"Metric\"");
    EXPECT_TRUE(pressTab(&beside));
    settle();
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_EQ(tabs().GetItemCount(), 2);
}

TEST_F(ContextMenu, OpenAllFavoritesOpensWhatHasNoTab) {
    open({"a.dwg"});
    start();
    const std::string b = drawing("b.dwg");
    menus().favourites = {machine.drawings + "A.DWG;", b + ";B", machine.drawings + "gone.dwg;"};
    command(ID_KV_FAVORITES_OPEN_ALL);
    EXPECT_EQ(captions(), (std::vector<std::string>{"a.dwg", "b.dwg"}));   // no second a.dwg
    EXPECT_EQ(menus().favourites.size(), 3u);                                // a missing one stays
}

}  // namespace
