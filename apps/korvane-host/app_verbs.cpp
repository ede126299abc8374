#include "apps/korvane-host/app_verbs.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <vector>
#include <sstream>
#include "gfx/bitmap.h"
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"
#include "sim/registry/registry.h"
#include "win/module.h"
#include "win/registry.h"

namespace kvapp {
namespace {

using sim::script::Args;
using sim::script::Runner;
using sim::script::VerbError;

// "HKEY_CURRENT_USER\\Software\\X" or "HKCU\\Software\\X" into the root and the sub key.
std::pair<HKEY, std::string> splitKey(const std::string& path) {
    auto slash = path.find('\\');
    std::string hive = path.substr(0, slash);
    std::string rest = slash == std::string::npos ? "" : path.substr(slash + 1);
    if (hive == "HKEY_CURRENT_USER" || hive == "HKCU") return {HKEY_CURRENT_USER, rest};
    if (hive == "HKEY_LOCAL_MACHINE" || hive == "HKLM") return {HKEY_LOCAL_MACHINE, rest};
    throw VerbError("a key starts with HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE: " + path);
}

void regVerb(Runner&, const Args& a) {
    if (a.empty()) throw VerbError("usage: @reg export [KEY] | import FILE | set KEY NAME sz|dword VALUE");
    if (a[0] == "export") {
        auto text = sim::registry::exportReg(a.size() > 1 ? a[1] : "");
        if (!text) throw VerbError("no such key: " + a[1]);
        sim::Desktop::get().print(*text);
    } else if (a[0] == "import") {
        if (a.size() != 2) throw VerbError("usage: @reg import FILE");
        std::ifstream in(a[1], std::ios::binary);
        if (!in) throw VerbError("cannot read " + a[1]);
        std::stringstream text;
        text << in.rdbuf();
        auto result = sim::registry::importReg(text.str());
        for (const auto& e : result.errors) sim::Desktop::get().print("reg import: " + e + "\n");
        sim::Desktop::get().print("reg import: " + std::to_string(result.keys) + " keys, " +
                                  std::to_string(result.values) + " values\n");
    } else if (a[0] == "set") {
        if (a.size() != 5) throw VerbError("usage: @reg set KEY NAME sz|dword VALUE");
        auto [root, sub] = splitKey(a[1]);
        HKEY key = nullptr;
        if (RegCreateKeyEx(root, sub, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) throw VerbError("cannot create " + a[1]);
        LONG rc;
        if (a[3] == "dword") {
            DWORD v = DWORD(std::stoul(a[4], nullptr, 0));
            BYTE data[4] = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
            rc = RegSetValueEx(key, a[2], REG_DWORD, data, 4);
        } else if (a[3] == "sz") {
            rc = RegSetValueEx(key, a[2], REG_SZ, reinterpret_cast<const BYTE*>(a[4].c_str()), DWORD(a[4].size() + 1));
        } else {
            RegCloseKey(key);
            throw VerbError("type is sz or dword");
        }
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) throw VerbError("cannot write " + a[2]);
    } else {
        throw VerbError("unknown @reg action " + a[0]);
    }
}

// Calls an export of the loaded plug-in module.
template <class Fn, class... Args>
auto callPlugin(const char* name, Args... args) {
    auto modules = sim::host::loadedModules();
    if (modules.empty()) throw VerbError("the plug-in is not loaded");
    HMODULE module = LoadLibrary(modules.front());
    auto fn = module ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
    if (!fn) {
        if (module) FreeLibrary(module);
        throw VerbError(std::string("the loaded module has no ") + name);
    }
    auto result = fn(args...);
    FreeLibrary(module);
    return result;
}

// The text a listing export of the tab strip fills in (empty when it lists nothing), once what
// the last line posted has been handled.
std::string tabStripListing(const char* exportName) {
    sim::desk::WindowManager::get().pump();
    std::vector<char> out(1 << 20);
    const int count = callPlugin<int (*)(char*, int)>(exportName, out.data(), int(out.size()));
    if (count < 0) throw VerbError("the plug-in has no tab strip");
    return count == 0 ? std::string() : std::string(out.data());
}

void tabsVerb(Runner&, const Args& a) {
    if (!a.empty()) throw VerbError("usage: @tabs");
    const std::string tabs = tabStripListing("AcKvTabs");
    sim::Desktop::get().print(tabs.empty() ? "tabs: none\n" : tabs);
}

void markedVerb(Runner&, const Args& a) {
    if (!a.empty()) throw VerbError("usage: @marked");
    const std::string marked = tabStripListing("AcKvMarked");
    sim::Desktop::get().print("marked: " + (marked.empty() ? std::string("none") : marked) + "\n");
}

// Writes a text file (scripts for the batch runner, files that are no drawings); "\n" in the
// text stands for a line end.
void writeFileVerb(Runner&, const Args& a) {
    if (a.size() != 2) throw VerbError("usage: @write-file PATH TEXT");
    std::string text;
    for (size_t i = 0; i < a[1].size(); ++i) {
        if (a[1][i] == '\\' && i + 1 < a[1].size() && a[1][i + 1] == 'n') {
            text += '\n';
            ++i;
        } else {
            text += a[1][i];
        }
    }
    std::error_code ec;
    if (std::filesystem::path(a[0]).has_parent_path())
        std::filesystem::create_directories(std::filesystem::path(a[0]).parent_path(), ec);
    std::ofstream out(a[0], std::ios::binary);
    if (!(out << text)) throw VerbError("cannot write " + a[0]);
}

void glyphVerb(Runner& runner, const Args& a) {
    static const std::map<std::string, int> glyphs = {{"close", 1}, {"menu", 2}, {"link", 3}};
    if (a.size() != 2 || !glyphs.count(a[1])) throw VerbError("usage: @glyph N close|menu|link");
    int dx = 0, dy = 0;
    if (!callPlugin<int (*)(int, int, int*, int*)>("AcKvGlyphOffset", std::stoi(a[0]), glyphs.at(a[1]), &dx, &dy))
        throw VerbError("no tab " + a[0]);
    runner.runLine("@click " + a[0] + " at=" + std::to_string(dx) + "," + std::to_string(dy));
}

void linkVerb(Runner&, const Args& a) {
    if (a.size() != 1) throw VerbError("usage: @link PATH");
    const std::string path = std::filesystem::absolute(a[0]).lexically_normal().string();
    if (!callPlugin<int (*)(const char*)>("AcKvAddLink", path.c_str())) throw VerbError("no link tab was added");
}

// Reads (or writes, then reads) a setting through the loaded plug-in, as the plug-in sees it.
void settingVerb(Runner&, const Args& a) {
    if (a.empty() || a.size() > 2) throw VerbError("usage: @setting KEY [VALUE]");
    auto modules = sim::host::loadedModules();
    if (modules.empty()) throw VerbError("the plug-in is not loaded");
    HMODULE module = LoadLibrary(modules.front());
    using SettingFn = int (*)(const char*, const char*, char*, int);
    auto fn = module ? reinterpret_cast<SettingFn>(GetProcAddress(module, "AcKvSetting")) : nullptr;
    char value[1024] = {};
    const int found = fn ? fn(a[0].c_str(), a.size() == 2 ? a[1].c_str() : nullptr, value, sizeof value) : 0;
    if (module) FreeLibrary(module);
    if (!fn) throw VerbError("the loaded module has no settings entry");
    if (!found) throw VerbError("no setting is stored as '" + a[0] + "'");
    sim::Desktop::get().print("setting \"" + a[0] + "\" = " + value + "\n");
}

}  // namespace

void registerAppVerbs(Runner& runner, const sim::MachineLayout& machine) {
    runner.addVerb("setting", settingVerb, "@setting KEY [VALUE]");
    runner.addVerb("tabs", tabsVerb, "@tabs");
    runner.addVerb("marked", markedVerb, "@marked");
    runner.addVerb("write-file", writeFileVerb, "@write-file PATH TEXT");
    runner.addVerb("link", linkVerb, "@link PATH");
    runner.addVerb("glyph", glyphVerb, "@glyph N close|menu|link");
    runner.addVerb("reg", regVerb, "@reg export [KEY] | import FILE | set KEY NAME sz|dword VALUE");
    const std::string moduleFolder = machine.moduleFolder;
    runner.addVerb("thumb", [moduleFolder](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @thumb PATH");
        HMODULE lib = LoadLibrary(moduleFolder + "Lumaret64.DLL");
        if (!lib) throw VerbError("the thumbnail library is not in " + moduleFolder);
        using ThumbFn = HBITMAP (*)(const char*, unsigned int, int&);
        auto fn = reinterpret_cast<ThumbFn>(GetProcAddress(lib, "_Z19GetTumbnailFromFilePKcjRi"));
        if (!fn) {
            FreeLibrary(lib);
            throw VerbError("the thumbnail library has no thumbnail export");
        }
        int code = 0;
        HBITMAP bmp = fn(a[0].c_str(), 0, code);
        BITMAP info;
        if (bmp && GetObject(bmp, &info)) {
            sim::Desktop::get().print("thumb " + std::to_string(code) + " " + std::to_string(info.bmWidth) + "x" +
                                      std::to_string(info.bmHeight) + "\n");
            DeleteObject(bmp);
        } else {
            sim::Desktop::get().print("thumb " + std::to_string(code) + " none\n");
        }
        FreeLibrary(lib);
    }, "@thumb PATH");
}

}  // namespace kvapp
