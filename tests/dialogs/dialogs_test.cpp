// Dialogs from templates: layout in dialog units, the modal loop driven by the script, modeless
// dialogs, the resource stack, hostile templates and menus from resources.
#include <strings.h>
#include <cmath>
#include <sstream>
#include "arx/docman.h"
#include "dialogs/dialog_fixture.h"
#include "gfx/canvas.h"
#include "sim/desk/dialog_template.h"
#include "sim/pe/pe_resources.h"
#include "win/menu.h"
#include "win/monitor.h"

using namespace dlgtest;

namespace {

std::vector<std::uint8_t> templateBytes(HMODULE module, std::uint16_t type, int id) {
    auto res = sim::pe::moduleResources(module);
    auto bytes = res ? res->find(type, std::uint16_t(id)) : std::nullopt;
    return bytes ? std::vector<std::uint8_t>(bytes->begin(), bytes->end()) : std::vector<std::uint8_t>{};
}

}  // namespace

TEST_F(DialogFixture, TemplateLaysOutControlsInDialogUnitsOfItsFont) {
    HWND dlg = CreateDialogParam(module, 100, nullptr, nullptr, 0);
    ASSERT_NE(dlg, nullptr);
    // Base units from the dialog font, as the dialog manager takes them.
    HFONT font = reinterpret_cast<HFONT>(SendMessage(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    const SIZE ext = KvGetTextExtent(nullptr, font, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    TEXTMETRIC tm;
    GetTextMetrics(nullptr, font, &tm);
    const double bx = double((ext.cx / 26 + 1) / 2), by = double(tm.tmHeight);
    const auto px = [&](int u) { return LONG(std::lround(u * bx / 4)); };
    const auto py = [&](int u) { return LONG(std::lround(u * by / 8)); };

    const RECT edit = clientRect(dlg, GetDlgItem(dlg, 1001));
    EXPECT_EQ(edit.left, px(55));
    EXPECT_EQ(edit.top, py(7));
    EXPECT_EQ(edit.right, px(55) + px(150));
    EXPECT_EQ(edit.bottom, py(7) + py(14));
    RECT mapped{55, 7, 205, 21};
    MapDialogRect(dlg, &mapped);
    EXPECT_EQ(mapped.left, edit.left);
    EXPECT_EQ(mapped.top, edit.top);

    // The client area is the template's size; the caption lies outside it; DS_CENTER centres it.
    RECT client, window;
    GetClientRect(dlg, &client);
    GetWindowRect(dlg, &window);
    EXPECT_EQ(client.right, px(280));
    EXPECT_EQ(client.bottom, py(200));
    EXPECT_GT(window.Height(), client.bottom);
    const RECT screen = sim::desk::monitors().front().rect;
    EXPECT_NEAR((window.left + window.right) / 2, (screen.left + screen.right) / 2, 1);

    // Class atoms and names, ids, texts with quotes.
    EXPECT_EQ(classOf(GetDlgItem(dlg, 1000)), "Static");
    EXPECT_EQ(classOf(GetDlgItem(dlg, 1001)), "Edit");
    EXPECT_EQ(classOf(GetDlgItem(dlg, IDOK)), "Button");
    EXPECT_EQ(classOf(GetDlgItem(dlg, 1006)), "ListBox");
    EXPECT_EQ(classOf(GetDlgItem(dlg, 1007)), "ComboBox");
    EXPECT_EQ(classOf(GetDlgItem(dlg, 1011)), "SysListView32");
    // Created by its name whoever implements it (resource compilers write names in capitals).
    EXPECT_TRUE(strcasecmp(classOf(GetDlgItem(dlg, 1015)).c_str(), "SysTabControl32") == 0);
    EXPECT_EQ(GetDlgItemText(dlg, 1013), "(eq: \"a*.dwg\")");
    EXPECT_EQ(GetWindowText(dlg), "Find");
    EXPECT_EQ(GetWindowLongPtr(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_DEFPUSHBUTTON));
    // A drop-down list is one line high whatever the template's list height.
    EXPECT_LT(clientRect(dlg, GetDlgItem(dlg, 1007)).Height(), py(30));
    // The template had no WS_VISIBLE: a modeless dialog stays hidden until shown.
    EXPECT_FALSE(IsWindowVisible(dlg));
    DestroyWindow(dlg);
}

TEST_F(DialogFixture, OlderTemplateFormatAndOwnerRelativePlacement) {
    CREATEWINDOW owner;
    owner.className = "KvWindow";
    owner.style = WS_VISIBLE;
    owner.rect = {200, 100, 800, 600};
    owner.proc = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
    HWND ownerWnd = CreateWindowEx(owner);
    HWND dlg = CreateDialogParam(module, 101, ownerWnd, nullptr, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(GetWindowText(dlg), "Old");
    ASSERT_NE(GetDlgItem(dlg, 2001), nullptr);
    EXPECT_EQ(classOf(GetDlgItem(dlg, 2001)), "Edit");
    RECT r;
    GetWindowRect(dlg, &r);
    EXPECT_GT(r.left, 200);   // 10 dialog units right of the owner's client origin
    EXPECT_GT(r.top, 100);
}

TEST_F(DialogFixture, ModalLoopTakesTheScriptLinesThatFollowUntilItEnds) {
    Recorder rec;
    lines = {"@dialog set 1001 a*.dwg", "@dialog check 1002 on", "@dialog press OK", "@print after"};
    const INT_PTR r = DialogBoxParam(module, 100, nullptr, rec.proc(), 0);
    EXPECT_EQ(r, IDOK);
    ASSERT_EQ(rec.okTexts.size(), 1u);
    EXPECT_EQ(rec.okTexts[0], "a*.dwg");
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1001, EN_CHANGE)), 1);
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED)), 1);
    // The line after the one that closed the dialog is left for the script.
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front(), "@print after");
    EXPECT_NE(transcript.find("[dialog] Find -> OK"), std::string::npos);
    EXPECT_EQ(sim::desk::topDialog(), nullptr);
}

TEST_F(DialogFixture, ModalDialogWithNothingQueuedIsCancelledEvenWhenItIgnoresCancel) {
    Recorder rec;
    EXPECT_EQ(DialogBoxParam(module, 100, nullptr, rec.proc(), 0), IDCANCEL);
    EXPECT_EQ(rec.count(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)), 1);

    Recorder stubborn;
    stubborn.endOnCancel = false;
    EXPECT_EQ(DialogBoxParam(module, 100, nullptr, stubborn.proc(), 0), IDCANCEL);
    EXPECT_EQ(DialogBoxParam(module, 999, nullptr, stubborn.proc(), 0), -1);   // no such template
}

TEST_F(DialogFixture, ScriptLineOpeningTheDialogReturnsWhenItCloses) {
    Recorder rec;
    runner.addVerb("open-find", [&](sim::script::Runner&, const sim::script::Args&) {
        const INT_PTR r = DialogBoxParam(module, 100, nullptr, rec.proc(), 0);
        sim::Desktop::get().print("result " + std::to_string(r) + "\n");
    }, "@open-find");
    sim::desk::setScriptFeed(nullptr);   // the runner's own feed this time
    std::istringstream script("@open-find\n@dialog set 1001 b.dwg\n@dialog press OK\n@print done\n");
    EXPECT_TRUE(runner.run(script));
    const size_t closed = transcript.find("[dialog] Find -> OK"), result = transcript.find("result 1"),
                 done = transcript.find("done");
    ASSERT_NE(done, std::string::npos);
    EXPECT_LT(closed, result);
    EXPECT_LT(result, done);
    EXPECT_EQ(rec.okTexts, std::vector<std::string>{"b.dwg"});

    // @cancel-dialog and a script that ends inside a dialog both cancel it.
    std::istringstream cancelled("@open-find\n@cancel-dialog\n@open-find\n");
    transcript.clear();
    runner.run(cancelled);
    EXPECT_EQ(transcript, "[dialog] Find -> Cancel\nresult 2\n[dialog] Find -> Cancel\nresult 2\n");
}

TEST_F(DialogFixture, ModelessDialogTakesActionsAndRefusesDisabledButtons) {
    Recorder rec;
    HWND dlg = CreateDialogParam(module, 103, nullptr, rec.proc(), 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(IsWindowVisible(dlg));   // WS_VISIBLE in the template
    EXPECT_EQ(sim::desk::topDialog(), dlg);
    EXPECT_FALSE(run("@dialog press 300"));
    EXPECT_NE(transcript.find("control 300 is disabled"), std::string::npos);
    EXPECT_FALSE(run("@dialog press 4242"));
    transcript.clear();
    EXPECT_TRUE(run("@dialog dump"));
    EXPECT_EQ(transcript, "dialog 103 \"Batch Scripts\"\n  1 Button \"&Close\" focus\n  300 Button \"Start\" disabled\n");
    // EndDialog hides a modeless dialog; it is no longer the one the script acts on.
    EXPECT_TRUE(run("@dialog press OK"));
    EXPECT_FALSE(IsWindowVisible(dlg));
    EXPECT_TRUE(IsWindow(dlg));
    EXPECT_EQ(sim::desk::topDialog(), nullptr);
    EXPECT_FALSE(run("@dialog dump"));
}

TEST_F(DialogFixture, ModelessDialogShownAgainIsReachedAgain) {
    // A modeless dialog that only hides itself on Cancel, as the plug-in's do.
    HWND dlg = CreateDialogParam(module, 103, nullptr, [](HWND d, UINT msg, WPARAM wp, LPARAM) -> INT_PTR {
        if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) ShowWindow(d, SW_HIDE);
        return msg == WM_COMMAND;
    }, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(run("@cancel-dialog"));
    EXPECT_FALSE(IsWindowVisible(dlg));
    ShowWindow(dlg, SW_SHOW);
    EXPECT_EQ(sim::desk::topDialog(), dlg);
    EXPECT_TRUE(run("@dialog dump"));

    // One ended with EndDialog and shown again is the script's dialog again too.
    EXPECT_TRUE(EndDialog(dlg, IDOK));
    EXPECT_FALSE(IsWindowVisible(dlg));
    ShowWindow(dlg, SW_SHOW);
    EXPECT_EQ(sim::desk::topDialog(), dlg);
}

TEST_F(DialogFixture, ChildPageControlsAreReachedThroughTheirFrame) {
    HWND frame = CreateDialogParam(module, 103, nullptr, nullptr, 0);
    HWND page = CreateDialogParam(module, 102, frame, nullptr, 0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(GetParent(page), frame);
    ShowWindow(page, SW_SHOW);
    EXPECT_EQ(sim::desk::topDialog(), frame);   // pages are not dialogs of their own to the script
    EXPECT_TRUE(run("@dialog check 3001 on"));
    EXPECT_EQ(IsDlgButtonChecked(page, 3001), BST_CHECKED);
}

TEST_F(DialogFixture, TemplateComesFromTheTopOfTheResourceStack) {
    acDocManager->pushResourceHandle(module);
    HWND dlg = CreateDialogParam(nullptr, 101, nullptr, nullptr, 0);
    acDocManager->popResourceHandle();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(GetWindowText(dlg), "Old");
    EXPECT_EQ(CreateDialogParam(nullptr, 101, nullptr, nullptr, 0), nullptr);
}

TEST_F(DialogFixture, HostileTemplatesNeverReadOutsideTheirBytes) {
    for (int id : {100, 101, 103}) {
        const auto good = templateBytes(module, sim::pe::kRtDialog, id);
        ASSERT_FALSE(good.empty());
        auto full = sim::desk::parseDialogTemplate(good);
        ASSERT_TRUE(full.has_value()) << id;
        // Every truncation either fails or yields a template no larger than the whole one.
        for (size_t n = 0; n < good.size(); ++n) {
            std::vector<std::uint8_t> cut(good.begin(), good.begin() + long(n));
            auto t = sim::desk::parseDialogTemplate(cut);
            if (t) {
                EXPECT_LE(t->items.size(), full->items.size());
            }
        }
    }
    auto good = templateBytes(module, sim::pe::kRtDialog, 100);
    // An item count far beyond the bytes is refused at once.
    good[16] = 0xFF;
    good[17] = 0xFF;
    EXPECT_FALSE(sim::desk::parseDialogTemplate(good).has_value());
    // A title without its terminating NUL.
    std::vector<std::uint8_t> open = {1, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 'A', 0, 'B', 0};
    EXPECT_FALSE(sim::desk::parseDialogTemplate(open).has_value());

    for (int id : {200, 201}) {
        const auto menu = templateBytes(module, sim::pe::kRtMenu, id);
        ASSERT_TRUE(sim::desk::parseMenuTemplate(menu).has_value()) << id;
        for (size_t n = 0; n < menu.size(); ++n)
            sim::desk::parseMenuTemplate(std::span<const std::uint8_t>(menu.data(), n));
    }
    // Popups nested past the limit.
    std::vector<std::uint8_t> deep = {0, 0, 0, 0};
    for (int i = 0; i < 40; ++i) deep.insert(deep.end(), {0x10, 0, 'P', 0, 0, 0});
    EXPECT_FALSE(sim::desk::parseMenuTemplate(deep).has_value());
}

TEST_F(DialogFixture, MenusFromResourcesKeepTheirStructure) {
    HMENU bar = LoadMenu(module, 200);
    ASSERT_NE(bar, nullptr);
    HMENU popup = GetSubMenu(bar, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemCount(popup), 4);
    EXPECT_EQ(GetMenuItemID(popup, 0), 40001u);
    EXPECT_TRUE(GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(popup, 40002, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(popup, 40003, MF_BYCOMMAND) & MF_CHECKED);

    HMENU ex = LoadMenu(module, 201);
    ASSERT_NE(ex, nullptr);
    HMENU exPopup = GetSubMenu(ex, 0);
    EXPECT_EQ(GetMenuItemCount(exPopup), 3);
    EXPECT_TRUE(GetMenuState(exPopup, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(exPopup, 40011, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_EQ(LoadMenu(module, 999), nullptr);
}
