// The simulated registry: the current-user and local-machine hives, each an SQLite file under
// the simulator's root ("<root>/registry/HKCU.sqlite" and "HKLM.sqlite"), or in memory when no
// root was opened (unit tests). The Win32-shaped functions of win/registry.h work on whatever is
// open; several host processes may share one root (write-ahead log, busy timeout, every write one
// transaction).
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim::registry {

// Opens (creating when needed) the hives under root. Any hives open before are closed first and
// every handle to them becomes invalid. False, with a reason, when a file cannot be opened.
bool open(const std::filesystem::path& root, std::string* error = nullptr);
// Fresh, empty hives in memory. Also what the first registry call gets when nothing was opened.
void openInMemory();
// Closes the hives; handles become invalid. The next registry call starts empty in-memory hives.
void close();
// The root folder of the open hives; empty in memory or when closed.
std::filesystem::path root();

// ".reg" text ("Windows Registry Editor Version 5.00") of one key and everything below it, named
// with its hive ("HKEY_CURRENT_USER\\SOFTWARE\\Stavlo", "HKCU\\..." also works), or of both hives
// when keyPath is empty. Nothing when the key does not exist or the name is not understood.
std::optional<std::string> exportReg(std::string_view keyPath = {});

struct ImportResult {
    int keys = 0;                      // keys created or deleted
    int values = 0;                    // values set or deleted
    std::vector<std::string> errors;   // one per rejected line: "line N: reason"
};
// Applies ".reg" text. A malformed line is reported and skipped; the others apply, all of them in
// one transaction per hive.
ImportResult importReg(std::string_view text);

}  // namespace sim::registry
