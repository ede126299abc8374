// The banner: its slide in and out on the virtual clock, where it shows, what it reads from and
// writes back to its file, and its link.
#include <filesystem>
#include <fstream>
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "support/plugin_fixture.h"
#include "hosting/features.h"
#include "win/profile.h"

namespace {

namespace fs = std::filesystem;

class Banner : public kvtest::PluginFixture {
protected:
    AsUiBannerCtrl& banner() { return KvTabPanel().Banner(); }
    std::string bannerFile() { return dataFolder() + "Korvane.banner"; }
    // Runs the slide timer `steps` times.
    void tick(int steps) {
        for (int i = 0; i < steps; ++i) sim::Desktop::get().advance(AsUiBannerCtrl::kSlidePeriodMs);
    }
    // The banner file as shipped beside the plug-in (start-up copies it over the working copy).
    void write(const std::string& text) { std::ofstream(machine.moduleFolder + "Korvane.banner", std::ios::binary) << text; }
};

TEST_F(Banner, SlidesInFromTheRightAndOutAgain) {
    setNumber("Use Banner", 1);
    ASSERT_TRUE(sim::host::openDrawing(drawing("a.dwg")));
    write("[BANNER]\nWIDTH=270\n[TITLE]\nMSG=News\nLINK=https://stavlo.example/\n");
    start();
    EXPECT_EQ(banner().step(), 13);
    int steps = 0;
    while (banner().running() && steps < 100) {
        tick(1);
        ++steps;
    }
    EXPECT_EQ(steps, 22);   // 21 steps of 13 reach 273, the next tick ends the slide
    EXPECT_EQ(banner().extent(), 273);
    HWND hwnd = banner().GetSafeHwnd();
    EXPECT_TRUE(IsWindowVisible(hwnd));
    RECT r, panel;
    GetWindowRect(hwnd, &r);
    GetWindowRect(KvTabPanel().GetSafeHwnd(), &panel);
    EXPECT_EQ(r.right, panel.right);   // at the right end of the bar
    EXPECT_EQ(r.right - r.left, 273);

    // The link opens in the browser.
    SendMessage(hwnd, WM_LBUTTONUP, 0, 0);
    ASSERT_FALSE(sim::desk::shellRequests().empty());
    EXPECT_EQ(sim::desk::shellRequests().back().file, "https://stavlo.example/");

    // A second drawing needs the room: the banner slides out and hides.
    ASSERT_TRUE(sim::host::openDrawing(drawing("b.dwg")));
    EXPECT_FALSE(banner().showing());
    tick(30);
    EXPECT_FALSE(banner().running());
    EXPECT_LT(banner().extent(), 1);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(Banner, HiddenAlongTheSidesAndWhenNotWanted) {
    setNumber("Use Banner", 1);
    setNumber("Docking position", 4096);   // left
    ASSERT_TRUE(sim::host::openDrawing(drawing("a.dwg")));
    start();
    tick(30);
    EXPECT_FALSE(IsWindowVisible(banner().GetSafeHwnd()));
    unload();

    setNumber("Use Banner", 0);
    setNumber("Docking position", 8192);
    start();
    tick(30);
    EXPECT_FALSE(IsWindowVisible(banner().GetSafeHwnd()));
}

TEST_F(Banner, ReadsItsFileAndWritesEveryFieldBack) {
    write("[banner]\r\nversion=7\r\nBORDERCOLOR=300,1,2\r\nROUNDRECT=9,8\r\nWIDTH=\r\n; a note\r\n"
          "[TITLE]\r\nMSG=Hello\r\nDESC2=Second line\r\n");
    start();
    const auto& l = banner().look();
    EXPECT_EQ(l.version, 7);
    EXPECT_EQ(l.effect, 0);           // missing: 0, not the default
    EXPECT_EQ(l.width, 270);          // empty: the default
    EXPECT_EQ(l.border, RGB(44, 1, 2));   // only the low 8 bits of each part
    EXPECT_EQ(l.round.cx, 9);
    EXPECT_EQ(l.message, "Hello");
    EXPECT_EQ(banner().TooltipMarkup(),
              "<table align=left valign=middle><tr><td></td></tr><tr><td>Second line</td></tr><tr><td></td></tr>"
              "<tr><td></td></tr><tr><td></td></tr></table>");
    unload();

    std::string value;
    GetPrivateProfileString("BANNER", "BORDERCOLOR", "", &value, 256, bannerFile());
    EXPECT_EQ(value, "44,1,2");
    GetPrivateProfileString("BANNER", "WIDTH", "", &value, 256, bannerFile());
    EXPECT_EQ(value, "270");
    GetPrivateProfileString("TITLE", "DESC5", "?", &value, 256, bannerFile());
    EXPECT_EQ(value, "");
    std::ifstream in(bannerFile(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("; a note\r\n"), std::string::npos);   // lines it does not own stay
    EXPECT_NE(text.find("[banner]\r\n"), std::string::npos);   // the section keeps its spelling
}

// The banner file is not trusted: its link may only send the browser to a web address, and its
// description lines are text, not markup.
TEST_F(Banner, OpensOnlyWebAddressesAndShowsItsLinesAsText) {
    setNumber("Use Banner", 1);
    ASSERT_TRUE(sim::host::openDrawing(drawing("a.dwg")));
    write("[TITLE]\nMSG=News\nLINK=C:\\Windows\\System32\\calc.exe\n"
          "DESC1=<b>bold</b> & <bmp handle=0x1>\nDESC2=a < b\n");
    start();
    HWND hwnd = banner().GetSafeHwnd();
    SendMessage(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(sim::desk::shellRequests().empty());
    EXPECT_NE(transcript.find("\n;warning : banner link refused, not an http or https address: "
                              "C:\\Windows\\System32\\calc.exe\n"),
              std::string::npos)
        << transcript;
    EXPECT_EQ(banner().TooltipMarkup(),
              "<table align=left valign=middle><tr><td>&lt;b&gt;bold&lt;/b&gt; &amp; &lt;bmp handle=0x1&gt;</td></tr>"
              "<tr><td>a &lt; b</td></tr><tr><td></td></tr><tr><td></td></tr><tr><td></td></tr></table>");
    unload();

    // Letter case and blanks around the scheme do not matter; other schemes and bare words are refused.
    for (const char* link : {"HTTP://stavlo.example/a", "  https://stavlo.example/b", "file:///etc/passwd",
                             "javascript:alert(1)", "https:", "stavlo.example"}) {
        write(std::string("[TITLE]\nLINK=") + link + "\n");
        transcript.clear();
        start();
        SendMessage(banner().GetSafeHwnd(), WM_LBUTTONUP, 0, 0);
        unload();
    }
    ASSERT_EQ(sim::desk::shellRequests().size(), 2u) << transcript;
    EXPECT_EQ(sim::desk::shellRequests()[0].file, "HTTP://stavlo.example/a");
    EXPECT_EQ(sim::desk::shellRequests()[1].file, "https://stavlo.example/b");
}

}  // namespace
