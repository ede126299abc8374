// Whole-file reads and writes for the plug-in's own files (settings, menus, scripts).
#pragma once
#include <optional>
#include <string>
#include <string_view>

// The file's bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Replaces the file's content as one step: the bytes go to a new file beside it, which is then
// renamed over it, so that readers and a crash in the middle see the old file or the new one,
// never a truncated mix, and two writers (threads or processes) never interleave. The file keeps
// its name (letter case included) and its permissions; a symbolic link is followed. False, with
// the old file untouched, when the new one cannot be written.
bool WriteFileAtomic(const std::string& path, std::string_view bytes);
