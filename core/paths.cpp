#include "core/paths.h"

#include <filesystem>
#include <system_error>
#include "core/text.h"

namespace fs = std::filesystem;

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    size_t slash = path.find_last_of(kPathSep);
    std::string_view file = path;
    if (slash != std::string_view::npos) {
        parts.folder = std::string(path.substr(0, slash + 1));
        file = path.substr(slash + 1);
    }
    size_t dot = file.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) {
        parts.name = std::string(file);
    } else {
        parts.name = std::string(file.substr(0, dot));
        parts.extension = std::string(file.substr(dot));
    }
    return parts;
}

std::string FolderOf(std::string_view path) { return SplitPath(path).folder; }

std::string FileNameOf(std::string_view path) {
    auto p = SplitPath(path);
    return p.name + p.extension;
}

std::string WithTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == kPathSep && folder[folder.size() - 2] == kPathSep) folder.pop_back();
    if (!folder.empty() && folder.back() != kPathSep) folder += kPathSep;
    return folder;
}

std::optional<std::string> FindFileNoCase(const std::string& folder, const std::string& name, bool wantDirectory) {
    std::error_code ec;
    const std::string dir = WithTrailingSeparator(folder);
    auto matches = [&](const fs::path& p) {
        return wantDirectory ? fs::is_directory(p, ec) : fs::is_regular_file(p, ec);
    };
    fs::path exact = fs::path(dir.empty() ? "." : dir) / name;
    if (matches(exact)) return dir + name;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name) && matches(it->path())) return dir + entry;
    }
    return std::nullopt;
}
