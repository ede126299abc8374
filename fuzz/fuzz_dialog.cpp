// Fuzzes the dialog and menu template readers: the input is tried as a dialog template (both
// formats) and as a menu template (both formats).
#include <cstddef>
#include <cstdint>
#include <span>

#include "sim/desk/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    if (auto t = sim::desk::parseDialogTemplate(input)) {
        for (const auto& item : t->items) (void)item.className();
    }
    (void)sim::desk::parseMenuTemplate(input);
    return 0;
}
