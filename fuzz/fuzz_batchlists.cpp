// The batch runner's text readers on arbitrary input: the script list file must read without
// harm and, written back, read again to the same list; the file-type text splits into trimmed,
// non-empty patterns; the pattern matcher and the simulated desktop's command-line splitter take
// any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "batch/batchrules.h"
#include "sim/desk/process.h"

namespace {
void Check(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto list = KvParseScriptList(text);
    for (const auto& s : list) Check(!s.path.empty());
    // A list whose paths hold no line break survives a write and a read.
    bool plain = true;
    for (const auto& s : list) plain = plain && s.path.find_first_of("\r\n") == std::string::npos;
    if (plain) Check(KvParseScriptList(KvFormatScriptList(list)) == list);

    for (const auto& p : KvSplitFilePatterns(text)) {
        Check(!p.empty() && p.front() != ' ' && p.back() != ' ' && p.find(';') == std::string::npos);
    }

    const size_t cut = size / 2;
    KvMatchFilePattern(text.substr(0, cut), text.substr(cut));
    Check(KvMatchFilePattern("*", text.substr(cut)));

    for (const auto& a : sim::desk::splitArguments(text)) Check(a.size() <= size);
    const auto token = sim::desk::programToken(text);
    Check(token.rest <= size);
    return 0;
}
