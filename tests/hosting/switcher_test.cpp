// The Ctrl+Tab document switcher: its rules for sizes, version names and icons, and the dialog
// driven by keys through the simulated host.
#include "core/wiring/filter.h"
#include "doctrack/docdata.h"
#include "hosting/switcher.h"
#include "res/resource.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"
#include "hosting/features.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"

namespace {

constexpr std::uint64_t KB = 1024, MB = KB * 1024, GB = MB * 1024;

TEST(SwitcherRules, ByteSizesGroupDigitsAndTruncateHundredths) {
    EXPECT_EQ(KvFormatByteSize(0), "0 B");
    EXPECT_EQ(KvFormatByteSize(512), "512 B");
    EXPECT_EQ(KvFormatByteSize(1023), "1,023 B");
    EXPECT_EQ(KvFormatByteSize(1024), "1 KB");
    EXPECT_EQ(KvFormatByteSize(1536), "1.50 KB");
    EXPECT_EQ(KvFormatByteSize(2047), "1.99 KB");         // truncated, not rounded up
    EXPECT_EQ(KvFormatByteSize(1034), "1 KB");            // 0.009 KB truncates to ".00", which goes
    EXPECT_EQ(KvFormatByteSize(MB - 1), "1,023.99 KB");
    EXPECT_EQ(KvFormatByteSize(2 * MB), "2 MB");
    EXPECT_EQ(KvFormatByteSize(MB + MB / 2), "1.50 MB");
    EXPECT_EQ(KvFormatByteSize(GB - 1), "1,023.99 MB");
    // Beyond 32 bits the sizes stay whole.
    EXPECT_EQ(KvFormatByteSize(5 * GB + GB / 4), "5.25 GB");
    EXPECT_EQ(KvFormatByteSize(std::uint64_t(1) << 47), "131,072 GB");
    EXPECT_EQ(KvFormatByteSize(~std::uint64_t(0)), "17,179,869,183.99 GB");
}

TEST(SwitcherRules, StatusLineShowsMemoryAboveFourGigabytes) {
    MEMORYSTATUSEX m;
    m.ullTotalPhys = 16 * GB;
    m.ullAvailPhys = 6 * GB + GB / 2;
    m.ullAvailVirtual = (std::uint64_t(1) << 47) - 3 * GB;
    m.dwMemoryLoad = 59;
    EXPECT_EQ(KvSwitcherStatusLine(3, m),
              "3 Item(s), Total RAM: 16 GB, free: 6.50 GB, virtual free: 131,069 GB, load=59%\n");
}

TEST(SwitcherRules, VersionNames) {
    EXPECT_EQ(KvDwgVersionName(0), "(DHL_MC0_0)");
    EXPECT_EQ(KvDwgVersionName(9), "AutoCAD 2.5(DHL_1002)");
    EXPECT_EQ(KvDwgVersionName(16), "R11,R12(DHL_1009)");
    EXPECT_EQ(KvDwgVersionName(AcDb::kDHL_1027), "2013 final");
    EXPECT_EQ(KvDwgVersionName(AcDb::kDHL_1032), "2018 final");
    EXPECT_EQ(KvDwgVersionName(AcDb::kDHL_Unknown), "(Unknown)");
    EXPECT_EQ(KvDwgVersionName(AcDb::kDHL_Max), "Max");
    EXPECT_EQ(KvDwgVersionName(34), "future version???");
    EXPECT_EQ(KvDwgVersionName(-1), "future version???");
}

TEST(SwitcherRules, IconsByDiskFormatKindAndFileType) {
    using K = KvSwitcherTab;
    const std::pair<int, int> drawings[] = {{2, 2}, {4, 3}, {8, 4}, {12, 5}, {24, 6}, {36, 7}, {48, 8}, {60, 9},
                                            {64, 10}, {-1, 11}, {1, 11}, {13, 11}, {65, 11}, {14, 0}, {7, 0}};
    for (auto [format, icon] : drawings) EXPECT_EQ(KvSwitcherIconIndex(K::Drawing, kFileTypeDwg, format, 9), icon) << format;
    EXPECT_EQ(KvSwitcherIconIndex(K::Drawing, kFileTypeDxf, 60, 9), 11);
    EXPECT_EQ(KvSwitcherIconIndex(K::Window, kFileTypeOther, 60, -1), 12);
    EXPECT_EQ(KvSwitcherIconIndex(K::Link, kFileTypeDwg, 0, 9), 9);
    EXPECT_EQ(KvSwitcherIconIndex(K::Link, kFileTypeDxf, 0, 9), 11);
    EXPECT_EQ(KvSwitcherIconIndex(K::Link, kFileTypeDwg, 0, -1), 0);   // not known: no picture out of range
    EXPECT_EQ(KvSwitcherIconIndex(K::Link, kFileTypeDwg, 0, 40), 0);
}

// ---- The dialog, through the simulated host ---------------------------------------------------------

class Switcher : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
        // Between lines the host's loop runs what the keys sent to the command line.
        runner.afterLine = [](sim::script::Runner&) { sim::host::idle(); };
    }
    std::string drawing(const std::string& name, int saves = 0, int lines = 0) {
        sim::dwg::Drawing d;
        d.numberOfSaves = saves;
        d.originalVersion = AcDb::kDHL_1021;
        d.lastSavedAsVersion = AcDb::kDHL_1024;
        for (int i = 0; i < lines; ++i) d.lines.push_back({{0, 0, 0}, {double(i + 1), 1, 0}});
        d.extents = sim::dwg::extentsOf(d.lines);
        const std::string path = machine.drawings + name;
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2010, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    // Opens the drawings and starts the plug-in with the first one current (row 0).
    void openAndStart(std::initializer_list<const char*> names) {
        for (const char* n : names) sim::host::openDrawing(drawing(n));
        start();
        run("@click 0");
        ASSERT_EQ(acDocManager->curDocument()->fileName(), machine.drawings + *names.begin());
    }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << line << "\n" << transcript; }
    AcKvUiTabCtrlDialog& dialog() { return *KvSwitcher(); }
    std::string text(int id) { return GetDlgItemText(dialog().GetSafeHwnd(), id); }
    int selectedRow() {
        return int(SendMessage(dialog().List(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED | LVNI_FOCUSED));
    }
    int rowImage(int row) {
        LVITEM lv;
        lv.mask = LVIF_IMAGE;
        lv.iItem = row;
        SendMessage(dialog().List(), LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&lv));
        return lv.iImage;
    }
    std::string current() { return acDocManager->curDocument()->fileName(); }
    sim::script::Runner runner;
};

TEST_F(Switcher, CreatedHiddenAtStartAndGoneAtUnload) {
    start();
    ASSERT_NE(KvSwitcher(), nullptr);
    HWND hwnd = dialog().GetSafeHwnd();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(text(IDC_SWITCHER_STATUS), "XX Items");
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
    unload();
    EXPECT_EQ(KvSwitcher(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Switcher, CtrlTabTabHighlightsRowTwoAndReleasingCtrlActivatesIt) {
    openAndStart({"a.dwg", "b.dwg", "c.dwg"});
    run("@keydown Ctrl");
    run("@key Tab");
    ASSERT_TRUE(dialog().IsVisible());
    EXPECT_EQ(dialog().HighlightedIndex(), 1);
    EXPECT_TRUE(KvTabPanel().TabCtrl().HostBusy());
    run("@key Tab");
    EXPECT_EQ(dialog().HighlightedIndex(), 2);
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_EQ(text(IDC_SWITCHER_PATH), machine.drawings + "c.dwg");
    EXPECT_EQ(current(), machine.drawings + "a.dwg");   // nothing changes while Ctrl is held

    run("@keyup Ctrl");
    EXPECT_FALSE(dialog().IsVisible());
    EXPECT_FALSE(KvTabPanel().TabCtrl().HostBusy());
    EXPECT_EQ(current(), machine.drawings + "c.dwg");
    EXPECT_EQ(KvTabPanel().TabCtrl().GetItem(2)->marked, 1);
    EXPECT_EQ(GetFocus(), acedGetAcadFrame());

    // The same in one line; Ctrl+Tab alone goes to the next drawing, wrapping past the last.
    run("@key Ctrl+Tab");
    EXPECT_EQ(current(), machine.drawings + "a.dwg");
}

TEST_F(Switcher, ShiftTabGoesBackAndWrapsBothWays) {
    openAndStart({"a.dwg", "b.dwg", "c.dwg", "d.dwg"});
    run("@keydown Ctrl");
    run("@key Shift+Tab");
    EXPECT_EQ(dialog().HighlightedIndex(), 3);   // from row 0 to the last row
    EXPECT_EQ(selectedRow(), 3);
    run("@key Shift+Tab");
    EXPECT_EQ(selectedRow(), 2);
    run("@key Tab Tab");
    EXPECT_EQ(dialog().HighlightedIndex(), 0);   // past the last row to the first
    EXPECT_EQ(selectedRow(), 0);
    run("@key Shift+Tab Shift+Tab Shift+Tab");
    EXPECT_EQ(selectedRow(), 1);
    run("@keyup Ctrl");
    EXPECT_EQ(current(), machine.drawings + "b.dwg");
}

TEST_F(Switcher, DetailsComeFromTheDatabaseOrFromTheFile) {
    sim::host::openDrawing(drawing("open.dwg", 2, 3));
    start();
    KvTabPanel().InsertLinkDrawing(drawing("far.dwg", 7, 5));
    KvTabPanel().InsertLinkDrawing(machine.drawings + "gone.dwg");
    run("@memory total=" + std::to_string(64 * GB) + " free=" + std::to_string(40 * GB + 512 * MB) +
        " virtual=" + std::to_string(100 * GB) + " load=37");

    run("@keydown Ctrl");
    run("@key Shift+Tab");   // back from the open drawing to the last tab, the missing link
    EXPECT_EQ(text(IDC_SWITCHER_STATUS),
              "3 Item(s), Total RAM: 64 GB, free: 40.50 GB, virtual free: 100 GB, load=37%\n");
    EXPECT_EQ(text(IDC_SWITCHER_PATH), machine.drawings + "gone.dwg");
    EXPECT_EQ(text(IDC_SWITCHER_OBJECTS), "0 (objects)");
    EXPECT_EQ(text(IDC_SWITCHER_SAVES), "0 (times)");
    EXPECT_EQ(text(IDC_SWITCHER_LAST_VERSION), "(Unknown)");
    EXPECT_EQ(text(IDC_SWITCHER_ORIGINAL_VERSION), "(Unknown)");

    run("@key Shift+Tab");   // the link whose file is there: read from disk
    EXPECT_EQ(text(IDC_SWITCHER_OBJECTS), "5 (objects)");
    EXPECT_EQ(text(IDC_SWITCHER_SAVES), "7 (times)");
    EXPECT_EQ(text(IDC_SWITCHER_LAST_VERSION), "2010 final");
    EXPECT_EQ(text(IDC_SWITCHER_ORIGINAL_VERSION), "2007 final(DHL_1021)");
    EXPECT_EQ(rowImage(1), 8);   // its format code: the 2010 picture

    run("@key Shift+Tab");   // the open drawing: its own database
    EXPECT_EQ(text(IDC_SWITCHER_OBJECTS), "3 (objects)");
    EXPECT_EQ(text(IDC_SWITCHER_SAVES), "2 (times)");
    EXPECT_EQ(rowImage(0), KvSwitcherIconIndex(KvSwitcherTab::Drawing, kFileTypeDwg,
                                               docData(acDocManager->curDocument()).diskFormat, -1));
    run("@key Tab");
    run("@keyup Ctrl");      // releasing Ctrl on a link opens it in place
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_EQ(current(), machine.drawings + "far.dwg");
    EXPECT_EQ(KvTabPanel().TabCtrl().GetItem(1)->drawingDoc, acDocManager->curDocument());
}

TEST_F(Switcher, ThumbnailBoxIsPaintedGreyWithThePicture) {
    sim::host::openDrawing(drawing("pic.dwg", 0, 6));
    start();
    run("@key Ctrl+Tab");   // one drawing: the highlight wraps onto itself
    run("@keydown Ctrl");
    run("@key Tab");
    HWND box = GetDlgItem(dialog().GetSafeHwnd(), IDC_SWITCHER_THUMBNAIL);
    HDC dc = sim::desk::renderWindow(dialog().GetSafeHwnd());
    ASSERT_NE(dc, nullptr);
    RECT r;
    GetWindowRect(box, &r);
    RECT d;
    GetWindowRect(dialog().GetSafeHwnd(), &d);
    POINT inside{r.left - d.left + 3, r.top - d.top + 3};
    RECT client;
    GetClientRect(dialog().GetSafeHwnd(), &client);
    // The box's grey shows just inside its frame (whatever the frame's offset in the window).
    bool grey = false;
    for (int dx = 0; dx < 12 && !grey; ++dx)
        for (int dy = 0; dy < 12 && !grey; ++dy)
            grey = GetPixel(dc, inside.x + dx, inside.y + dy) == RGB(128, 128, 128);
    EXPECT_TRUE(grey);
    DeleteDC(dc);
    run("@keyup Ctrl");
}

TEST_F(Switcher, ShortKeyOffPassesCtrlTabOn) {
    setNumber("Short Key", 0);
    openAndStart({"a.dwg", "b.dwg"});
    auto& desk = sim::Desktop::get();
    desk.keysDown[VK_CONTROL] = true;
    MSG msg;
    msg.hwnd = acedGetAcadFrame();
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    EXPECT_FALSE(KvFilterMessage(&msg));
    desk.keysDown.clear();
    run("@key Ctrl+Tab");
    EXPECT_FALSE(dialog().IsVisible());
    EXPECT_EQ(current(), machine.drawings + "a.dwg");
}

TEST_F(Switcher, WhileShownTheHostIsBusyAndTabKeysAreRefused) {
    openAndStart({"a.dwg", "b.dwg"});
    run("@keydown Ctrl");
    run("@key Tab");
    ASSERT_TRUE(dialog().IsVisible());
    EXPECT_TRUE(KvTabPanel().TabCtrl().HostBusy());
    // Ctrl+A over the bar would mark every tab; the busy host refuses it and the switcher keeps
    // the key for itself (it is no Tab, so it passes on to the list).
    MSG msg;
    msg.hwnd = acedGetAcadFrame();
    msg.message = WM_KEYDOWN;
    msg.wParam = 'A';
    RECT bar;
    GetWindowRect(KvTabPanel().TabCtrl().GetSafeHwnd(), &bar);
    sim::Desktop::get().cursor = {(bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2};
    EXPECT_FALSE(KvFilterMessage(&msg));
    EXPECT_EQ(KvTabPanel().TabCtrl().GetItem(0)->marked + KvTabPanel().TabCtrl().GetItem(1)->marked, 1);
    run("@keyup Ctrl");
    EXPECT_FALSE(KvTabPanel().TabCtrl().HostBusy());
}

TEST_F(Switcher, ATabClosedWhileShownIsNotActivated) {
    openAndStart({"a.dwg", "b.dwg", "c.dwg"});
    run("@keydown Ctrl");
    run("@key Tab");
    ASSERT_EQ(dialog().HighlightedIndex(), 1);
    AcApDocument* b = KvTabPanel().TabCtrl().GetItem(1)->drawingDoc;
    sim::host::closeWindow(acDocWindowManager->documentWindow(b));
    ASSERT_EQ(KvTabPanel().TabCtrl().GetItemCount(), 2);
    const std::string before = current();
    run("@keyup Ctrl");
    EXPECT_FALSE(dialog().IsVisible());
    EXPECT_EQ(current(), before);
    EXPECT_EQ(transcript.find("Exception error"), std::string::npos) << transcript;
}

}  // namespace
