// The one place for path splitting and for finding files by name the way the host's file system
// does (ignoring letter case). The port uses the platform's separator.
#pragma once
#include <optional>
#include <string>
#include <string_view>

inline constexpr char kPathSep = '/';

struct PathParts {
    std::string folder;      // drive and directory, ending with the separator (empty when none)
    std::string name;        // file name without extension
    std::string extension;   // with its dot, as written (".DWG")
};
PathParts SplitPath(std::string_view path);
// Folder of `path` with its trailing separator, empty when it has none.
std::string FolderOf(std::string_view path);
// File name with extension.
std::string FileNameOf(std::string_view path);
// `folder` ending with exactly one separator (empty stays empty).
std::string WithTrailingSeparator(std::string folder);

// The path of the entry in `folder` whose name equals `name` ignoring case (the exact spelling
// first), or nothing. A directory matches only when `wantDirectory`.
std::optional<std::string> FindFileNoCase(const std::string& folder, const std::string& name,
                                          bool wantDirectory = false);
