// Paths of the plug-in's files. The port uses the platform's separator wherever the Windows
// program uses a backslash; file names match without regard to letter case, as on the host's
// file system, so every lookup of a file in the plug-in's folders goes through FindFileNoCase.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr char kPathSeparator = '/';

struct PathParts {
    std::string folder;      // with its trailing separator; empty when the path has none
    std::string name;        // file name without the extension
    std::string extension;   // from the last dot of the file name, dot included; may be empty
};
PathParts SplitPath(std::string_view path);

// folder and name joined by one separator (none added when folder is empty or already ends in one).
std::string JoinPath(std::string_view folder, std::string_view name);

// The path of the entry in folder whose name equals name without regard to letter case (the exact
// spelling first when it exists; among several others, the first in byte order). Empty folder:
// the current folder, and the result is the bare entry name. Nothing when there is none.
std::optional<std::string> FindFileNoCase(std::string_view folder, std::string_view name);

// The drawing files (".dwg" in any letter case) in `folder` and every folder below it, in byte
// order of their paths. Folders that cannot be read are passed over.
std::vector<std::string> FindDrawingsBelow(const std::string& folder);

// Folder of `path` with its trailing separator; empty when it has none.
std::string FolderOf(std::string_view path);
// `folder` ending with one separator (an empty folder stays empty).
std::string WithTrailingSeparator(std::string folder);

// The paths an open-file dialog that allows several files wrote into its name buffer: one full
// path, or the folder followed by the names, each ended by a NUL, the list by a second NUL.
std::vector<std::string> SplitSelectedFiles(const std::vector<char>& buffer);
