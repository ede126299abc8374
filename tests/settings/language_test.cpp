// Language packs: which pack a language name picks, the messages when none will do, switching
// back to the built-in texts, the list of languages, and the help file.
#include <filesystem>
#include <fstream>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/registry.h"
#include "core/strings.h"
#include "hosting/switcher.h"
#include "res/resource.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "support/plugin_fixture.h"
#include "menus/tabmenus.h"
#include "hosting/features.h"
#include "win/menu.h"

namespace {

namespace fs = std::filesystem;

class Language : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        // Only the packs a test installs: the shipped ones are taken away.
        for (const auto& entry : fs::directory_iterator(machine.moduleFolder))
            if (entry.path().extension() == ".dll") fs::remove(entry.path());
    }
    void install(const std::string& pack, const std::string& as) {
        fs::copy_file(kvtest::binaryDir() + "/tests/settings/packs/" + pack + ".dll", machine.moduleFolder + as,
                      fs::copy_options::overwrite_existing);
    }
    void choose(const std::string& language) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane\\3.2", KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
        RegSetValueEx(k, "Language", REG_SZ, reinterpret_cast<const BYTE*>(language.c_str()), DWORD(language.size() + 1));
        RegCloseKey(k);
    }
    static int shown(int templateId) {
        int n = 0;
        for (const auto& d : sim::desk::closedDialogs()) n += d.templateId == templateId;
        return n;
    }
    static std::string switcherText() {
        return KvSwitcher() ? sim::desk::dumpDialog(KvSwitcher()->GetSafeHwnd()) : std::string();
    }
    std::vector<std::string> boxes() {
        std::vector<std::string> out;
        for (const auto& b : sim::Desktop::get().shownBoxes()) out.push_back(b.text);
        return out;
    }
};

TEST_F(Language, TheNewestPackOfTheLanguageIsUsed) {
    install("korean_2001", "KorvaneKr.dll");
    install("korean_2100", "KORVANEKR2.DLL");   // names match whatever their letter case
    choose("Korean");
    start();
    EXPECT_TRUE(KvLanguagePackLoaded());
    EXPECT_EQ(KvResourceText(IDS_CLOSE), "Close (ko 2.1.0.0)");
    EXPECT_EQ(KvResourceText(IDS_SAVE_ALL), "Empty");   // a text a pack lacks leaves its entry out

    // Back to English: the built-in texts, the choice stored.
    ApplyLanguageChoice("English");
    EXPECT_FALSE(KvLanguagePackLoaded());
    EXPECT_EQ(App().resourceModule, App().ownModule);
    EXPECT_EQ(KvResourceText(IDS_CLOSE), "Close");
    EXPECT_EQ(KvLanguageChoice(), "English");
    EXPECT_EQ(GetSettingText(SettingId::Language), "English");

    ApplyLanguageChoice("Korean");
    EXPECT_EQ(KvResourceText(IDS_CLOSE), "Close (ko 2.1.0.0)");
    unload();
    EXPECT_FALSE(KvLanguagePackLoaded());
}

TEST_F(Language, OnlyAnOldPackFallsBackToEnglish) {
    install("klingon_1900", "KorvaneTlh.dll");
    choose("Klingon");
    start();
    EXPECT_FALSE(KvLanguagePackLoaded());
    EXPECT_EQ(boxes(), (std::vector<std::string>{
                           KvLoadString(IDS_LANGPACK_TOO_OLD),
                           "The language DLL for the language \"Klingon\" could not be found."}));
    EXPECT_EQ(KvLanguageChoice(), "English");
    EXPECT_EQ(KvResourceText(IDS_CLOSE), "Close");
}

TEST_F(Language, ANameWithMoreWordsStillMatches) {
    install("french_3000", "KorvaneFr.dll");
    install("other_product", "KorvaneDe.dll");   // not a pack of ours, whatever it says
    choose("French");
    start();
    EXPECT_EQ(KvResourceText(IDS_CLOSE), "Fermer");
    EXPECT_EQ(CollectLanguages(), (std::vector<std::string>{"English", "French (Canada)"}));
    EXPECT_TRUE(KvChoosePack("German").path.empty());
}

TEST_F(Language, AMissingPackIsReportedAndForgotten) {
    choose("Korean");
    start();
    EXPECT_EQ(boxes(), (std::vector<std::string>{"The language DLL for the language \"Korean\" could not be found."}));
    CRegistry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.Open("SOFTWARE\\Stavlo\\Korvane\\3.2"));
    std::string stored;
    EXPECT_TRUE(key.Read("Language", &stored));
    EXPECT_EQ(stored, "English");
}

TEST_F(Language, TheShippedGermanPackIsComplete) {
    fs::copy_file(kvtest::binaryDir() + "/module/KorvaneDe.dll", machine.moduleFolder + "KorvaneDe.dll");
    choose("German");
    start();
    ASSERT_TRUE(KvLanguagePackLoaded());
    EXPECT_EQ(KvResourceText(IDS_CLOSE), "Schließen");
    EXPECT_EQ(CollectLanguages(), (std::vector<std::string>{"English", "German"}));
    for (UINT id : KvStringTableIds()) EXPECT_NE(KvResourceText(id), "Empty") << id;
}

TEST_F(Language, HelpOpensTheFileThatExists) {
    start();
    SetSettingText(SettingId::Language, "Korean");
    OpenHelp(nullptr);
    EXPECT_TRUE(sim::desk::shellRequests().empty());   // no help file anywhere: nothing

    std::ofstream(machine.moduleFolder + "KorvaneKr3.chm") << "help";
    OpenHelp(nullptr);
    ASSERT_EQ(sim::desk::shellRequests().size(), 1u);
    EXPECT_EQ(sim::desk::shellRequests()[0].file, machine.moduleFolder + "KorvaneKr3.chm");

    // The Windows folder beside the plug-in's folder comes first.
    const std::string windows = fs::path(machine.moduleFolder).parent_path().parent_path().string() + "/Windows/";
    fs::create_directories(windows);
    std::ofstream(windows + "KorvaneKr3.chm") << "help";
    OpenHelp(nullptr);
    ASSERT_EQ(sim::desk::shellRequests().size(), 2u);
    EXPECT_EQ(sim::desk::shellRequests()[1].file, windows + "KorvaneKr3.chm");
}

// A pack of texts only: its dialogs, menus and pictures come from the built-in resources, and the
// user hears once that the pack is incomplete, instead of losing the switcher, Find and Options.
TEST_F(Language, WhatAPackCannotSupplyComesFromTheBuiltInResources) {
    const std::vector<std::string> told{
        "The language pack lacks parts of the interface; those parts are shown in English."};
    install("korean_2100", "KorvaneKr.dll");
    choose("Korean");
    ASSERT_TRUE(sim::host::openDrawing(drawing("a.dwg")));
    start();
    ASSERT_TRUE(KvLanguagePackLoaded());
    EXPECT_NE(switcherText().find("Approx Num Objects :"), std::string::npos) << switcherText();
    EXPECT_EQ(boxes(), told);
    sim::host::typeLine("KV_CFG");
    sim::host::pump();
    EXPECT_EQ(shown(IDD_OPTIONS), 1) << transcript;
    KvStripMenus()->OnKvDocfind();
    EXPECT_EQ(shown(IDD_FIND), 1);
    EXPECT_EQ(boxes(), told);   // once
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
    unload();

    // Chosen in a running session: the same, from the moment of the choice.
    choose("English");
    start();
    EXPECT_EQ(boxes().size(), 1u);
    ApplyLanguageChoice("Korean");
    EXPECT_EQ(boxes().size(), 2u);
    EXPECT_EQ(boxes().back(), told[0]);
    EXPECT_NE(switcherText().find("Approx Num Objects :"), std::string::npos);
    sim::host::typeLine("KV_CFG");
    sim::host::pump();
    EXPECT_EQ(shown(IDD_OPTIONS), 2) << transcript;
}

// A language chosen in the options reaches every window at once: the switcher's labels, the system
// menu, and the tooltip texts of the tabs already open.
TEST_F(Language, EveryWindowFollowsALanguageChange) {
    fs::copy_file(kvtest::binaryDir() + "/module/KorvaneDe.dll", machine.moduleFolder + "KorvaneDe.dll");
    ASSERT_TRUE(sim::host::openDrawing(drawing("a.dwg")));
    start();
    const CItemData* item = KvTabPanel().GetItem(0);
    ASSERT_NE(item, nullptr);
    EXPECT_NE(item->description.find("This drawing does not contain any custom summary information."), std::string::npos);
    EXPECT_NE(switcherText().find("Approx Num Objects :"), std::string::npos);

    ApplyLanguageChoice("German");
    EXPECT_NE(switcherText().find("Objekte (ca.) :"), std::string::npos) << switcherText();
    EXPECT_EQ(switcherText().find("Approx Num Objects :"), std::string::npos);
    EXPECT_NE(item->description.find("Diese Zeichnung enth"), std::string::npos) << item->description;
    std::string entry;
    GetMenuString(GetSystemMenu(acedGetAcadFrame(), FALSE), 0, &entry, MF_BYPOSITION);
    EXPECT_EQ(entry, "Nur aktuelle Zeichnung offen lassen");

    ApplyLanguageChoice("English");
    EXPECT_NE(switcherText().find("Approx Num Objects :"), std::string::npos);
    EXPECT_NE(item->description.find("This drawing does not contain any custom"), std::string::npos);
    EXPECT_TRUE(boxes().empty());   // a complete pack: nothing to say
}

}  // namespace
