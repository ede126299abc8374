// The plug-in's places: the product key in the registry, the per-user data folder, and the host's
// trust in the module folder.
#pragma once
#include <string>

inline constexpr const char* kProductKey = "SOFTWARE\\Stavlo\\Korvane";
inline constexpr const char* kProductVersion = "3.2";

// At process attach: finds or creates "CurVer" and the settings key; writes "tool_path" on first
// start. Returns the settings key path.
std::string KvRegistryBootstrap(const std::string& moduleFile);

// At start-up: creates "<APPDATA>/Stavlo/Korvane/" and places the shipped files in it. Returns the
// data folder with its trailing separator, or empty when APPDATA is not set.
std::string KvPrepareDataFolder(const std::string& moduleFolder);

// Copies the shipped file `name` from the module folder into the data folder, unless a copy is
// there and `replace` is false. The target keeps the spelling of a copy that is already there,
// since both spellings name one file on the host's file system; a failed copy leaves no half file.
void KvCopyShippedFile(const std::string& moduleFolder, const std::string& dataFolder, const std::string& name,
                       bool replace);

// Adds the module folder to the current profile's TRUSTEDPATHS unless it is there already.
// False only when the write failed.
bool KvTrustModuleFolder(const std::string& moduleFolder);
