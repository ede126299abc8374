// The plug-in's start-up and unload driven directly, against the simulated host and desktop.
#include <fstream>
#include <sstream>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/wiring/commands.h"
#include "core/wiring/lifecycle.h"
#include "core/strings.h"
#include "res/embedded_resources.h"
#include "sim/pe/modules.h"
#include "support/plugin_fixture.h"
#include "win/menu.h"
#include "win/module.h"
#include "win/registry.h"
#include "win/system.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string regText(HKEY root, const std::string& key, const std::string& name) {
    HKEY k = nullptr;
    if (RegOpenKeyEx(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "<no key>";
    BYTE buf[2048] = {};
    DWORD type = 0, size = sizeof buf;
    LONG rc = RegQueryValueEx(k, name, &type, buf, &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return "<no value>";
    return std::string(reinterpret_cast<const char*>(buf));
}

void regSet(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyEx(root, key, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    RegSetValueEx(k, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(k);
}

void setVar(const std::string& name, const std::string& value) {
    ASSERT_EQ(sim::host::setVariable(name, value), RTNORM) << name;
}

std::vector<std::string> menuTexts(HMENU menu) {
    std::vector<std::string> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        std::string t;
        GetMenuString(menu, UINT(i), &t, MF_BYPOSITION);
        out.push_back(GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_SEPARATOR ? "---" : t);
    }
    return out;
}

class Startup : public kvtest::PluginFixture {
protected:
    HMENU systemMenu() { return GetSystemMenu(acedGetAcadFrame(), FALSE); }
};

TEST_F(Startup, FirstStartCreatesKeysFoldersAndFiles) {
    start();
    EXPECT_EQ(regText(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane", "CurVer"), "3.2");
    EXPECT_EQ(regText(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane\\3.2", "tool_path"), machine.moduleFolder);
    EXPECT_EQ(App().dataFolder, dataFolder());
    for (const char* f : {"Korvane.xml", "Korvane.banner"})
        EXPECT_TRUE(std::filesystem::is_regular_file(dataFolder() + f)) << f;
    EXPECT_TRUE(std::filesystem::is_directory(dataFolder() + "Cache"));
    EXPECT_TRUE(std::filesystem::is_directory(dataFolder() + "Script"));
    EXPECT_TRUE(acedRegCmds->lookupCmd("KV_SHOW"));
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
    EXPECT_EQ(GetFocus(), acedGetAcadFrame());
}

TEST_F(Startup, EarlierCurVerKeepsItsSettingsKey) {
    regSet(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane", "CurVer", "3.1");
    start();
    EXPECT_EQ(App().settingsKey, "SOFTWARE\\Stavlo\\Korvane\\3.1");
    EXPECT_EQ(regText(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane", "CurVer"), "3.1");
}

TEST_F(Startup, SecondStartKeepsEditedSettingsFileAndReplacesBanner) {
    std::filesystem::create_directories(dataFolder());
    // Another spelling of the same names: the host's file system ignores case.
    std::ofstream(dataFolder() + "korvane.XML", std::ios::binary) << "user edited";
    std::ofstream(dataFolder() + "KORVANE.banner", std::ios::binary) << "old banner";
    start();
    EXPECT_EQ(readFile(dataFolder() + "korvane.XML"), "user edited");
    EXPECT_FALSE(std::filesystem::exists(dataFolder() + "Korvane.xml"));
    EXPECT_EQ(readFile(dataFolder() + "KORVANE.banner"), readFile(machine.moduleFolder + "Korvane.banner"));
    EXPECT_FALSE(std::filesystem::exists(dataFolder() + "Korvane.banner"));
}

TEST_F(Startup, TrustedPaths) {
    const std::string key = acdbHostUserProductRegistryRootKey() + "\\Profiles\\<<Unnamed Profile>>\\Variables";
    setVar("CPROFILE", "<<Unnamed Profile>>");

    // Already named, in another letter case and without the trailing separator: left alone.
    std::string folder = machine.moduleFolder;
    folder.pop_back();
    std::string upper;
    for (char c : folder) upper += char(std::toupper(static_cast<unsigned char>(c)));
    regSet(HKEY_CURRENT_USER, key, "TRUSTEDPATHS", "/opt/x;" + upper);
    start();
    EXPECT_EQ(regText(HKEY_CURRENT_USER, key, "TRUSTEDPATHS"), "/opt/x;" + upper);
    unload();

    regSet(HKEY_CURRENT_USER, key, "TRUSTEDPATHS", "");
    start();
    EXPECT_EQ(regText(HKEY_CURRENT_USER, key, "TRUSTEDPATHS"), machine.moduleFolder);
    unload();

    regSet(HKEY_CURRENT_USER, key, "TRUSTEDPATHS", "/opt/x");
    start();
    EXPECT_EQ(regText(HKEY_CURRENT_USER, key, "TRUSTEDPATHS"), "/opt/x;" + machine.moduleFolder);
}

TEST_F(Startup, HostVariables) {
    setVar("SDI", "1");
    setVar("ACADVER", "21.0s (LMS Tech)");
    setVar("FIBERWORLD", "0");
    start();
    EXPECT_NE(transcript.find("\n;warning : SDI = 1"), std::string::npos);
    EXPECT_TRUE(App().sdi);
    EXPECT_FALSE(App().fiber);
    EXPECT_EQ(App().hostYear, 2017);
    EXPECT_TRUE(acedRegCmds->lookupCmd("KV_CFG"));   // start-up otherwise completes
    unload();

    setVar("SDI", "0");
    setVar("ACADVER", "24.1s (LMS Tech)");
    transcript.clear();
    start();
    EXPECT_EQ(transcript.find("SDI = 1"), std::string::npos);
    EXPECT_EQ(App().hostYear, 0);
}

TEST_F(Startup, MissingThumbnailLibraryStopsStartup) {
    std::filesystem::remove(machine.moduleFolder + "Lumaret64.so");
    start();
    ASSERT_FALSE(sim::Desktop::get().shownBoxes().empty());
    EXPECT_EQ(sim::Desktop::get().shownBoxes().back().text, "file not find 'Lumaret64.DLL'");
    EXPECT_FALSE(acedRegCmds->lookupCmd("KV_SHOW"));
    EXPECT_EQ(KvSystemMenuItemsAdded(), 0);
}

TEST_F(Startup, WithoutAppDataTheDataFolderStaysEmpty) {
    sim::Desktop::get().setEnv("APPDATA", std::nullopt);
    start();
    EXPECT_EQ(App().dataFolder, "");
    EXPECT_TRUE(acedRegCmds->lookupCmd("KV_SHOW"));
}

TEST_F(Startup, SystemMenuWithOneMonitor) {
    start();
    auto texts = menuTexts(systemMenu());
    ASSERT_GE(texts.size(), 9u);
    const std::vector<std::string> expected = {"Open Only Current Document", "Save All", "Save All to Other Folder",
                                               "Save and Close All", "Don't Save and Close All", "---",
                                               "Save and Close All - Exit", "Don't Save and Close All - Exit", "---"};
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 9), expected);
    EXPECT_EQ(GetMenuItemID(systemMenu(), 0), 10024u);
    EXPECT_EQ(GetMenuItemID(systemMenu(), 4), 10025u);
    EXPECT_EQ(GetMenuItemID(systemMenu(), 7), 10028u);
}

TEST_F(Startup, SystemMenuWithThreeMonitors) {
    sim::desk::setMonitorCount(3);
    start();
    HMENU popup = GetSubMenu(systemMenu(), 0);
    ASSERT_NE(popup, nullptr);
    std::string title;
    GetMenuString(systemMenu(), 0, &title, MF_BYPOSITION);
    EXPECT_EQ(title, "Multi-monitor location");
    EXPECT_EQ(menuTexts(popup), (std::vector<std::string>{"Primary('\\\\.\\DISPLAY1', BitsPerPixel=32)",
                                                           "Slave('\\\\.\\DISPLAY2', BitsPerPixel=32)",
                                                           "Slave('\\\\.\\DISPLAY3', BitsPerPixel=32)"}));
    EXPECT_EQ(GetMenuItemID(popup, 2), 10033u);
    // The drawing view is on the first monitor: its entry is checked and greyed.
    EXPECT_EQ(GetMenuState(popup, 0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), MF_CHECKED | MF_GRAYED);
    EXPECT_EQ(GetMenuState(popup, 1, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);
    EXPECT_TRUE(GetMenuState(systemMenu(), 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(systemMenu(), 2), 10024u);

    // The monitor entries move the frame.
    PostMessage(acedGetAcadFrame(), WM_SYSCOMMAND, 10033, 0);
    sim::desk::WindowManager::get().pump();
    RECT r;
    GetWindowRect(acedGetAcadFrame(), &r);
    EXPECT_EQ(r.left, 3840);
    // The frame reports its move: the check follows the drawing view and the way back is open.
    EXPECT_EQ(GetMenuState(popup, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), MF_CHECKED | MF_GRAYED);
    EXPECT_EQ(GetMenuState(popup, 0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);

    PostMessage(acedGetAcadFrame(), WM_SYSCOMMAND, 10031, 0);
    sim::desk::WindowManager::get().pump();
    GetWindowRect(acedGetAcadFrame(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(GetMenuState(popup, 0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), MF_CHECKED | MF_GRAYED);
    EXPECT_EQ(GetMenuState(popup, 2, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED), 0u);
}

TEST_F(Startup, PackWithoutAnEntryLeavesItsMenuItemOut) {
    start();
    HMODULE pack = LoadLibrary(kvtest::binaryDir() + "/tests/core/no32824.dll");
    ASSERT_NE(pack, nullptr);
    KvRebuildStringTable(pack);
    EXPECT_EQ(KvResourceText(32824), "Empty");
    EXPECT_EQ(KvResourceText(32825), "Alles speichern");
    // What a start-up with this pack puts into the system menu.
    unload();
    KvProcessHook(module, 1);
    App().resourceModule = pack;
    KvEntryPoint(AcRx::kInitAppMsg, &appId);
    started = true;
    auto texts = menuTexts(systemMenu());
    EXPECT_EQ(texts[0], "Alles speichern");
    EXPECT_EQ(texts[1], "Alles in anderen Ordner speichern");
    EXPECT_EQ(GetMenuItemID(systemMenu(), 0), 10019u);
    FreeLibrary(pack);
}

TEST_F(Startup, StringTable) {
    start();
    EXPECT_EQ(KvResourceText(32824), "Open Only Current Document");
    EXPECT_EQ(KvLoadString(32808), "Error, can't parse 'korvane.xml', the file may be corrupt.");
    EXPECT_EQ(KvResourceText(1), "Empty");
    for (UINT id : KvStringTableIds()) EXPECT_EQ(KvResourceText(id).find("\\n"), std::string::npos) << id;
    unload();
    EXPECT_FALSE(KvStringTableExists());
    EXPECT_EQ(KvResourceText(32824), "Empty");
}

TEST_F(Startup, LispCallWithAnotherCodeRunsNothing) {
    start();
    std::vector<std::string> commands;
    sim::host::setEventListener([&](const std::string& name, const std::string& arg) {
        if (name == "commandWillStart") commands.push_back(arg);
    });
    // Outside a LISP call of ours the host reports no function code of ours.
    KvEntryPoint(AcRx::kInvkSubrMsg, &appId);
    EXPECT_TRUE(commands.empty());
    sim::host::setEventListener(nullptr);
}

TEST_F(Startup, SecondInitialiseCreatesNothingTwice) {
    const int own = GetMenuItemCount(systemMenu());
    start();
    const int items = GetMenuItemCount(systemMenu());
    KvEntryPoint(AcRx::kInitAppMsg, &appId);
    EXPECT_EQ(GetMenuItemCount(systemMenu()), items);
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
    unload();
    // Unload takes the entries out again: the menu is the frame's own.
    EXPECT_EQ(GetMenuItemCount(systemMenu()), own);
    EXPECT_FALSE(acedRegCmds->lookupCmd("KV_SHOW"));
}

}  // namespace
