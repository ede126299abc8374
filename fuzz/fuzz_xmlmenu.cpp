// The menu file reader and the menu built from it, on arbitrary bytes. The menu calls land in a
// small recorder of its own (no desktop needed): whatever the text, nothing may crash, every leaf
// id must index its own label and command, ids run without gaps from the first id, separators
// take their slot, and submenus never nest deeper than the bound.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "arx/docman.h"
#include "uikit/xmlmenu.h"
#include "win/menu.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Item {
    UINT flags;
    UINT_PTR id;
    std::string text;
};
std::map<std::uintptr_t, std::vector<Item>> g_menus;
std::uintptr_t g_next = 0x1000;

// Walks a recorded menu: every leaf's id indexes the arrays with its label; counts the slots seen.
void Walk(const CXmlMenu& menu, std::uintptr_t handle, int depth, unsigned& expectedId) {
    Check(depth <= CXmlMenu::kMaxDepth);
    for (const Item& it : g_menus.at(handle)) {
        if (it.flags & MF_POPUP) {
            Walk(menu, it.id, depth + 1, expectedId);
            continue;
        }
        if (it.flags & MF_SEPARATOR) {
            // A separator's slot is the next one; its label is the separator mark.
            Check(menu.Holds(expectedId));
            ++expectedId;
            continue;
        }
        Check(it.id == expectedId);
        Check(menu.Holds(UINT(it.id)));
        Check(menu.Labels()[it.id - menu.FirstId()] == it.text);
        ++expectedId;
    }
}

}  // namespace

HMENU CreatePopupMenu() {
    const std::uintptr_t h = g_next++;
    g_menus[h];
    return reinterpret_cast<HMENU>(h);
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, const std::string& text) {
    auto it = g_menus.find(reinterpret_cast<std::uintptr_t>(menu));
    Check(it != g_menus.end());
    if (flags & MF_POPUP) Check(g_menus.count(id) == 1);
    it->second.push_back({flags, id, text});
    return TRUE;
}

AcApDocManager* acDocManagerPtr() { return nullptr; }   // Run is never reached here

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_menus.clear();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CXmlMenu menu;
    HMENU root = CreatePopupMenu();
    menu.LoadText(root, text);

    Check(menu.Labels().size() == menu.Commands().size());
    Check(menu.NextId() == menu.FirstId() + menu.Labels().size());
    unsigned expectedId = menu.FirstId();
    Walk(menu, reinterpret_cast<std::uintptr_t>(root), 1, expectedId);
    Check(expectedId == menu.NextId());   // every slot belongs to exactly one item shown
    for (const std::string& c : menu.Commands()) Check(c.find_first_of("\r\n\t") == std::string::npos);
    Check(!menu.Holds(menu.NextId()) && !menu.Holds(menu.FirstId() - 1));

    // Loading again starts afresh.
    g_menus.clear();
    menu.LoadText(CreatePopupMenu(), "<m><a>x</a></m>");
    Check(menu.Commands().size() == 1 && menu.Commands()[0] == "x");
    return 0;
}
