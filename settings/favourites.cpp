// Entries of the favourites and templates lists, and merging a list with another host's.
#include "settings/favourites.h"

#include "core/listmerge.h"

std::string KvEntryPath(const std::string& entry) { return entry.substr(0, entry.find(';')); }
std::string KvEntryTitle(const std::string& entry) {
    const auto p = entry.find(';');
    return p == std::string::npos ? std::string() : entry.substr(p + 1);
}
std::string KvMakeEntry(const std::string& path, const std::string& title) { return path + ";" + title; }

std::vector<std::string> KvMergeEntryLists(const std::vector<std::string>& base, const std::vector<std::string>& mine,
                                           const std::vector<std::string>& theirs) {
    return KvMergeLists(base, mine, theirs, [](const std::string& entry) { return KvEntryPath(entry); });
}
