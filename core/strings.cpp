#include "core/strings.h"

#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "res/resource.h"
#include "win/module.h"
#include "win/system.h"

namespace {

// Not an owner: the module's root owns the table and attaches it while loaded.
KvStringTable* g_table = nullptr;

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

void KvStringTable::Rebuild(HINSTANCE module) {
    entries_.clear();
    KvGuard("ReadCfg", [&] {
        KvResourceScope scope(module);
        for (UINT id : KvStringTableIds()) {
            std::string text;
            // An id the module lacks stays out of the table, so that it reads as "Empty".
            if (LoadString(module, id, &text) > 0) entries_.push_back({id, expandNewlines(std::move(text))});
        }
    });
}

std::string KvStringTable::Text(UINT id) const {
    for (const auto& entry : entries_)
        if (entry.id == id) return entry.text;
    return "Empty";
}

void KvAttachStringTable(KvStringTable& table) { g_table = &table; }

void KvDetachStringTable(const KvStringTable& table) {
    if (g_table == &table) g_table = nullptr;
}

void KvRebuildStringTable(HINSTANCE module) {
    if (g_table) g_table->Rebuild(module);
}

bool KvStringTableExists() { return g_table != nullptr; }

std::string KvResourceText(UINT id) { return g_table ? g_table->Text(id) : "Empty"; }

std::string KvLoadString(UINT id) {
    HINSTANCE module = App().resourceModule;
    KvResourceScope scope(module);
    std::string text;
    if (LoadString(module, id, &text) <= 0) return "Empty";
    return expandNewlines(std::move(text));
}

void KvTellPackIncomplete() {
    // Once for each pack made current (remembered by the table, which lives as long as the module).
    if (App().resourceModule == App().ownModule) return;
    if (g_table) {
        if (App().resourceModule == g_table->toldIncomplete) return;
        g_table->toldIncomplete = App().resourceModule;
    }
    std::string text = KvLoadString(IDS_LANGPACK_INCOMPLETE);
    if (KvIsEmptyText(text)) {
        KvResourceScope scope(App().ownModule);
        LoadString(App().ownModule, IDS_LANGPACK_INCOMPLETE, &text);
    }
    MessageBox(acedGetAcadFrame(), text, "Korvane", MB_OK | MB_ICONWARNING);
}
