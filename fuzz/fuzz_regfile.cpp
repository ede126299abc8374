// Registry editor files: parsing never fails unsafely, and every value it yields, written back
// out, parses to the same value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/registry/regfile.h"

using namespace sim::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RegParse first = parseRegText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string text = std::string(kRegHeader) + kRegEol;
    std::size_t values = 0;
    for (const RegOp& op : first.ops) {
        if (op.kind != RegOp::SetValue) continue;
        text += formatRegKey(op.hive, op.path);
        text += formatRegValue(op.name, op.type, op.data);
        ++values;
    }
    const RegParse second = parseRegText(text);
    if (!second.errors.empty() || second.ops.size() != 2 * values) std::abort();
    std::size_t k = 1;
    for (const RegOp& op : first.ops) {
        if (op.kind != RegOp::SetValue) continue;
        const RegOp& back = second.ops[k];
        if (back.kind != RegOp::SetValue || back.hive != op.hive || back.path != op.path || back.name != op.name ||
            back.type != op.type || back.data != op.data)
            std::abort();
        k += 2;
    }
    return 0;
}
