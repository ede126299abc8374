#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/app_state.h"
#include "settings/markup.h"
#include "settings/settings.h"
#include "sim/desk/desktop.h"
#include "sim/registry/registry.h"
#include "win/registry.h"
#include "win/system.h"

namespace fs = std::filesystem;
using S = SettingId;

namespace {

const std::string kKey = "SOFTWARE\\Stavlo\\Korvane\\3.2";
const std::string kDecl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string FileOf(const std::string& items) {
    return kDecl + "<Korvane>\r\n<config>\r\n" + items + "</config>\r\n</Korvane>\r\n";
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        sim::registry::openInMemory();
        sim::Desktop::get().reset();
        dir_ = fs::temp_directory_path() / ("kvset_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        App().dataFolder = dir_.string() + "/";
        App().settingsKey = kKey;
        ResetSettingsStore();
    }
    void TearDown() override {
        ResetSettingsStore();
        fs::remove_all(dir_);
    }

    static void RegDword(HKEY root, const std::string& name, DWORD v) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyEx(root, kKey, KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
        RegSetValueEx(k, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
        RegCloseKey(k);
    }
    static void RegText(HKEY root, const std::string& name, const std::string& text) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyEx(root, kKey, KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
        RegSetValueEx(k, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
        RegCloseKey(k);
    }
    static bool RegHas(HKEY root, const std::string& name) {
        HKEY k = nullptr;
        if (RegOpenKeyEx(root, kKey, 0, KEY_READ, &k) != LONG(ERROR_SUCCESS)) return false;
        const bool has = RegQueryValueEx(k, name, nullptr, nullptr, nullptr) == LONG(ERROR_SUCCESS);
        RegCloseKey(k);
        return has;
    }
    static std::size_t BoxesShown() { return sim::Desktop::get().shownBoxes().size(); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }

    fs::path dir_;
};

}  // namespace

TEST_F(Settings, NothingStoredReadsTheDefaults) {
    sim::Desktop::get().setSysColor(COLOR_BTNFACE, RGB(1, 2, 3));
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);
    EXPECT_EQ(GetSettingNumber(S::SubControlSize), 6);
    EXPECT_EQ(GetSettingNumber(S::OutlineWidth), 8);
    EXPECT_EQ(GetSettingNumber(S::UseRegistry), -1);
    EXPECT_EQ(GetSettingNumber(S::StartBgColor), int(RGB(1, 2, 3)));
    EXPECT_EQ(GetSettingNumber(S::MiddleBgColor), int(RGB(1, 2, 3)));
    EXPECT_EQ(GetSettingNumber(S::DockingPosition), 8192);
    EXPECT_EQ(GetSettingNumber(S::BackgroundColorEffect), 2);
    EXPECT_EQ(GetSettingText(S::BackupSuffix), "");
    EXPECT_FALSE(IsFileMode());
    // Out-of-table ids are refused, not indexed.
    EXPECT_EQ(GetSettingNumber(SettingId(0)), 0);
    SetSettingNumber(SettingId(74), 1);
    EXPECT_EQ(GetSettingText(SettingId(-3)), "");
}

TEST_F(Settings, TheTableSpellsKeysAsStored) {
    EXPECT_STREQ(GetSettingDef(S::Extension).key, "Extention");
    EXPECT_STREQ(GetSettingDef(S::MaintenanceVersion).key, "Maintance version");
    EXPECT_STREQ(GetSettingDef(S::WindowsArrange).key, "Windows Arrage");
    EXPECT_STREQ(GetSettingDef(S::TabBorderLinetype).key, "Tab boarder linetype");
    EXPECT_STREQ(GetSettingDef(S::ThumbnailComment).key, "Thumbnail Comment OF");
    EXPECT_EQ(FindSettingByKey("Outline Width"), &GetSettingDef(S::OutlineWidth));
    EXPECT_EQ(FindSettingByKey("outline width"), nullptr);
    EXPECT_EQ(DefaultSettingText(S::ScriptPath), App().dataFolder + "Script/");
    EXPECT_EQ(UnscramblePassword(DefaultSettingText(S::UserPassword)), "mirel");
}

TEST_F(Settings, RegistryValuesAreChecked) {
    struct Case {
        const char* key;
        DWORD stored;
        S id;
        int expected;
    } cases[] = {
        {"Menu Y-position", 0, S::MenuYPosition, 20},    {"Menu Y-position", 201, S::MenuYPosition, 20},
        {"Menu Y-position", 200, S::MenuYPosition, 200}, {"Menu Y-position", 1, S::MenuYPosition, 1},
        {"Sub control size", 3, S::SubControlSize, 6},   {"Sub control size", 15, S::SubControlSize, 6},
        {"Sub control size", 4, S::SubControlSize, 4},   {"Sub control size", 14, S::SubControlSize, 14},
        {"Outline Width", 9, S::OutlineWidth, 8},        {"Outline Width", 0, S::OutlineWidth, 8},
        {"Docking position", DWORD(-1), S::DockingPosition, 8192},
        {"Selected Tab font color", 0, S::SelectedTabFontColor, 0x800000},
        {"Use registry", 3, S::UseRegistry, -1},         {"One tab hidden", DWORD(-5), S::OneTabHidden, -5},
    };
    for (const auto& c : cases) {
        sim::registry::openInMemory();
        ResetSettingsStore();
        RegDword(HKEY_CURRENT_USER, c.key, c.stored);
        EXPECT_EQ(GetSettingNumber(c.id), c.expected) << c.key << " = " << int(c.stored);
    }
}

TEST_F(Settings, RegistryReadsCurrentUserThenLocalMachineAndTextNumbers) {
    RegDword(HKEY_LOCAL_MACHINE, "Menu Y-position", 50);
    RegDword(HKEY_LOCAL_MACHINE, "Max Char Length", 40);
    RegDword(HKEY_CURRENT_USER, "Max Char Length", 30);
    RegText(HKEY_CURRENT_USER, "Fixed Width x", "12");
    RegText(HKEY_CURRENT_USER, "Outline Color", "  77 pixels");
    RegText(HKEY_LOCAL_MACHINE, "Server Port", "9090");
    RegDword(HKEY_CURRENT_USER, "Log path", 5);   // not text: the current user has no usable value
    RegText(HKEY_LOCAL_MACHINE, "Log path", "/machine/logs/");
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 50);
    EXPECT_EQ(GetSettingNumber(S::MaxCharLength), 30);
    EXPECT_EQ(GetSettingNumber(S::FixedWidthX), 12);
    EXPECT_EQ(GetSettingNumber(S::OutlineColor), 77);
    EXPECT_EQ(GetSettingText(S::ServerPort), "9090");
    EXPECT_EQ(GetSettingText(S::LogPath), "/machine/logs/");

    // Long texts are read to their limits (999 characters; 49 for a number).
    RegText(HKEY_CURRENT_USER, "Cache Path", std::string(1200, 'x'));
    RegText(HKEY_CURRENT_USER, "Similar EndPos", std::string(49, '0') + "7");
    ResetSettingsStore();
    EXPECT_EQ(GetSettingText(S::CachePath).size(), 999u);
    EXPECT_EQ(GetSettingNumber(S::SimilarEndPos), 0);
}

TEST_F(Settings, RegistryModeWritesTheCurrentUserAndRereadsAfterTwoMinutes) {
    SetSettingNumber(S::MenuYPosition, 500);
    SetSettingText(S::SaveBeforeScript, "_ZOOM _E ");
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 500);   // the cache holds what was written
    EXPECT_TRUE(RegHas(HKEY_CURRENT_USER, "Menu Y-position"));
    EXPECT_FALSE(RegHas(HKEY_LOCAL_MACHINE, "Menu Y-position"));

    RegText(HKEY_CURRENT_USER, "Save Before script", "changed elsewhere");
    sim::Desktop::get().advance(119'000);
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 500);
    EXPECT_EQ(GetSettingText(S::SaveBeforeScript), "_ZOOM _E ");
    sim::Desktop::get().advance(1'000);
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);   // 500 read back fails the check
    EXPECT_EQ(GetSettingText(S::SaveBeforeScript), "changed elsewhere");
    EXPECT_FALSE(fs::exists(dir_ / "korvane.xml"));
}

TEST_F(Settings, FileValuesBypassChecksAndOnlyExactItemsCount) {
    WriteAll(dir_ / "korvane.xml",
             FileOf("<Item name=\"Menu Y-position\" type=\"numeric\">500</Item>\r\n"
                    "<Item name=\"sub control size\" type=\"numeric\">10</Item>\r\n"
                    "<Item name=\"Menu Y-position\" type=\"numeric\">7</Item>\r\n"
                    "<Setting name=\"Outline Width\" type=\"numeric\">3</Setting>\r\n"
                    "<Item name=\"Max Char Length\" type=\"numeric\">many</Item>\r\n"
                    "<Item name=\"Fixed Width x\" type=\"Numeric\">44</Item>\r\n"
                    "<Item name=\"Log path\" type=\"string\">&#47;logs&amp;</Item>\r\n"
                    "<Item name='Backup Prefix' type='string'>_old</Item>\r\n"
                    "<Item name=\"Unknown setting\" type=\"numeric\">1</Item>\r\n"));
    RegDword(HKEY_CURRENT_USER, "Outline Color", 0x123456);
    EXPECT_TRUE(IsFileMode());
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 500);      // first item, unchecked
    EXPECT_EQ(GetSettingNumber(S::SubControlSize), 6);       // name differs in case: ignored
    EXPECT_EQ(GetSettingNumber(S::OutlineWidth), 8);         // not an Item
    EXPECT_EQ(GetSettingNumber(S::MaxCharLength), 0);        // numeric without digits
    EXPECT_EQ(GetSettingNumber(S::FixedWidthX), 44);         // a string item still reads as its number
    EXPECT_EQ(GetSettingText(S::LogPath), "&#47;logs&");     // character references stay literal
    EXPECT_EQ(GetSettingText(S::BackupSuffix), "_old");      // single-quoted attributes
    EXPECT_EQ(GetSettingNumber(S::OutlineColor), 0x123456);  // absent from the file: registry
    // File mode never expires.
    RegDword(HKEY_CURRENT_USER, "Outline Color", 1);
    sim::Desktop::get().advance(600'000);
    EXPECT_EQ(GetSettingNumber(S::OutlineColor), 0x123456);
}

TEST_F(Settings, UseRegistryTwoLeavesTheFileAlone) {
    const std::string file = FileOf("<Item name=\"Menu Y-position\" type=\"numeric\">50</Item>\r\n");
    WriteAll(dir_ / "korvane.xml", file);
    RegDword(HKEY_CURRENT_USER, "Use registry", 2);
    EXPECT_FALSE(IsFileMode());
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);
    SetSettingNumber(S::MenuYPosition, 60);
    EXPECT_TRUE(RegHas(HKEY_CURRENT_USER, "Menu Y-position"));
    EXPECT_EQ(ReadAll(dir_ / "korvane.xml"), file);
}

TEST_F(Settings, AnEmptyFileGetsItsLayoutFromTheFirstWrite) {
    WriteAll(dir_ / "korvane.xml", "");
    EXPECT_TRUE(IsFileMode());
    SetSettingNumber(S::MenuYPosition, 500);
    EXPECT_EQ(ReadAll(dir_ / "korvane.xml"),
              kDecl + "<Korvane>\r\n<config>\r\n<Item name=\"Menu Y-position\" type=\"numeric\">500</Item>\r\n"
                      "</config>\r\n</Korvane>\r\n");
    SetSettingText(S::BackupSuffix, "");
    SetSettingText(S::LogPath, "x");
    SetSettingText(S::LogPath, "");
    EXPECT_EQ(ReadAll(dir_ / "korvane.xml"),
              kDecl + "<Korvane>\r\n<config>\r\n<Item name=\"Menu Y-position\" type=\"numeric\">500</Item>\r\n"
                      "<Item name=\"Backup Prefix\" type=\"string\"/>\r\n"
                      "<Item name=\"Log path\" type=\"string\"></Item>\r\n"
                      "</config>\r\n</Korvane>\r\n");
}

TEST_F(Settings, WritesChangeOnlyTheirItem) {
    // Hand-edited file: comments, indentation, LF line ends, single quotes, a bare root tag.
    const std::string before = "<!-- mine -->\n<Korvane>\n  <config>\n"
                               "    <Item type='numeric' name='Menu Y-position'>5</Item>\n"
                               "    <Item name=\"Save Before script\" type=\"string\">old</Item>\n"
                               "    <Other/>\n  </config>\n</Korvane>\ntrailing text";
    WriteAll(dir_ / "Korvane.xml", before);
    SetSettingNumber(S::MenuYPosition, 42);
    SetSettingText(S::SaveBeforeScript, "a & b <c> \"d\" 'e' ");
    const std::string after = ReadAll(dir_ / "Korvane.xml");
    EXPECT_EQ(after, kDecl + "<!-- mine -->\n<Korvane>\n  <config>\n"
                             "    <Item type='numeric' name='Menu Y-position'>42</Item>\n"
                             "    <Item name=\"Save Before script\" type=\"string\">a &amp; b &lt;c&gt; \"d\" 'e' </Item>\n"
                             "    <Other/>\n  </config>\n</Korvane>\ntrailing text");
    // The name it was found under is kept, and no temporary file is left beside it.
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Korvane.xml"});

    ResetSettingsStore();
    EXPECT_EQ(GetSettingText(S::SaveBeforeScript), "a & b <c> \"d\" 'e' ");
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 42);
}

TEST_F(Settings, NonAsciiTextSurvivesAReload) {
    WriteAll(dir_ / "korvane.xml", FileOf(""));
    const std::string path = "/home/\xEC\x82\xAC\xEC\x9A\xA9\xEC\x9E\x90/\xD0\x9F\xD1\x83\xD1\x82\xD1\x8C/Script/";
    SetSettingText(S::ScriptPath, path);
    EXPECT_NE(ReadAll(dir_ / "korvane.xml").find(path), std::string::npos);
    ResetSettingsStore();
    EXPECT_EQ(GetSettingText(S::ScriptPath), path);
}

TEST_F(Settings, ACorruptFileIsReportedOnceAndLeftUntouched) {
    for (const std::string& bad : {kDecl + "<config>\r\n</config>\r\n", std::string("<Korvane><config></Korvane>")}) {
        sim::registry::openInMemory();
        sim::Desktop::get().reset();
        ResetSettingsStore();
        WriteAll(dir_ / "korvane.xml", bad);
        EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);
        SetSettingNumber(S::MenuYPosition, 30);
        EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 30);
        EXPECT_FALSE(IsFileMode());
        ASSERT_EQ(BoxesShown(), 1u);
        const auto& box = sim::Desktop::get().shownBoxes()[0];
        if (box.text != "Empty") {
            EXPECT_EQ(box.text, "Error, can't parse 'korvane.xml', the file may be corrupt.");
        }
        EXPECT_TRUE(RegHas(HKEY_CURRENT_USER, "Menu Y-position"));
        EXPECT_EQ(ReadAll(dir_ / "korvane.xml"), bad);
    }
}

TEST_F(Settings, AFileWithoutDeclarationGainsIt) {
    WriteAll(dir_ / "korvane.xml", "<Korvane/>");
    SetSettingNumber(S::UseOutline, 0);
    EXPECT_EQ(ReadAll(dir_ / "korvane.xml"),
              kDecl + "<Korvane>\r\n<config>\r\n<Item name=\"Use Outline\" type=\"numeric\">0</Item>\r\n</config>\r\n"
                      "</Korvane>");
}

TEST_F(Settings, ASecondItemOfTheSameNameIsNeverWritten) {
    const std::string second = "<Item name=\"Menu Y-position\" type=\"numeric\">7</Item>\r\n";
    WriteAll(dir_ / "korvane.xml", FileOf("<Item name=\"Menu Y-position\" type=\"string\">5</Item>\r\n" + second));
    SetSettingNumber(S::MenuYPosition, 9);
    EXPECT_EQ(ReadAll(dir_ / "korvane.xml"),
              FileOf("<Item name=\"Menu Y-position\" type=\"numeric\">9</Item>\r\n" + second));
}

TEST_F(Settings, AGroupSavesOnceWhenItEnds) {
    WriteAll(dir_ / "korvane.xml", FileOf(""));
    const std::string empty = ReadAll(dir_ / "korvane.xml");
    {
        SettingsWriteGroup group;
        for (int i = 1; i <= kSettingCount; ++i) {
            const S id = S(i);
            if (id == S::UseRegistry) continue;
            if (GetSettingDef(id).kind == SettingKind::Numeric) {
                SetSettingNumber(id, i);
            } else {
                SetSettingText(id, "t" + std::to_string(i));
            }
        }
        {
            SettingsWriteGroup nested;
            SetSettingNumber(S::MenuYPosition, 77);
        }
        EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 77);
        EXPECT_EQ(ReadAll(dir_ / "korvane.xml"), empty);   // nothing on disk yet
    }
    ResetSettingsStore();
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 77);
    EXPECT_EQ(GetSettingNumber(S::OutlineWidth), 73);
    EXPECT_EQ(GetSettingText(S::BackupSuffix), "t69");
}

TEST_F(Settings, ConcurrentWritersNeverLeaveABrokenFile) {
    WriteAll(dir_ / "korvane.xml", FileOf(""));
    const fs::path file = dir_ / "korvane.xml";
    // Another process writing the same file while this one does (forked before any thread starts).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ResetSettingsStore();
        for (int i = 0; i < 100; ++i) SetSettingText(S::LogPath, "child " + std::to_string(i));
        _exit(IsFileMode() ? 0 : 1);
    }
    std::atomic<bool> done{false};
    std::atomic<int> unreadable{0};
    std::thread reader([&] {
        while (!done) {
            CMarkupSTL doc;
            if (!doc.LoadDocument(file.string())) ++unreadable;
        }
    });
    std::thread other([] {
        for (int i = 0; i < 100; ++i) SetSettingNumber(S::MaxCharLength, i);
    });
    for (int i = 0; i < 100; ++i) SetSettingText(S::SaveBeforeScript, std::string(size_t(i), 'x'));
    other.join();
    int status = 0;
    waitpid(child, &status, 0);
    done = true;
    reader.join();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(unreadable, 0);
    CMarkupSTL doc;
    EXPECT_TRUE(doc.LoadDocument(file.string()));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"korvane.xml"});
}

TEST_F(Settings, ResetStartsAfresh) {
    WriteAll(dir_ / "korvane.xml", FileOf("<Item name=\"Menu Y-position\" type=\"numeric\">50</Item>\r\n"));
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 50);
    fs::remove(dir_ / "korvane.xml");
    ResetSettingsStore();
    EXPECT_FALSE(IsFileMode());
    EXPECT_EQ(GetSettingNumber(S::MenuYPosition), 20);
}

TEST(Password, ScramblesToDigitsAndBack) {
    EXPECT_EQ(ScramblePassword(""), "");
    const std::string s = ScramblePassword("mirel \xED\x95\x9C");
    EXPECT_EQ(s.size(), 27u);
    EXPECT_EQ(s.find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(UnscramblePassword(s), "mirel \xED\x95\x9C");
    EXPECT_EQ(UnscramblePassword(s + "12"), "mirel \xED\x95\x9C");   // a partial group is ignored
    EXPECT_EQ(UnscramblePassword(s.substr(0, 3) + "1a3"), "");
    EXPECT_EQ(UnscramblePassword("999"), "");
}
