// Favourites and drawing templates are kept as entries "path;title": the part before the first
// ";" is the file, the rest the name shown (empty when there is none).
#pragma once
#include <string>
#include <vector>

std::string KvEntryPath(const std::string& entry);
std::string KvEntryTitle(const std::string& entry);
std::string KvMakeEntry(const std::string& path, const std::string& title);

// The favourites or templates list to store, merged with what another host stored since `base`
// was read (see KvMergeLists); an entry is known by its path.
std::vector<std::string> KvMergeEntryLists(const std::vector<std::string>& base, const std::vector<std::string>& mine,
                                           const std::vector<std::string>& theirs);
