// The batch runner's rules that need no window: the script list file, the generated script, the
// console's command line, the folder scan's patterns, the outcome of one console run and the texts
// of the drawing list.
#pragma once
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ---- Script list file ("Korvane.mscript") ------------------------------------------------------------
struct KvScriptEntry {
    bool ticked = false;
    std::string path;
    bool operator==(const KvScriptEntry&) const = default;
};
// One line per script: the tick as 0 or 1, a comma, the full path. Lines end in CR LF.
std::string KvFormatScriptList(const std::vector<KvScriptEntry>& scripts);
// Each line is split at its first comma; a line without one, or without a path, is skipped. Any
// number other than 0 before the comma counts as ticked. CR LF and LF line ends are both read.
std::vector<KvScriptEntry> KvParseScriptList(std::string_view text);

// ---- Generated script --------------------------------------------------------------------------------
// The concatenation of the scripts' texts, line by line, each line ended by CR LF (a last line
// without its line end gets one, so the next script's first command stays a command of its own).
std::string KvConcatenateScripts(const std::vector<std::string>& texts);
// The same from the files: nothing when one of them cannot be read.
std::optional<std::string> KvBuildBatchScript(const std::vector<std::string>& scriptPaths);

// ---- The console's command line ---------------------------------------------------------------------
// The program path in quotes (an unquoted path with blanks could start another program), then
// "/i", the drawing, "/s" and the script, each quoted by the C runtime's rules so that no file
// name, whatever it holds, reaches the console as more than one argument.
std::string KvConsoleCommandLine(const std::string& consolePath, const std::string& drawing, const std::string& script);

// ---- Folder scan --------------------------------------------------------------------------------
// The File type text split at ";", each part trimmed of blanks, empty parts left out.
std::vector<std::string> KvSplitFilePatterns(std::string_view text);
// The file-system pattern rule: "*" any run, "?" any one character, letter case ignored.
bool KvMatchFilePattern(std::string_view pattern, std::string_view name);

// ---- One console run --------------------------------------------------------------------------------
enum class KvRunOutcome { Success, Fail, Timeout };
// A console process still running after twenty minutes is ended.
constexpr std::uint64_t kKvRunTimeoutMs = 20 * 60 * 1000;
// Console programs a run may keep going at the same time (the dialog's "At once" box).
constexpr int kKvMaxAtOnce = 16;
// The outcome of a console process that ended with `exitCode`: a program that reports a failure
// through its exit code failed.
KvRunOutcome KvOutcomeOfExit(unsigned long exitCode);

// ---- Drawing list texts ---------------------------------------------------------------------------
enum class KvRowStatus { Waiting, Ready, Success, Fail, Timeout, Exception, IsOpen };
const char* KvRowStatusText(KvRowStatus status);
KvRowStatus KvRowStatusOf(KvRunOutcome outcome);
// The last write time as the list shows it: "%Y-%B-%d (%A)" in local time, e.g.
// "2026-December-07 (Monday)".
std::string KvLastWriteText(std::time_t when);
