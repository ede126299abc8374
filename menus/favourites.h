// Favourites and drawing templates are kept as entries "path;title": the part before the first
// ";" is the file, the rest the name shown (empty when there is none).
#pragma once
#include <string>

std::string KvEntryPath(const std::string& entry);
std::string KvEntryTitle(const std::string& entry);
std::string KvMakeEntry(const std::string& path, const std::string& title);
