#include "core/strings.h"

#include <memory>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "res/resource.h"
#include "win/module.h"
#include "win/system.h"

namespace {

std::unique_ptr<std::vector<_MyWordList>> g_table;

std::vector<UINT> buildIdOrder() {
    std::vector<UINT> ids;
    auto range = [&](UINT a, UINT b) {
        for (UINT i = a; i <= b; ++i) ids.push_back(i);
    };
    range(32846, 32861);
    for (UINT id : {32820u, 32821u, 32904u, 32827u, 32824u, 32916u, 32828u, 32906u, 32907u, 32822u, 32905u,
                    32901u, 32873u, 32870u, 32882u, 32871u, 32872u, 32823u})
        ids.push_back(id);
    range(32829, 32832);
    ids.push_back(32884);
    range(32833, 32844);
    for (UINT id : {32825u, 32826u}) ids.push_back(id);
    range(32862, 32865);
    ids.push_back(32845);
    range(32875, 32881);
    range(32885, 32900);
    range(32908, 32911);
    for (UINT id : {32915u, 32917u}) ids.push_back(id);
    return ids;
}

std::string expandNewlines(std::string text) {
    for (size_t p = 0; (p = text.find("\\n", p)) != std::string::npos;) {
        text.replace(p, 2, "\n");
        ++p;
    }
    return text;
}

}  // namespace

const std::vector<UINT>& KvStringTableIds() {
    static const std::vector<UINT> ids = buildIdOrder();
    return ids;
}

bool KvCreateStringTable() {
    if (!g_table) {
        g_table = std::make_unique<std::vector<_MyWordList>>();
        g_table->reserve(10);
    }
    return g_table != nullptr;
}

void KvRebuildStringTable(HINSTANCE module) {
    if (!g_table) return;
    g_table->clear();
    KvGuard("ReadCfg", [&] {
        KvResourceScope scope(module);
        for (UINT id : KvStringTableIds()) {
            std::string text;
            // An id the module lacks stays out of the table, so that it reads as "Empty".
            if (LoadString(module, id, &text) > 0) g_table->push_back({id, expandNewlines(std::move(text))});
        }
    });
}

void KvDestroyStringTable() { g_table.reset(); }

bool KvStringTableExists() { return g_table != nullptr; }

std::string KvResourceText(UINT id) {
    if (g_table) {
        for (const auto& entry : *g_table)
            if (entry.id == id) return entry.text;
    }
    return "Empty";
}

std::string KvLoadString(UINT id) {
    HINSTANCE module = App().resourceModule;
    KvResourceScope scope(module);
    std::string text;
    if (LoadString(module, id, &text) <= 0) return "Empty";
    return expandNewlines(std::move(text));
}

void KvTellPackIncomplete() {
    // Once for each pack made current.
    static HINSTANCE told = nullptr;
    if (App().resourceModule == App().ownModule || App().resourceModule == told) return;
    told = App().resourceModule;
    std::string text = KvLoadString(IDS_LANGPACK_INCOMPLETE);
    if (KvIsEmptyText(text)) {
        KvResourceScope scope(App().ownModule);
        LoadString(App().ownModule, IDS_LANGPACK_INCOMPLETE, &text);
    }
    MessageBox(acedGetAcadFrame(), text, "Korvane", MB_OK | MB_ICONWARNING);
}
