// The folder and file pickers and the screen helpers, answered by the simulated desktop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "uikit/pickers.h"
#include "win/controls.h"
#include "uikit/screen.h"

namespace fs = std::filesystem;

namespace {

class Pickers : public ::testing::Test {
protected:
    void SetUp() override {
        sim::desk::WindowManager::get().reset();
        folder = fs::temp_directory_path() /
                 ("kv_pickers_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(folder);
        for (const char* n : {"a.dwg", "b.dwg"}) std::ofstream(folder / n) << "x";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
        sim::desk::setMonitorCount(1);
        sim::desk::WindowManager::get().reset();
    }
    std::string path(const char* name) const { return (folder / name).string(); }
    fs::path folder;
};

TEST_F(Pickers, OpenFilesJoinsEachNameToItsFolderAndAsksWhatItWasGiven) {
    KvOpenFilesRequest request;
    request.filter = kKvDrawingFilter;
    request.startFolder = folder.string();
    request.title = "Pick";
    sim::desk::queueFiles({path("a.dwg"), path("b.dwg")});
    EXPECT_EQ(KvPickOpenFiles(request), (std::vector<std::string>{path("a.dwg"), path("b.dwg")}));
    sim::desk::queueFiles({path("b.dwg")});
    EXPECT_EQ(KvPickOpenFiles(request), std::vector<std::string>{path("b.dwg")});

    const auto& asked = sim::desk::fileDialogs();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].filter, std::string("Drawing files\0*.dwg\0\0", 22));
    EXPECT_EQ(asked[0].initialDir, folder.string());
    EXPECT_EQ(asked[0].title, "Pick");
    EXPECT_EQ(asked[0].flags, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST);
    EXPECT_EQ(asked[0].maxFile, 64u * 1024u);   // the whole buffer unless told otherwise
}

TEST_F(Pickers, OpenFilesIsEmptyWhenCancelledOrTheAnswerDoesNotFit) {
    KvOpenFilesRequest request;
    sim::desk::queueFiles({});
    EXPECT_TRUE(KvPickOpenFiles(request).empty());

    // The dialog is told a smaller size than the buffer: an answer longer than that fails.
    request.bufferBytes = 4096;
    request.maxFile = 8;
    sim::desk::queueFiles({path("a.dwg")});
    EXPECT_TRUE(KvPickOpenFiles(request).empty());
    EXPECT_EQ(sim::desk::fileDialogs().back().maxFile, 8u);
}

TEST_F(Pickers, FolderComesBackAsChosenAndEmptyWhenCancelled) {
    sim::desk::queueFolder(folder.string());
    EXPECT_EQ(KvPickFolder(nullptr, "Choose", "C:\\start"), folder.string());
    sim::desk::queueFolder("");
    EXPECT_EQ(KvPickFolder(nullptr, "Again", ""), "");
    const auto& asked = sim::desk::folderDialogs();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].title, "Choose");
    EXPECT_EQ(asked[0].startFolder, "C:\\start");
}

TEST_F(Pickers, MonitorsInEnumerationOrder) {
    sim::desk::setMonitorCount(3);
    const std::vector<HMONITOR> monitors = KvMonitors();
    ASSERT_EQ(monitors.size(), 3u);
    MONITORINFOEX first, third;
    ASSERT_TRUE(GetMonitorInfo(monitors[0], &first));
    ASSERT_TRUE(GetMonitorInfo(monitors[2], &third));
    EXPECT_LT(first.rcMonitor.left, third.rcMonitor.left);
}

TEST(PointFromLParam, CoordinatesAreSigned16Bit) {
    EXPECT_EQ(KvPointFromLParam(MAKELPARAM(10, 20)).x, 10);
    EXPECT_EQ(KvPointFromLParam(MAKELPARAM(10, 20)).y, 20);
    // Left of and above the window (a monitor on that side): negative, not 65000-odd.
    const POINT p = KvPointFromLParam(MAKELPARAM(WORD(-5), WORD(-300)));
    EXPECT_EQ(p.x, -5);
    EXPECT_EQ(p.y, -300);
}

}  // namespace
