// Fuzzes the PE resource reader: module headers, the resource tree, string blocks and version
// blocks. The input is tried both as a whole module and as a bare version block.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/pe/pe_resources.h"

using namespace sim::pe;

namespace {

void exerciseVersion(const VersionInfo& v) {
    (void)v.queryFixed("\\");
    (void)v.queryTranslations("\\VarFileInfo\\Translation");
    for (const StringTable& t : v.stringTables) {
        (void)v.queryString("\\StringFileInfo\\" + t.key + "\\ProductName");
        for (const auto& value : t.values) (void)v.queryString("\\StringFileInfo\\" + t.key + "\\" + value.first);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    if (auto v = parseVersionInfo(input)) exerciseVersion(*v);
    (void)utf16leToUtf8(input);

    auto m = ResourceModule::parse(std::vector<std::uint8_t>(data, data + size));
    if (!m) return 0;
    for (const ResourceEntry& e : m->entries()) {
        if (e.offset + e.size > m->bytes().size()) __builtin_trap();
        if (!e.type.isName && e.type.id == kRtString && !e.name.isName && e.name.id > 0) {
            std::uint32_t first = (std::uint32_t(e.name.id) - 1) * 16;
            for (std::uint32_t i = 0; i < 16; ++i) (void)m->loadString(first + i, e.language);
        }
        if (e.name.isName) (void)m->find(e.type.id, e.name.name);
    }
    for (std::uint16_t type : {kRtDialog, kRtMenu, kRtBitmap, kRtGroupCursor}) (void)m->find(type, 239);
    if (auto v = m->versionInfo()) exerciseVersion(*v);
    return 0;
}
