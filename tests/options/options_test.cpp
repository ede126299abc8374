// The options dialog: its box rules, and the dialog driven through the simulated host (KV_CFG):
// what OK stores and pushes to the running tab strip, what Cancel leaves, a page refusing its
// input, the favourites and templates lists, the language list, fonts and help.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include "cadfile/cadfile.h"
#include "core/registry.h"
#include "hosting/dockbar.h"
#include "res/resource.h"
#include "options/options_fixture.h"
#include "settings/language.h"
#include "settings/applied.h"
#include "settings/options.h"

namespace {

namespace fs = std::filesystem;
using S = SettingId;

TEST(OptionsRules, NumberBoxesTakeTheLeadingDecimalInteger) {
    EXPECT_EQ(KvOptionsNumber("42"), 42);
    EXPECT_EQ(KvOptionsNumber(" 12px"), 12);
    EXPECT_EQ(KvOptionsNumber("-3"), -3);
    EXPECT_EQ(KvOptionsNumber("abc"), 0);
    EXPECT_EQ(KvOptionsNumber(""), 0);
    EXPECT_EQ(KvOptionsNumber("-"), 0);
    EXPECT_EQ(KvOptionsNumber("99999999999999999999"), 0x7FFFFFFF);   // saturates, never overflows
}

TEST(OptionsRules, BoxRulesOfThePages) {
    EXPECT_EQ(KvSaveCommandShown(""), "'_ZOOM _Extents ");
    EXPECT_EQ(KvSaveCommandShown("Z"), "'_ZOOM _Extents ");
    EXPECT_EQ(KvSaveCommandShown("_REGEN"), "_REGEN ");
    EXPECT_EQ(KvSaveCommandShown("_REGEN   "), "_REGEN ");
    EXPECT_EQ(KvSaveCommandStored(""), "'_ZOOM _Extents ");
    EXPECT_EQ(KvSaveCommandStored("   "), "'_ZOOM _Extents ");
    EXPECT_EQ(KvSaveCommandStored("_AUDIT N   "), "_AUDIT N ");

    EXPECT_EQ(KvOutlineWidthFromText("1"), 1);
    EXPECT_EQ(KvOutlineWidthFromText("8"), 8);
    EXPECT_EQ(KvOutlineWidthFromText("0"), 8);
    EXPECT_EQ(KvOutlineWidthFromText("12"), 8);
    EXPECT_EQ(KvOutlineWidthFromText("wide"), 8);

    EXPECT_EQ(KvSimilarPositionFromText("300"), 44);
    EXPECT_EQ(KvSimilarPositionFromText("255"), 255);
    EXPECT_EQ(KvSimilarPositionFromText("256"), 0);

    EXPECT_EQ(KvEntryPath("/d/a.dwg;Ground; floor"), "/d/a.dwg");
    EXPECT_EQ(KvEntryTitle("/d/a.dwg;Ground; floor"), "Ground; floor");
    EXPECT_EQ(KvEntryTitle("/d/a.dwg"), "");
    EXPECT_EQ(KvMakeEntry("/d/a.dwg", "A"), "/d/a.dwg;A");
}

TEST(OptionsRules, WriteOrderHoldsEveryEditedSettingOnce) {
    const auto& order = KvOptionsWriteOrder();
    EXPECT_EQ(order.size(), 68u);
    const std::set<SettingId> unique(order.begin(), order.end());
    EXPECT_EQ(unique.size(), order.size());
    for (S notEdited : {S::SecureMode, S::Language, S::UseRegistry, S::DebugLevel, S::LogPath})
        EXPECT_EQ(unique.count(notEdited), 0u);
    EXPECT_EQ(order.front(), S::DockingPosition);
    EXPECT_EQ(order.back(), S::OutlineWidth);
}

using Options = kvtest::OptionsFixture;

TEST_F(Options, OkStoresTheChangesAndTheRunningBarFollows) {
    open({"a.dwg", "b.dwg"});
    start();
    settle();
    configure({"@dialog check 1103 on", "@dialog set 1105 35", "@dialog select 242 Korvane Shape>Tab Style",
               "@dialog select 1132 HBUMP", "@dialog select 242 Korvane Shape>Tab Item", "@dialog check 1114 off",
               "@dialog press OK"});
    EXPECT_EQ(lastResult(), IDOK);
    EXPECT_EQ(reread(S::DockingPosition), 4096);
    EXPECT_EQ(reread(S::MenuYPosition), 35);
    EXPECT_EQ(reread(S::BackgroundColorEffect), 11);
    EXPECT_EQ(reread(S::Extension), 0);
    // The strip took the new settings at once.
    EXPECT_TRUE(tabs().vertical);
    EXPECT_EQ(tabs().dockSide, 4096);
    EXPECT_EQ(tabs().bgEffect, 11);
    EXPECT_FALSE(tabs().showExtension);
    EXPECT_EQ(tabs().PaintedCaption(0), "a");
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
}

TEST_F(Options, OkWithoutChangesWritesEverySettingBackAsItWas) {
    open({"a.dwg"});
    start();
    ASSERT_FALSE(storedSetting(S::MenuYPosition));
    configure({"@dialog press OK"});
    for (S id : KvOptionsWriteOrder()) EXPECT_TRUE(storedSetting(id)) << GetSettingDef(id).key;
    EXPECT_EQ(reread(S::MenuYPosition), 20);
    EXPECT_EQ(reread(S::OutlineWidth), 8);
    EXPECT_EQ(reread(S::EndBgColor), 0x8E8E8E);
    // "Save Password" is off: the password is not kept.
    EXPECT_EQ(rereadText(S::UserPassword), "");
}

TEST_F(Options, CancelAndTheCloseBoxStoreNothing) {
    open({"a.dwg", "b.dwg"});
    start();
    configure({"@dialog check 1103 on", "@dialog set 1105 50", "@dialog select 242 Save", "@dialog check 1170 on", "@dialog set 285 _AUDIT",
               "@dialog press Cancel"});
    EXPECT_EQ(lastResult(), IDCANCEL);
    EXPECT_FALSE(storedSetting(S::MenuYPosition));
    EXPECT_FALSE(storedSetting(S::DockingPosition));
    EXPECT_FALSE(storedSetting(S::SaveBeforeScript));
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);
    EXPECT_FALSE(tabs().vertical);

    // The script ending with the dialog open cancels it too.
    configure({"@dialog check 1102 on"});
    EXPECT_EQ(lastResult(), IDCANCEL);
    EXPECT_FALSE(storedSetting(S::DockingPosition));
}

TEST_F(Options, ABadPortKeepsTheDialogOpenOnItsPage) {
    open({"a.dwg"});
    start();
    configure({"@dialog select 242 Cloudfold", "@dialog check 1200 on", "@dialog set 1202 http",
               "@dialog select 242 About", "@dialog press OK",
               // Still open, back on the page that refused.
               "@dialog set 1202 8080", "@dialog press OK"});
    EXPECT_EQ(optionsShown(), 1);
    EXPECT_EQ(lastResult(), IDOK);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"The server port must be a number from 1 to 65535."}));
    EXPECT_EQ(rereadText(S::ServerPort), "8080");
    EXPECT_EQ(reread(S::CloudfoldUse), 1);
}

TEST_F(Options, PasswordIsKeptScrambledOnlyWithSavePassword) {
    open({"a.dwg"});
    start();
    configure({"@dialog select 242 Cloudfold", "@dialog set 1205 s3cret", "@dialog check 1206 on", "@dialog press OK"});
    std::string scrambled = rereadText(S::UserPassword);
    EXPECT_NE(scrambled, "s3cret");
    EXPECT_EQ(UnscramblePassword(scrambled), "s3cret");
    // The next opening shows it in the clear; clearing "Save Password" drops it.
    configure({"@dialog select 242 Cloudfold", "@dialog dump", "@dialog check 1206 off", "@dialog press OK"});
    EXPECT_NE(transcript.find("1205 Edit \"s3cret\""), std::string::npos) << transcript;
    EXPECT_EQ(rereadText(S::UserPassword), "");
}

TEST_F(Options, PageRulesApplyToWhatIsStored) {
    open({"a.dwg"});
    start();
    configure({"@dialog select 242 Korvane Shape>Tab Item", "@dialog check 1110 on", "@dialog dump",
               "@dialog select 242 Korvane Shape>Tab Style", "@dialog set 1139 12",
               "@dialog select 242 Similar Menu", "@dialog set 1193 300", "@dialog set 1194 7",
               "@dialog select 242 Save", "@dialog check 1170 on", "@dialog set 285 \"\"", "@dialog press OK"});
    // Thumbnails force fixed-width tabs and put the file and version icons out of reach.
    EXPECT_NE(transcript.find("1117 Button \"Fix the width of tab\" checked disabled"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("1112 Button \"View of icon\" unchecked disabled"), std::string::npos);
    EXPECT_NE(transcript.find("1113 Button \"Version Icon\" unchecked disabled"), std::string::npos);
    EXPECT_NE(transcript.find("1111 Button \"Comment On/Off\" checked\n"), std::string::npos);
    EXPECT_EQ(reread(S::ThumbnailIcon), 1);
    EXPECT_EQ(reread(S::FixedWidth), 1);
    EXPECT_EQ(reread(S::FileIcon), 0);
    EXPECT_EQ(reread(S::OutlineWidth), 8);
    EXPECT_EQ(reread(S::SimilarStartPos), 44);
    EXPECT_EQ(reread(S::SimilarEndPos), 7);
    EXPECT_EQ(reread(S::ZoomExtents), 1);
    EXPECT_EQ(rereadText(S::SaveBeforeScript), "'_ZOOM _Extents ");
}

TEST_F(Options, FavouritesEditedOnTheirPageAreStored) {
    open({"a.dwg", "b.dwg"});
    start();
    const std::string a = machine.drawings + "a.dwg", b = machine.drawings + "b.dwg";
    menus().favourites = {a + ";", b + ";Old"};
    const std::string key = "SOFTWARE\\Stavlo\\Korvane\\3.2\\favorites";

    // Cancel keeps the lists as they were.
    configure({"@dialog select 242 Favorites", "@dialog select 1181 0", "@dialog press 1185", "@dialog press Cancel"});
    EXPECT_EQ(menus().favourites, (std::vector<std::string>{a + ";", b + ";Old"}));
    EXPECT_FALSE(stored(key, "zzfav00"));

    configure({"@dialog select 242 Favorites", "@dialog select 1181 1", "@dialog set 1183 \"Site plan\"",
               "@dialog press 1184", "@dialog select 1181 0", "@dialog press 1185", "@dialog press OK"});
    EXPECT_EQ(menus().favourites, (std::vector<std::string>{b + ";Site plan"}));
    std::string first, second;
    EXPECT_TRUE(stored(key, "zzfav00", &first));
    EXPECT_TRUE(stored(key, "zzfav01", &second));
    EXPECT_EQ(first, b + ";Site plan");   // path first, then the title, as the menus read it
    EXPECT_EQ(second, "");
}

TEST_F(Options, TemplatesAreAppendedUpToThirty) {
    open({"a.dwg"});
    start();
    sim::dwg::Drawing d;
    std::string err;
    const std::string dwt = machine.drawings + "a3.dwt";
    ASSERT_TRUE(sim::dwg::writeDrawingFile(dwt, d, sim::dwg::Release::R2010, sim::dwg::Kind::Template, &err)) << err;
    configure({"@dialog select 242 Template", "@files " + dwt, "@dialog press 1186", "@dialog set 1183 A3",
               "@dialog press 1184", "@dialog press OK"});
    EXPECT_EQ(menus().templates, (std::vector<std::string>{dwt + ";A3"}));
    std::string slot;
    EXPECT_TRUE(stored("SOFTWARE\\Stavlo\\Korvane\\3.2\\templates", "zztempl00", &slot));
    EXPECT_EQ(slot, dwt + ";A3");

    // A full list refuses one more rather than losing it at the next save.
    menus().templates.assign(30, dwt + ";");
    configure({"@dialog select 242 Template", "@files " + dwt, "@dialog press 1186", "@dialog press OK"});
    EXPECT_EQ(menus().templates.size(), 30u);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"The list holds at most 30 entries."}));
}

TEST_F(Options, LanguagePageListsEnglishAndThePacksAndAppliesTheChoice) {
    fs::copy_file(kvtest::binaryDir() + "/tests/settings/packs/korean_2100.dll", machine.moduleFolder + "KorvaneKr.dll");
    open({"a.dwg"});
    start();
    EXPECT_EQ(CollectLanguages(), (std::vector<std::string>{"English", "German", "Korean"}));
    configure({"@dialog select 242 Korvane Shape>Language", "@dialog dump", "@dialog select 246 Korean",
               "@dialog press OK"});
    EXPECT_NE(transcript.find("246 ListBox \"\" items=3 sel=0"), std::string::npos) << transcript;
    EXPECT_TRUE(KvLanguagePackLoaded());
    EXPECT_EQ(GetSettingText(S::Language), "Korean");
}

TEST_F(Options, AFontAppliesAtOnceAndStaysWhenCancelled) {
    open({"a.dwg", "b.dwg"});
    start();
    const int before = tabs().SelectedFontHeight();
    configure({"@dialog select 242 Korvane Shape>Tab Style", "@font \"DejaVu Serif\" 20 bold", "@dialog press 1130",
               "@dialog press Cancel"});
    EXPECT_NE(tabs().SelectedFontHeight(), before);
    EXPECT_FALSE(storedSetting(S::SelectedTabFontStyle));

    configure({"@dialog select 242 Korvane Shape>Tab Style", "@font \"DejaVu Serif\" 20 bold color=200,0,0",
               "@dialog press 1130", "@dialog press OK"});
    EXPECT_NE(rereadText(S::SelectedTabFontStyle).find("DejaVu Serif"), std::string::npos);
    EXPECT_EQ(reread(S::SelectedTabFontColor), 200);
}

TEST_F(Options, TheHostReadsPreviewsTheHeaderReaderLeaves) {
    // 2013 and later drawings store a PNG preview, which only the host decodes.
    sim::dwg::Drawing d;
    d.lines.push_back({{0, 0, 0}, {10, 10, 0}});
    d.extents = sim::dwg::extentsOf(d.lines);
    std::string err;
    const std::string path = machine.drawings + "new.dwg";
    ASSERT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2018, sim::dwg::Kind::Dwg, &err)) << err;
    CCadFile file;
    file.SetPath(path);
    EXPECT_EQ(file.ReadPreview(), 0);
    HBITMAP b = acdbGetPreviewBitmapFromDwg(path);
    ASSERT_NE(b, nullptr);
    BITMAP info;
    ASSERT_TRUE(GetObject(b, &info));
    EXPECT_GT(info.bmWidth, 0);
    DeleteObject(b);
    EXPECT_EQ(acdbGetPreviewBitmapFromDwg(machine.drawings + "missing.dwg"), nullptr);
}

TEST_F(Options, HelpOpensTheHelpFile) {
    open({"a.dwg"});
    start();
    std::ofstream(machine.moduleFolder + "KorvaneEn3.chm") << "help";
    configure({"@dialog press 243", "@dialog press Cancel"});
    EXPECT_NE(transcript.find("[shell] open " + machine.moduleFolder + "KorvaneEn3.chm"), std::string::npos) << transcript;
}

}  // namespace

// The dialog knows the running tab strip only through what it is handed: the lists it edits, a
// font chosen on the way, and what OK applies. Cancel applies nothing; the strip's own lists are
// not touched by the dialog itself.
class RecordingStrip : public KvSettingsApplied {
public:
    std::vector<std::string> Favourites() override { return favourites; }
    std::vector<std::string> Templates() override { return templates; }
    void TabFontChosen(bool selected, const std::string& record) override { fonts.push_back({selected, record}); }
    void SettingsStored(const COptionsValues& values) override {
        ++stores;
        tooltip = values.num(S::TooltipEnable);
    }
    void ListsEdited(const std::vector<std::string>& f, const std::vector<std::string>& t) override {
        edited.push_back(f);
        edited.push_back(t);
    }
    void PaintLookPreview(HDC, const RECT&, const KvLookPreview& look) override { previews.push_back(look); }
    std::vector<std::string> favourites, templates;
    std::vector<KvLookPreview> previews;
    std::vector<std::pair<bool, std::string>> fonts;
    std::vector<std::vector<std::string>> edited;
    int stores = 0, tooltip = -1;
};

TEST_F(Options, TheDialogReachesTheStripOnlyThroughWhatItIsHanded) {
    open({"a.dwg"});
    start();
    const std::vector<std::string> running = menus().favourites;
    RecordingStrip strip;
    KvCustomColours colours{};
    strip.favourites = {machine.drawings + "a.dwg;A", machine.drawings + "b.dwg;B"};
    strip.templates = {machine.drawings + "t.dwt;T"};

    feed = {"@dialog select 242 Korvane Shape>Tab Style",
            "@dialog select 1132 2",   // the background effect
            "@dialog select 1136 6",   // the border's line type
            "@snapshot \"" + machine.drawings + "style.png\" dialog",
            "@font \"DejaVu Serif\" 20 bold",
            "@dialog press 1130",
            "@dialog select 242 Favorites",
            "@dialog select 1181 0",
            "@dialog press 1185",
            "@dialog press Cancel"};
    EXPECT_FALSE(KvShowOptionsDialog(acedGetAcadFrame(), strip, colours));
    EXPECT_TRUE(feed.empty()) << transcript;
    // The style page's preview is the strip's to paint, with what the page holds before OK.
    ASSERT_FALSE(strip.previews.empty());
    EXPECT_EQ(strip.previews.back().bgEffect, 2);
    EXPECT_EQ(strip.previews.back().borderLineType, 6);
    EXPECT_EQ(strip.previews.back().text, "Select Item Text Style");
    EXPECT_NE(strip.previews.back().font, nullptr);
    ASSERT_EQ(strip.fonts.size(), 1u);   // the font goes at once, even though the dialog is cancelled
    EXPECT_TRUE(strip.fonts[0].first);
    EXPECT_NE(strip.fonts[0].second.find("DejaVu Serif"), std::string::npos);
    EXPECT_EQ(strip.stores, 0);
    EXPECT_TRUE(strip.edited.empty());

    feed = {"@dialog select 242 Favorites", "@dialog select 1181 0", "@dialog press 1185", "@dialog press OK"};
    EXPECT_TRUE(KvShowOptionsDialog(acedGetAcadFrame(), strip, colours));
    EXPECT_TRUE(feed.empty()) << transcript;
    EXPECT_EQ(strip.stores, 1);
    EXPECT_EQ(strip.tooltip, GetSettingNumber(S::TooltipEnable));
    ASSERT_EQ(strip.edited.size(), 2u);
    EXPECT_EQ(strip.edited[0], (std::vector<std::string>{machine.drawings + "b.dwg;B"}));
    EXPECT_EQ(strip.edited[1], strip.templates);
    EXPECT_EQ(menus().favourites, running);
}
