// Common dialogs answered from the script, shell requests, the clipboard and popup menus.
#include <cstring>
#include <filesystem>
#include <fstream>
#include "dialogs/dialog_fixture.h"
#include "gfx/bitmap.h"
#include "win/clipboard.h"
#include "win/commdlg.h"
#include "win/menu.h"
#include "win/shell.h"

using namespace dlgtest;
namespace fs = std::filesystem;

namespace {

class CommonTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        folder = fs::temp_directory_path() / ("kv_commdlg_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                              "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
        for (const char* n : {"a.dwg", "bb.dwg", "c.dwg"}) std::ofstream(folder / n) << "x";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
        DialogFixture::TearDown();
    }
    std::string path(const char* name) const { return (folder / name).string(); }
    OPENFILENAME ofn(char* buffer, DWORD size, DWORD flags) {
        OPENFILENAME o;
        o.lpstrFilter = std::string("Drawing files\0*.dwg\0\0", 22);
        o.lpstrFile = buffer;
        o.nMaxFile = size;
        o.lpstrInitialDir = folder.string();
        o.Flags = flags;
        return o;
    }
    // An owner window that keeps the commands it receives.
    HWND commandSink() {
        CREATEWINDOW c;
        c.className = "KvWindow";
        c.proc = [this](HWND, UINT m, WPARAM wp, LPARAM) -> LRESULT {
            if (m == WM_COMMAND) commands.push_back(wp);
            return 0;
        };
        return CreateWindowEx(c);
    }
    fs::path folder;
    std::vector<WPARAM> commands;
};

constexpr DWORD kMulti = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;

}  // namespace

TEST_F(CommonTest, MultiSelectWritesFolderThenNamesDoubleNulEnded) {
    std::vector<char> buf(5000, '\x7f');
    auto o = ofn(buf.data(), 5000, kMulti);
    EXPECT_TRUE(run("@files \"" + path("a.dwg") + "\" \"" + path("bb.dwg") + "\" \"" + path("c.dwg") + "\""));
    ASSERT_TRUE(GetOpenFileName(&o));
    const std::string expected = folder.string() + '\0' + "a.dwg" + '\0' + "bb.dwg" + '\0' + "c.dwg" + '\0' + '\0';
    EXPECT_EQ(std::string(buf.data(), expected.size()), expected);
    EXPECT_EQ(buf[expected.size()], '\x7f');   // nothing past the answer
    EXPECT_EQ(o.nFileOffset, folder.string().size() + 1);
    ASSERT_EQ(sim::desk::fileDialogs().size(), 1u);
    EXPECT_EQ(sim::desk::fileDialogs()[0].initialDir, folder.string());
    EXPECT_EQ(sim::desk::fileDialogs()[0].filter, std::string("Drawing files\0*.dwg\0\0", 22));

    // One file chosen in a multi-select dialog: its full path, double-NUL ended.
    sim::desk::queueFiles({path("bb.dwg")});
    ASSERT_TRUE(GetOpenFileName(&o));
    const std::string one = path("bb.dwg") + '\0' + '\0';
    EXPECT_EQ(std::string(buf.data(), one.size()), one);
    EXPECT_EQ(std::string(buf.data() + o.nFileOffset), "bb.dwg");
    EXPECT_EQ(std::string(buf.data() + o.nFileExtension), "dwg");
}

TEST_F(CommonTest, TooSmallBufferFailsWithoutOverrunAndTellsTheSizeNeeded) {
    std::vector<char> buf(64, '\x7f');
    auto o = ofn(buf.data(), 10, kMulti);
    sim::desk::queueFiles({path("a.dwg"), path("bb.dwg")});
    EXPECT_FALSE(GetOpenFileName(&o));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    WORD need = 0;
    std::memcpy(&need, buf.data(), 2);
    EXPECT_EQ(need, folder.string().size() + 1 + 6 + 7 + 1);
    for (size_t i = 10; i < buf.size(); ++i) ASSERT_EQ(buf[i], '\x7f') << i;
}

TEST_F(CommonTest, UnansweredOrImpossibleAnswersCancel) {
    std::vector<char> buf(300, 0);
    auto o = ofn(buf.data(), 300, OFN_FILEMUSTEXIST);
    EXPECT_FALSE(GetOpenFileName(&o));   // nothing queued
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    sim::desk::queueFiles({path("a.dwg"), path("c.dwg")});   // two files for a single-file dialog
    EXPECT_FALSE(GetOpenFileName(&o));
    sim::desk::queueFiles({path("missing.dwg")});
    EXPECT_FALSE(GetOpenFileName(&o));
    auto multi = ofn(buf.data(), 300, kMulti);
    sim::desk::queueFiles({path("a.dwg"), "/tmp/elsewhere.dwg"});   // not one folder
    EXPECT_FALSE(GetOpenFileName(&multi));
    run("@files");   // an explicit Cancel
    sim::desk::queueFiles({path("a.dwg")});
    EXPECT_FALSE(GetOpenFileName(&o));
    EXPECT_TRUE(GetOpenFileName(&o));
    EXPECT_EQ(std::string(buf.data()), path("a.dwg"));
}

TEST_F(CommonTest, SaveDialogAddsTheExtensionAndAsksBeforeReplacing) {
    std::vector<char> buf(300, 0);
    auto o = ofn(buf.data(), 300, OFN_OVERWRITEPROMPT);
    o.lpstrDefExt = "dwg";
    sim::desk::queueFiles({path("new")});
    ASSERT_TRUE(GetSaveFileName(&o));
    EXPECT_EQ(std::string(buf.data()), path("new.dwg"));
    sim::desk::queueFiles({path("a.dwg")});
    EXPECT_FALSE(GetSaveFileName(&o));   // the question's default is No
    run("@answer Yes");
    sim::desk::queueFiles({path("a.dwg")});
    EXPECT_TRUE(GetSaveFileName(&o));
}

TEST_F(CommonTest, FolderFontAndColourPickers) {
    BROWSEINFO bi;
    bi.lpszTitle = "Please select the folder.";
    bi.startFolder = "/start";
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
    run("@folder \"" + folder.string() + "\"");
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolder(&bi);
    ASSERT_NE(pidl, nullptr);
    std::string chosen;
    EXPECT_TRUE(SHGetPathFromIDList(pidl, &chosen));
    EXPECT_EQ(chosen, folder.string());
    CoTaskMemFree(pidl);
    run("@folder /no/such/folder");
    EXPECT_EQ(SHBrowseForFolder(&bi), nullptr);
    ASSERT_EQ(sim::desk::folderDialogs().size(), 3u);
    EXPECT_EQ(sim::desk::folderDialogs()[1].title, "Please select the folder.");
    EXPECT_EQ(sim::desk::folderDialogs()[1].startFolder, "/start");

    LOGFONT lf;
    lf.lfEscapement = 2700;
    CHOOSEFONT cf;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    EXPECT_FALSE(ChooseFont(&cf));
    EXPECT_TRUE(run("@font Verdana 12 bold color=255,0,0"));
    ASSERT_TRUE(ChooseFont(&cf));
    EXPECT_EQ(lf.lfFaceName, "Verdana");
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfEscapement, 2700);   // kept from the initial record
    EXPECT_EQ(cf.iPointSize, 120);
    EXPECT_EQ(cf.rgbColors, RGB(255, 0, 0));

    CHOOSECOLOR cc;
    EXPECT_FALSE(ChooseColor(&cc));
    EXPECT_TRUE(run("@color #102030"));
    ASSERT_TRUE(ChooseColor(&cc));
    EXPECT_EQ(cc.rgbResult, RGB(0x10, 0x20, 0x30));
    EXPECT_FALSE(run("@color 1 2"));
}

TEST_F(CommonTest, ShellRequestsAreRecordedAndPrinted) {
    EXPECT_GT(ShellExecute(nullptr, "explore", folder.string(), "", "", SW_SHOWNORMAL), 32);
    EXPECT_LE(ShellExecute(nullptr, "open", "", "", "", SW_SHOWNORMAL), 32);
    ASSERT_EQ(sim::desk::shellRequests().size(), 1u);
    EXPECT_EQ(sim::desk::shellRequests()[0].verb, "explore");
    EXPECT_NE(transcript.find("[shell] explore " + folder.string() + "\n"), std::string::npos);
}

TEST_F(CommonTest, ClipboardRoundTripNeedsItOpen) {
    EXPECT_FALSE(SetClipboardData(CF_TEXT, "lost"));
    HWND a = commandSink(), b = commandSink();
    ASSERT_TRUE(OpenClipboard(a));
    EXPECT_FALSE(OpenClipboard(b));   // held by a
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_TRUE(SetClipboardData(CF_TEXT, "C:/d/a.dwg\r\nC:/d/b.dwg"));
    EXPECT_TRUE(CloseClipboard());
    std::string text;
    EXPECT_FALSE(GetClipboardData(CF_UNICODETEXT, &text));   // closed
    ASSERT_TRUE(OpenClipboard(b));
    EXPECT_TRUE(GetClipboardData(CF_UNICODETEXT, &text));
    CloseClipboard();
    EXPECT_EQ(text, "C:/d/a.dwg\r\nC:/d/b.dwg");
    transcript.clear();
    run("@clipboard");
    EXPECT_EQ(transcript, "[clipboard]\n  C:/d/a.dwg\n  C:/d/b.dwg\n");
}

TEST_F(CommonTest, TrackedMenuTakesTheQueuedPick) {
    HWND owner = commandSink();
    const auto build = [] {
        HMENU m = CreatePopupMenu();
        AppendMenu(m, MF_STRING, 10004, "&1 \"plan\" Close");
        HMENU layouts = CreatePopupMenu();
        AppendMenu(layouts, MF_STRING, 77700, "&1 Model");
        AppendMenu(layouts, MF_STRING, 77701, "&2 Layout1");
        HBITMAP thumb = KvCreateBitmap(16, 12, nullptr);
        InsertMenu(m, 1, MF_BYPOSITION | MF_POPUP | MF_BITMAP, UINT_PTR(layouts), thumb);
        AppendMenu(m, MF_SEPARATOR, 0, "");
        AppendMenu(m, MF_STRING | MF_GRAYED, 10003, "&3 Save and Close All");
        AppendMenu(m, MF_STRING, 10019, "&2 Save All");
        SetMenuItemBitmaps(m, 10004, MF_BYCOMMAND, thumb, thumb);
        return m;
    };
    // A pick by the text without its number, arriving as a posted command.
    run("@menu \"Save All\"");
    HMENU m = build();
    EXPECT_TRUE(TrackPopupMenu(m, TPM_LEFTALIGN, 10, 20, owner));
    DestroyMenu(m);
    EXPECT_TRUE(commands.empty());   // posted, not sent
    sim::desk::WindowManager::get().pump();
    EXPECT_EQ(commands, std::vector<WPARAM>{10019});

    // A submenu whose item is a bitmap is named by position; the id is returned whole.
    run("@menu \"#1>Layout1\"");
    m = build();
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 0, 0, owner), 77701);
    DestroyMenu(m);
    sim::desk::WindowManager::get().pump();
    EXPECT_EQ(commands.size(), 1u);

    // The last tracked menu stays printable after it is destroyed.
    transcript.clear();
    run("@menu-dump");
    EXPECT_EQ(transcript,
              "&1 \"plan\" Close  [10004] with-bitmap\n[bitmap 16x12]\n  &1 Model  [77700]\n  &2 Layout1  [77701]\n---\n"
              "&3 Save and Close All  [10003] grayed\n&2 Save All  [10019]\n");

    // Nothing queued, a greyed entry or a missing one: dismissed, no command.
    for (const char* pick : {"", "Save and Close All", "Nothing>There"}) {
        if (*pick) sim::desk::queueMenuPick(pick);
        m = build();
        EXPECT_FALSE(TrackPopupMenu(m, 0, 0, 0, owner)) << pick;
        EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 0, 0, owner), 0);
        DestroyMenu(m);
    }
    sim::desk::WindowManager::get().pump();
    EXPECT_EQ(commands.size(), 1u);
}
