// Registry editor export files (".reg", "Windows Registry Editor Version 5.00"): parsing into
// operations and formatting of keys and values. Pure text work; the hives apply the operations.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim::registry {

enum class Hive { CurrentUser, LocalMachine };

struct RegOp {
    enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind = CreateKey;
    Hive hive = Hive::CurrentUser;
    std::string path;                 // below the hive, segments joined by backslashes
    std::string name;                 // value name; empty for the default value ("@")
    std::uint32_t type = 0;           // REG_SZ, REG_DWORD, REG_BINARY or another type number
    std::vector<std::uint8_t> data;   // REG_SZ: UTF-8 with its terminating zero
    int line = 0;                     // where it was written (1-based)
};

struct RegParse {
    std::vector<RegOp> ops;
    std::vector<std::string> errors;   // "line N: reason"; a bad line is skipped, the rest applies
};

// Accepts UTF-8 (with or without a byte-order mark) and UTF-16LE with its byte-order mark, as
// the registry editor writes it; CR LF or LF line ends; "REGEDIT4" as well as the 5.00 header.
RegParse parseRegText(std::string_view text);

// "HKEY_CURRENT_USER" / "HKEY_LOCAL_MACHINE" (and HKCU / HKLM on input).
const char* hiveName(Hive hive);
bool parseHiveName(std::string_view name, Hive* hive);

constexpr const char* kRegHeader = "Windows Registry Editor Version 5.00";
constexpr const char* kRegEol = "\r\n";

// `"name"=...` (or `@=...`) for one value, ending with the line end. Texts that the quoted form
// cannot carry (line breaks, inner zeros, a missing terminator) are written as hex(1).
std::string formatRegValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data);
// `[HKEY_...\path]` with the line end.
std::string formatRegKey(Hive hive, std::string_view path);

}  // namespace sim::registry
