// Favourites and drawing templates are kept as entries "path;title": the part before the first
// ";" is the file, the rest the name shown (empty when there is none).
#pragma once
#include <string>
#include <vector>

std::string KvEntryPath(const std::string& entry);
std::string KvEntryTitle(const std::string& entry);
std::string KvMakeEntry(const std::string& path, const std::string& title);

// The list to store when this host changed `mine` from `base` (the list as it last read or wrote
// it) while another host may have stored `theirs` in between: this host's list, less the entries
// the other host removed and this one kept unchanged, plus the entries the other host added. An
// entry is known by its path (letter case aside); for an entry both have, this host's wins.
std::vector<std::string> KvMergeEntryLists(const std::vector<std::string>& base, const std::vector<std::string>& mine,
                                           const std::vector<std::string>& theirs);
