#include "core/profile.h"

#include <filesystem>
#include <system_error>
#include "arx/aced.h"
#include "core/files.h"
#include "core/paths.h"
#include "core/registry.h"
#include "core/text.h"
#include "win/system.h"

namespace fs = std::filesystem;

std::string KvRegistryBootstrap(const std::string& moduleFile) {
    CRegistry product(HKEY_CURRENT_USER);
    std::string curVer;
    if (product.Open(kProductKey) && product.Read("CurVer", &curVer) && !curVer.empty()) {
        // A CurVer left by an earlier version keeps that version's settings key in use.
        std::string settingsKey = std::string(kProductKey) + "\\" + curVer;
        CRegistry settings(HKEY_CURRENT_USER);
        std::string toolPath;
        if (settings.Open(settingsKey)) settings.Read("tool_path", &toolPath);
        return settingsKey;
    }
    if (product.Create(kProductKey)) product.Write("CurVer", kProductVersion);
    std::string settingsKey = std::string(kProductKey) + "\\" + kProductVersion;
    CRegistry settings(HKEY_CURRENT_USER);
    if (settings.Create(settingsKey)) settings.Write("tool_path", FolderOf(moduleFile));
    return settingsKey;
}

void KvCopyShippedFile(const std::string& moduleFolder, const std::string& dataFolder, const std::string& name,
                       bool replace) {
    auto source = FindFileNoCase(moduleFolder, name);
    if (!source) return;
    auto existing = FindFileNoCase(dataFolder, name);
    if (existing && !replace) return;
    const std::string target = existing ? *existing : dataFolder + name;
    // Written in one step through a temporary file of this process's own, so that a failed copy
    // never leaves half a file behind and two hosts starting at once never write into each other's
    // copy. A copy made only when missing is never put over a file another host made meanwhile
    // (and may already have changed).
    const auto bytes = ReadFileBytes(*source);
    if (!bytes) return;
    if (replace) {
        WriteFileAtomic(target, *bytes);
    } else {
        WriteFileIfAbsent(target, *bytes);
    }
}

std::string KvPrepareDataFolder(const std::string& moduleFolder) {
    std::string appData;
    if (!GetEnvironmentVariable("APPDATA", &appData) || appData.empty()) return "";
    std::error_code ec;
    const std::string stavlo = WithTrailingSeparator(appData) + "Stavlo";
    const std::string korvane = stavlo + kPathSeparator + "Korvane";
    fs::create_directory(stavlo, ec);
    fs::create_directory(korvane, ec);
    const std::string dataFolder = WithTrailingSeparator(korvane);
    KvCopyShippedFile(moduleFolder, dataFolder, "Korvane.xml", false);
    KvCopyShippedFile(moduleFolder, dataFolder, "Korvane.banner", true);
    return dataFolder;
}

bool KvTrustModuleFolder(const std::string& moduleFolder) {
    std::string folder = FoldCase(moduleFolder);
    while (!folder.empty() && folder.back() == kPathSeparator) folder.pop_back();

    resbuf profile;
    if (acedGetVar("CPROFILE", &profile) != RTNORM) return true;
    const std::string key =
        acdbHostUserProductRegistryRootKey() + "\\Profiles\\" + profile.resval.rstring + "\\Variables";
    CRegistry reg(HKEY_CURRENT_USER);
    std::string value;
    if (!reg.Open(key) || !reg.Read("TRUSTEDPATHS", &value)) return true;
    if (FoldCase(value).find(folder) != std::string::npos) return true;
    const std::string updated = value.empty() ? moduleFolder : value + ";" + moduleFolder;
    return reg.Create(key) && reg.Write("TRUSTEDPATHS", updated);
}
