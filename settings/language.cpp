#include "settings/language.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/paths.h"
#include "core/registry.h"
#include "core/strings.h"
#include "core/text.h"
#include "res/resource.h"
#include "settings/settings.h"
#include "win/module.h"
#include "win/shell.h"
#include "win/system.h"
#include "win/window.h"

namespace {

namespace fs = std::filesystem;

// Not an owner: the module's root owns the state and attaches it for its life.
KvLanguageState* g_language = nullptr;

struct PackInfo {
    std::string path, productName, comments;
    std::uint64_t version = 0;
    bool readable = false;   // version resource, translation, names and fixed version all present
};

PackInfo readPack(const std::string& path) {
    PackInfo info;
    info.path = path;
    std::vector<BYTE> block;
    if (!GetFileVersionInfo(path, &block)) return info;
    std::vector<DWORD> translations;
    if (!VerQueryValue(block, "\\VarFileInfo\\Translation", &translations) || translations.empty()) return info;
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", unsigned(translations[0] & 0xFFFF),
                  unsigned(translations[0] >> 16));
    if (!VerQueryValue(block, std::string(prefix) + "ProductName", &info.productName)) return info;
    if (!VerQueryValue(block, std::string(prefix) + "Comments", &info.comments)) return info;
    VS_FIXEDFILEINFO fixed;
    if (!VerQueryValue(block, "\\", &fixed)) return info;
    info.version = (std::uint64_t(fixed.dwFileVersionMS) << 32) | fixed.dwFileVersionLS;
    info.readable = true;
    return info;
}

// Every "Korvane*.dll" in the plug-in's folder, letter case ignored as the host's file system does.
std::vector<std::string> packFiles() {
    std::vector<std::string> out;
    std::error_code ec;
    const std::string prefix = FoldCase("Korvane"), suffix = FoldCase(".dll");
    for (fs::directory_iterator it(App().moduleFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = FoldCase(it->path().filename().string());
        if (name.size() >= prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end());   // the same choice whatever order the folder lists
    return out;
}

void storeChoice(const std::string& language) {
    SetSettingText(SettingId::Language, language);
    CRegistry key(HKEY_CURRENT_USER);
    if (key.Create(App().settingsKey)) key.Write("Language", language);
}

void message(UINT id, const std::string& language = {}) {
    std::string text = KvLoadString(id);
    if (const size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, language);
    MessageBox(acedGetAcadFrame(), text, "Korvane", MB_OK | (id == IDS_LANGPACK_TOO_OLD ? MB_ICONERROR : 0));
}

void reloadInterface() {
    KvRebuildStringTable(App().resourceModule);
    if (g_language && g_language->reload) g_language->reload();
}

void freePack() {
    if (g_language && g_language->pack) {
        FreeLibrary(g_language->pack);
        g_language->pack = nullptr;
    }
    App().resourceModule = App().ownModule;
}

// Makes a loaded pack the current resource module; kept in the attached state so that it is freed.
bool usePack(HMODULE pack) {
    if (!pack) return false;
    if (!g_language) {
        FreeLibrary(pack);
        return false;
    }
    g_language->pack = pack;
    App().resourceModule = pack;
    return true;
}

}  // namespace

std::string KvLanguageChoice() {
    CRegistry key(HKEY_CURRENT_USER);
    std::string language;
    if (key.Open(App().settingsKey)) key.Read("Language", &language);
    if (language.empty()) language = GetSettingText(SettingId::Language);
    return language.empty() ? "English" : language;
}

KvPackChoice KvChoosePack(const std::string& language) {
    KvPackChoice choice;
    std::uint64_t highest = 0;
    bool seen = false;
    for (const std::string& path : packFiles()) {
        const PackInfo pack = readPack(path);
        if (!pack.readable || pack.productName != "Korvane LanguagePack") continue;
        if (pack.comments.find(language) == std::string::npos) continue;
        seen = true;
        if (pack.version > highest) {
            highest = pack.version;
            if (pack.version >= kKvMinimumPackVersion) choice.path = pack.path;
        }
    }
    choice.onlyTooOld = seen && highest < kKvMinimumPackVersion;
    if (choice.onlyTooOld) message(IDS_LANGPACK_TOO_OLD);
    return choice;
}

void LoadLanguageAtStartup(HINSTANCE ownModule) {
    App().ownModule = ownModule;
    const std::string language = KvLanguageChoice();
    if (language != "English") {
        const KvPackChoice choice = KvChoosePack(language);
        if (!usePack(choice.path.empty() ? nullptr : LoadLibrary(choice.path))) {
            message(IDS_LANGPACK_NOT_FOUND, language);
            storeChoice("English");
        }
    }
    KvRebuildStringTable(App().resourceModule);
}

std::vector<std::string> CollectLanguages() {
    std::set<std::string> names{"English"};
    for (const std::string& path : packFiles()) {
        const PackInfo pack = readPack(path);
        if (pack.readable && pack.productName == "Korvane LanguagePack" && !pack.comments.empty())
            names.insert(pack.comments);
    }
    return {names.begin(), names.end()};
}

void ApplyLanguageChoice(const std::string& selected) {
    if (selected.empty() || selected == KvLanguageChoice()) return;
    if (selected == "English") {
        storeChoice("English");
        freePack();
        reloadInterface();
        return;
    }
    const KvPackChoice choice = KvChoosePack(selected);
    if (choice.path.empty()) return;
    storeChoice(selected);
    freePack();
    usePack(LoadLibrary(choice.path));
    reloadInterface();
}

void KvFreeLanguagePack() { freePack(); }

bool KvLanguagePackLoaded() { return g_language && g_language->pack != nullptr; }

void KvAttachLanguage(KvLanguageState& state) { g_language = &state; }

void KvDetachLanguage(const KvLanguageState& state) {
    if (g_language == &state) g_language = nullptr;
}

std::string KvHelpFileName() {
    return GetSettingText(SettingId::Language) == "Korean" ? "KorvaneKr3.chm" : "KorvaneEn3.chm";
}

void OpenHelp(HWND owner) {
    KvGuard("OpenHelp", [&] {
        const std::string name = KvHelpFileName();
        std::string folder = App().moduleFolder;
        while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
        const std::string parent = FolderOf(folder);
        std::string found;
        if (acedFindFile(JoinPath(JoinPath(parent, "Windows"), name), &found) != RTNORM &&
            acedFindFile(App().moduleFolder + name, &found) != RTNORM)
            return;
        ShellExecute(owner, "open", found, "", "", SW_SHOWNORMAL);
    });
}
