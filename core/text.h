// The one place for case-insensitive comparison, following the host file system's rules
// (simple case folding).
#pragma once
#include <string>
#include <string_view>

// Folds UTF-8 text to lower case, code point by code point (ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic; other scripts have no case or stay as they are).
std::string FoldCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
// True when `needle` occurs in `haystack`, ignoring case.
bool ContainsNoCase(std::string_view haystack, std::string_view needle);
