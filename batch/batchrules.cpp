#include "batch/batchrules.h"

#include <cstdlib>
#include "core/files.h"
#include "core/text.h"

std::string KvFormatScriptList(const std::vector<KvScriptEntry>& scripts) {
    std::string out;
    for (const auto& s : scripts) out += std::string(s.ticked ? "1" : "0") + "," + s.path + "\r\n";
    return out;
}

namespace {
// Calls `line` for every line of `text`, without its CR LF or LF.
template <class F>
void forEachLine(std::string_view text, F&& line) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view l = text.substr(start, end - start);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        line(l);
        start = end + 1;
    }
}
}   // namespace

std::vector<KvScriptEntry> KvParseScriptList(std::string_view text) {
    std::vector<KvScriptEntry> out;
    forEachLine(text, [&](std::string_view l) {
        const size_t comma = l.find(',');
        if (comma == std::string_view::npos || comma + 1 >= l.size()) return;
        const std::string tick(l.substr(0, comma));
        out.push_back({std::atoi(tick.c_str()) != 0, std::string(l.substr(comma + 1))});
    });
    return out;
}

std::string KvConcatenateScripts(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& t : texts) forEachLine(t, [&](std::string_view l) { (out += l) += "\r\n"; });
    return out;
}

std::optional<std::string> KvBuildBatchScript(const std::vector<std::string>& scriptPaths) {
    std::vector<std::string> texts;
    for (const auto& p : scriptPaths) {
        auto bytes = ReadFileBytes(p);
        if (!bytes) return std::nullopt;
        texts.push_back(std::move(*bytes));
    }
    return KvConcatenateScripts(texts);
}

std::string KvConsoleCommandLine(const std::string& consolePath, const std::string& drawing,
                                 const std::string& script) {
    // Windows reads the program up to the next quote, without escapes: the path is taken as it is.
    return "\"" + consolePath + "\" /i " + QuoteArgument(drawing) + " /s " + QuoteArgument(script);
}

std::vector<std::string> KvSplitFilePatterns(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view part = text.substr(start, end - start);
        const size_t first = part.find_first_not_of(' ');
        if (first != std::string_view::npos) {
            part = part.substr(first, part.find_last_not_of(' ') - first + 1);
            out.emplace_back(part);
        }
        start = end + 1;
    }
    return out;
}

bool KvMatchFilePattern(std::string_view pattern, std::string_view name) {
    const std::string p = FoldCase(pattern), n = FoldCase(name);
    // Iterative match with one backtracking point for the last "*" seen.
    size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (pi < p.size() && p[pi] == '?') {
            // "?" stands for one character, not one byte.
            ++ni;
            while (ni < n.size() && (static_cast<unsigned char>(n[ni]) & 0xC0) == 0x80) ++ni;
            ++pi;
        } else if (pi < p.size() && p[pi] == n[ni]) {
            ++ni;
            ++pi;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ++mark;
            while (mark < n.size() && (static_cast<unsigned char>(n[mark]) & 0xC0) == 0x80) ++mark;
            ni = mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

KvRunOutcome KvOutcomeOfExit(unsigned long exitCode) {
    return exitCode == 0 ? KvRunOutcome::Success : KvRunOutcome::Fail;
}

const char* KvRowStatusText(KvRowStatus status) {
    switch (status) {
    case KvRowStatus::Waiting: return "Waiting";
    case KvRowStatus::Ready: return "Ready";
    case KvRowStatus::Success: return "Success";
    case KvRowStatus::Fail: return "Fail";
    case KvRowStatus::Timeout: return "Timeout";
    case KvRowStatus::Exception: return "Exception";
    case KvRowStatus::IsOpen: return "IsOpend";
    }
    return "";
}

KvRowStatus KvRowStatusOf(KvRunOutcome outcome) {
    switch (outcome) {
    case KvRunOutcome::Success: return KvRowStatus::Success;
    case KvRunOutcome::Fail: return KvRowStatus::Fail;
    case KvRunOutcome::Timeout: return KvRowStatus::Timeout;
    }
    return KvRowStatus::Fail;
}

std::string KvLastWriteText(std::time_t when) {
    std::tm local{};
    if (const std::tm* t = std::localtime(&when)) local = *t;   // called on the user-interface thread only
    char buf[64];
    if (std::strftime(buf, sizeof buf, "%Y-%B-%d (%A)", &local) == 0) return {};
    return buf;
}
