#include "core/paths.h"

#include <algorithm>
#include <filesystem>

#include "core/text.h"

PathParts SplitPath(std::string_view path) {
    PathParts parts;
    const size_t sep = path.rfind(kPathSeparator);
    std::string_view file = path;
    if (sep != std::string_view::npos) {
        parts.folder = std::string(path.substr(0, sep + 1));
        file = path.substr(sep + 1);
    }
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        parts.name = std::string(file);
    } else {
        parts.name = std::string(file.substr(0, dot));
        parts.extension = std::string(file.substr(dot));
    }
    return parts;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != kPathSeparator) out += kPathSeparator;
    out += name;
    return out;
}

std::optional<std::string> FindFileNoCase(std::string_view folder, std::string_view name) {
    namespace fs = std::filesystem;
    if (name.empty() || name.find(kPathSeparator) != std::string_view::npos) return std::nullopt;
    std::error_code ec;
    const std::string exact = JoinPath(folder, name);
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (EqualsNoCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    if (!best) return std::nullopt;
    return JoinPath(folder, *best);
}

std::vector<std::string> FindDrawingsBelow(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code ec;
    // The name is looked at first: it needs no call to the file system, and most entries of a
    // large tree are no drawings.
    constexpr std::string_view kExtension = ".dwg";
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string& path = it->path().native();
        if (path.size() <= kExtension.size() || path[path.size() - kExtension.size() - 1] == kPathSeparator ||
            !EqualsNoCase(std::string_view(path).substr(path.size() - kExtension.size()), kExtension))
            continue;
        if (it->is_regular_file(ec)) found.push_back(path);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string FolderOf(std::string_view path) { return SplitPath(path).folder; }

std::string WithTrailingSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator) folder += kPathSeparator;
    return folder;
}

std::vector<std::string> SplitSelectedFiles(const std::vector<char>& buffer) {
    std::vector<std::string> parts;
    for (size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
        size_t end = at;
        while (end < buffer.size() && buffer[end] != '\0') ++end;
        parts.emplace_back(&buffer[at], end - at);
        at = end + 1;
    }
    if (parts.size() <= 1) return parts;
    std::vector<std::string> paths;
    for (size_t i = 1; i < parts.size(); ++i) paths.push_back(WithTrailingSeparator(parts[0]) + parts[i]);
    return paths;
}
