// Text helpers shared by the plug-in. Text is UTF-8.
#pragma once
#include <string>
#include <string_view>

// Compares as the host's file system compares names: letter case ignored, by simple Unicode case
// folding (Latin, Greek, Cyrillic, Armenian and full-width letters, among others). Bytes that are
// not valid UTF-8 compare as themselves.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The folded form used by EqualsNoCase, for keys of maps and sets.
std::string FoldCase(std::string_view text);

// Length in characters (code points) and a run of characters, for limits the user counts in letters.
size_t CharCount(std::string_view text);
std::string_view CharSubstr(std::string_view text, size_t first, size_t count);

// One argument of a Windows command line, quoted so that the C runtime's parser gives it back as
// it stands: always between double quotes, a quote inside escaped with a backslash, and the
// backslashes before a quote (or before the closing quote) doubled. Nothing in the argument can
// end it early or start another argument.
std::string QuoteArgument(std::string_view argument);
