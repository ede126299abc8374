// Clicking tabs: selecting activates, Ctrl and Shift mark without activating, links open in place.
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"
#include "menus/tabmenus.h"
#include "hosting/features.h"

namespace {

class Clicks : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
        // Between lines the host's loop runs what the clicks sent to the command line.
        runner.afterLine = [](sim::script::Runner&) { sim::host::idle(); };
    }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << transcript; }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    // The tab strip's menus of the started module.
    KvTabMenus& menus() { return *KvStripMenus(); }
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
    EXPECT_EQ(tabs().MarkedItems().size(), 4u);
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

#include "core/wiring/filter.h"
#include "win/input.h"
#include "sim/desk/dialogs.h"
#include "win/system.h"

namespace {

class Keys : public Clicks {
protected:
    void openThree() {
        for (const char* n : {"a.dwg", "b.dwg", "c.dwg"}) sim::host::openDrawing(drawing(n));
        start();
        sim::desk::WindowManager::get().pump();
    }
    // Offers a key to the plug-in's filter as the host's message loop would; true when swallowed.
    bool key(int vk, std::initializer_list<int> held, const char* over) {
        auto& desk = sim::Desktop::get();
        for (int k : held) desk.keysDown[k] = true;
        HWND target = std::string(over) == "bar" ? tabs().GetSafeHwnd() : acedGetAcadDwgView();
        RECT r;
        GetWindowRect(target, &r);
        desk.cursor = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        MSG msg;
        msg.hwnd = acedGetAcadFrame();
        msg.message = WM_KEYDOWN;
        msg.wParam = WPARAM(vk);
        const bool swallowed = KvFilterMessage(&msg);
        desk.keysDown.clear();
        return swallowed;
    }
    std::vector<std::string> order() {
        std::vector<std::string> out;
        for (int i = 0; i < tabs().GetItemCount(); ++i) out.push_back(tabs().GetItem(i)->displayName);
        return out;
    }
};

TEST_F(Keys, CtrlArrowsMoveTheSelectedTabWithoutChangingTheDrawing) {
    openThree();
    AcApDocument* current = acDocManager->curDocument();
    EXPECT_TRUE(key(VK_RIGHT, {VK_CONTROL}, "bar"));   // already last: nothing, but swallowed
    EXPECT_EQ(order(), (std::vector<std::string>{"a.dwg", "b.dwg", "c.dwg"}));
    EXPECT_TRUE(key(VK_LEFT, {VK_CONTROL}, "drawing"));
    EXPECT_EQ(order(), (std::vector<std::string>{"a.dwg", "c.dwg", "b.dwg"}));
    EXPECT_EQ(tabs().GetCurSel(), 1);
    EXPECT_TRUE(key(VK_UP, {VK_CONTROL}, "bar"));
    EXPECT_EQ(order(), (std::vector<std::string>{"c.dwg", "a.dwg", "b.dwg"}));
    EXPECT_TRUE(key(VK_LEFT, {VK_CONTROL}, "bar"));    // already first
    EXPECT_EQ(order(), (std::vector<std::string>{"c.dwg", "a.dwg", "b.dwg"}));
    EXPECT_EQ(acDocManager->curDocument(), current);
}

TEST_F(Keys, ShiftArrowsAndTheWheelActivate) {
    openThree();
    EXPECT_TRUE(key(VK_UP, {VK_SHIFT}, "bar"));
    sim::host::pump();
    EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + "a.dwg");
    run("@wheel -1 over=bar");
    EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + "b.dwg");
    // Over the drawing the wheel belongs to the host.
    MSG wheel;
    wheel.hwnd = acedGetAcadFrame();
    wheel.message = WM_MOUSEWHEEL;
    wheel.wParam = WPARAM(std::uint16_t(-120)) << 16;
    RECT view;
    GetWindowRect(acedGetAcadDwgView(), &view);
    sim::Desktop::get().cursor = {view.left + 50, view.top + 50};
    EXPECT_FALSE(KvFilterMessage(&wheel));
}

TEST_F(Keys, CtrlAMarksAllAndCtrlCCopiesThePaths) {
    openThree();
    EXPECT_TRUE(key('A', {VK_CONTROL}, "bar"));
    EXPECT_EQ(marked(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(key('C', {VK_CONTROL}, "bar"));
    const auto text = sim::desk::clipboardText();
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, machine.drawings + "a.dwg\r\n" + machine.drawings + "b.dwg\r\n" + machine.drawings + "c.dwg");
    EXPECT_FALSE(key('C', {VK_CONTROL}, "drawing"));   // only over the bar
}

}  // namespace

namespace {

class Glyphs : public Clicks {
protected:
    void clickGlyph(int index, int glyph) {
        sim::desk::WindowManager::get().pump();
        const RECT r = tabs().GetItemRect(index);
        const RECT g = tabs().GlyphRect(r, glyph);
        run("@click " + std::to_string(index) + " at=" + std::to_string((g.left + g.right) / 2 - r.left) + "," +
            std::to_string((g.top + g.bottom) / 2 - r.top));
    }
};

TEST_F(Glyphs, CloseLinkAndMiddleButton) {
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg"}) sim::host::openDrawing(drawing(n));
    start();
    KvTabPanel().InsertLinkDrawing(drawing("x.dwg"));

    clickGlyph(0, 1);   // close: a.dwg goes, tab and all
    EXPECT_EQ(acDocManager->documentCount(), 2);
    ASSERT_EQ(tabs().GetItemCount(), 3);
    EXPECT_EQ(tabs().GetItem(0)->displayName, "b.dwg");

    clickGlyph(0, 3);   // link: b.dwg closes and keeps its tab as a link
    EXPECT_EQ(acDocManager->documentCount(), 1);
    ASSERT_EQ(tabs().GetItemCount(), 3);
    EXPECT_EQ(tabs().GetItem(0)->isLink, 1);

    run("@mclick 0");   // the middle button on a link does nothing
    EXPECT_EQ(tabs().GetItemCount(), 3);
    run("@mclick 1");   // on a drawing it closes it
    EXPECT_EQ(acDocManager->documentCount(), 0);
    EXPECT_EQ(tabs().GetItemCount(), 2);

    clickGlyph(1, 1);   // the close glyph of a link removes the tab
    EXPECT_EQ(tabs().GetItemCount(), 1);
}

// Records what the control reports instead of handling it.
struct RecordingController : KvTabStripController {
    std::vector<std::string> heard;
    void StripCreated() override { heard.push_back("created"); }
    void StripDestroying() override { heard.push_back("destroying"); }
    void ContextMenuRequested(int index, POINT) override { heard.push_back("context " + std::to_string(index)); }
    void ItemMenuRequested(CItemData* item, POINT) override { heard.push_back("item menu " + item->displayName); }
    void TemplatesMenuRequested(POINT) override { heard.push_back("templates"); }
    void MenuCommand(UINT id) override { heard.push_back("command " + std::to_string(id)); }
    void FindRequested() override { heard.push_back("find"); }
    void StartupIdle() override { heard.push_back("idle"); }
    void StopOperationRequested() override { heard.push_back("stop"); }
    void TabLeaving(const CItemData* item) override { heard.push_back("tab leaving " + item->displayName); }
    void DrawingLeaving(const CItemData* item) override { heard.push_back("drawing leaving " + item->displayName); }
    bool QueueHeadCurrent(AcApDocument*, CItemData*) override { return false; }
    void NextQueueItemDue() override { heard.push_back("next"); }
    void CloseMarkedRequested() override { heard.push_back("close marked"); }
};

TEST_F(Glyphs, TheControlReportsWhatItDoesNotHandleToItsController) {
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg"}) sim::host::openDrawing(drawing(n));
    start();
    KvTabPanel().InsertLinkDrawing(drawing("x.dwg"));
    KvTabStripController* menus = tabs().Controller();
    ASSERT_NE(menus, nullptr);
    RecordingController recorder;
    tabs().SetController(&recorder);

    run("@rclick 1");
    clickGlyph(1, 2);
    // Ids of the numbered ranges go past 16 bits and arrive whole.
    SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, 78301, 0);
    PostMessage(tabs().GetSafeHwnd(), AcKvUiTabCtrl::kMsgStartNextQueueItem, 0, 0);
    sim::desk::WindowManager::get().pump();
    KvTabPanel().DeleteDrawing(tabs().GetItem(3));
    tabs().MarkOnly({tabs().GetItem(0), tabs().GetItem(2)});
    clickGlyph(0, 1);
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"context 0", "item menu b.dwg", "command 78301", "next",
                                                        "tab leaving x.dwg", "close marked"}));
    EXPECT_EQ(acDocManager->documentCount(), 3);   // the recorder closed nothing

    // Without a controller the control only keeps its own input.
    tabs().SetController(nullptr);
    run("@rclick 1");
    clickGlyph(1, 2);
    SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, 78301, 0);
    EXPECT_EQ(recorder.heard.size(), 6u);
    EXPECT_EQ(tabs().GetItemCount(), 3);
    tabs().SetController(menus);
}

TEST_F(Glyphs, ClosingAModifiedDrawingAsksFirst) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    sim::host::typeLine("LINE 0,0 5,5 ");
    sim::Desktop::get().queueAnswer(IDCANCEL);
    clickGlyph(1, 1);
    EXPECT_EQ(acDocManager->documentCount(), 2);   // cancelled: still open
    EXPECT_EQ(tabs().GetItemCount(), 2);
}

}  // namespace

namespace {

TEST_F(Clicks, DraggingTheSelectedFirstTabPastTheMiddleOfTheThird) {
    for (const char* n : {"a.dwg", "b.dwg", "c.dwg", "d.dwg"}) sim::host::openDrawing(drawing(n));
    start();
    run("@click 0");
    run("@drag 0 2");
    std::vector<std::string> order;
    for (int i = 0; i < tabs().GetItemCount(); ++i) order.push_back(tabs().GetItem(i)->displayName);
    EXPECT_EQ(order, (std::vector<std::string>{"b.dwg", "c.dwg", "a.dwg", "d.dwg"}));
    EXPECT_EQ(tabs().GetCurSel(), 2);
    EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + "a.dwg");
    EXPECT_EQ(GetCapture(), nullptr);

    // Dragging to the left puts the tab in the place of the one it is dropped on.
    run("@drag 2 0");
    order.clear();
    for (int i = 0; i < tabs().GetItemCount(); ++i) order.push_back(tabs().GetItem(i)->displayName);
    EXPECT_EQ(order, (std::vector<std::string>{"a.dwg", "b.dwg", "c.dwg", "d.dwg"}));
    EXPECT_EQ(tabs().GetCurSel(), 0);
}

}  // namespace

namespace {

TEST_F(Clicks, FavouritesTimerWaitsForAnIdleDrawing) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    static int opened = 0;
    opened = 0;
    menus().openFavourites = [] { ++opened; };
    sim::host::typeLine("DELAY 1000");   // busy for a second
    sim::Desktop::get().advance(300);
    EXPECT_EQ(opened, 0);
    sim::Desktop::get().advance(1000);
    sim::host::pump();
    sim::Desktop::get().advance(200);
    EXPECT_EQ(opened, 1);
    sim::Desktop::get().advance(500);
    EXPECT_EQ(opened, 1);   // once
}

TEST_F(Clicks, NumberedCommandsPickFromTheirLists) {
    sim::host::openDrawing(drawing("a.dwg"));
    start();
    std::vector<std::string> commands;
    sim::host::setEventListener([&](const std::string& name, const std::string& arg) {
        if (name == "commandWillStart") commands.push_back(arg);
    });
    menus().menuDocument = acDocManager->curDocument();
    menus().viewNames = {"North"};
    HMENU user = CreatePopupMenu();
    menus().userMenu.LoadText(user, "<menu><z name=\"Zoom\">ZOOM E</z></menu>");
    DestroyMenu(user);
    SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, 77800, 0);
    SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, 77801, 0);   // outside the list: dropped
    SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, 500, 0);
    sim::host::pump();
    sim::host::setEventListener(nullptr);
    EXPECT_EQ(commands, (std::vector<std::string>{"-VIEW", "ZOOM"})) << transcript;
}

}  // namespace

#include "win/imm.h"

namespace {

TEST_F(Keys, CompositionOverTheBarBecomesAPlainCharacter) {
    App().englishIme = true;
    openThree();
    App().englishIme = true;
    RECT r;
    GetWindowRect(tabs().GetSafeHwnd(), &r);
    sim::Desktop::get().cursor = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MSG start;
    start.hwnd = acedGetAcadFrame();
    start.message = WM_IME_STARTCOMPOSITION;
    EXPECT_TRUE(KvFilterMessage(&start));
    MSG up = start;
    up.message = WM_KEYUP;
    up.wParam = 'A';
    EXPECT_TRUE(KvFilterMessage(&up));
    EXPECT_EQ(sim::desk::WindowManager::get().pendingMessages(), 1u);   // the WM_CHAR
    EXPECT_FALSE(KvFilterMessage(&up));                                 // once
    App().englishIme = false;
    EXPECT_FALSE(KvFilterMessage(&start));
}

}  // namespace

#include <sstream>

namespace {

TEST_F(Keys, FindDialogSelectsTheMatchingTabs) {
    for (const char* n : {"plan.dwg", "section.dwg", "plot.dwg"}) sim::host::openDrawing(drawing(n));
    start();
    sim::desk::registerDialogVerbs(runner);
    std::istringstream script(
        "@key Ctrl+F over=bar\n"
        "@dialog set 1001 pl*.dwg\n"
        "@dialog press OK\n");
    EXPECT_TRUE(runner.run(script)) << transcript;
    EXPECT_EQ(tabs().GetCurSel(), 0);
    EXPECT_EQ(marked(), (std::vector<int>{0, 2}));
    EXPECT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + "plan.dwg");

    // OK with the offered text is a Cancel.
    std::istringstream unchanged("@key Ctrl+F over=bar\n@dialog press OK\n");
    tabs().GetItem(2)->marked = 0;
    EXPECT_TRUE(runner.run(unchanged));
    EXPECT_EQ(marked(), (std::vector<int>{0}));
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
}

}  // namespace

namespace {

TEST_F(Clicks, DraggingPastTheEndOfTheRowScrollsIt) {
    for (int i = 0; i < 3; ++i) sim::host::openDrawing(drawing("d" + std::to_string(i) + ".dwg"));
    start();
    for (int i = 0; i < 40; ++i) KvTabPanel().InsertLinkDrawing(machine.drawings + "link" + std::to_string(i) + ".dwg");
    sim::desk::WindowManager::get().pump();
    run("@click 0");
    HWND tab = tabs().GetSafeHwnd();
    const RECT first = tabs().GetItemRect(0);
    RECT client;
    GetClientRect(tab, &client);
    auto at = [](LONG x, LONG y) { return LPARAM((y << 16) | (x & 0xFFFF)); };
    sim::Desktop::get().dragComing = true;
    SendMessage(tab, WM_LBUTTONDOWN, MK_LBUTTON, at(first.left + 5, first.top + 5));
    ASSERT_EQ(tabs().dragging, 1);
    SendMessage(tab, WM_MOUSEMOVE, MK_LBUTTON, at(client.right + 5, first.top + 5));
    SendMessage(tab, WM_MOUSEMOVE, MK_LBUTTON, at(client.right + 5, first.top + 5));
    EXPECT_LT(tabs().GetItemRect(0).left, first.left);   // the row moved by two tabs
    SendMessage(tab, WM_LBUTTONUP, 0, at(client.right + 5, first.top + 5));
    EXPECT_EQ(tabs().dragging, 0);
}

}  // namespace

namespace {

TEST_F(Glyphs, AGlyphShowsPressedWhileTheButtonIsHeld) {
    sim::host::openDrawing(drawing("a.dwg"));
    sim::host::openDrawing(drawing("b.dwg"));
    start();
    sim::desk::WindowManager::get().pump();
    HWND tab = tabs().GetSafeHwnd();
    const RECT g = tabs().GlyphRect(tabs().GetItemRect(0), 1);
    const LPARAM at = LPARAM((((g.top + g.bottom) / 2) << 16) | ((g.left + g.right) / 2));
    SendMessage(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
    HDC dc = sim::desk::renderWindow(tab);
    EXPECT_EQ(GetPixel(dc, g.left, g.top), GetSysColor(COLOR_BTNSHADOW));   // sunken
    DeleteDC(dc);
    EXPECT_EQ(acDocManager->documentCount(), 2);   // nothing happens before the button comes up
    SendMessage(tab, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(acDocManager->documentCount(), 2);   // the close waits for the host's loop
    sim::host::idle();
    EXPECT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(tabs().pressedGlyph, 0);
}

}  // namespace
