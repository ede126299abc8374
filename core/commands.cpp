#include "core/commands.h"

#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "win/system.h"

namespace {

constexpr int kModal = ACRX_CMD_MODAL;
constexpr int kTransparent = ACRX_CMD_TRANSPARENT;
constexpr int kPickFirst = ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET;

void cmdAbout() {
    KvGuard("KorvaneAbout", [] { MessageBox(acedGetAcadFrame(), App().aboutText, "Korvane", MB_OK | MB_ICONINFORMATION); });
}

// Commands whose work belongs to subsystems that plug into this table as they arrive: until then
// the command exists, can be typed and does nothing.
void cmdPending() {}

void cmdClose() {}

}  // namespace

const std::vector<KvCommandDef>& KvCommandTable() {
    static const std::vector<KvCommandDef> table = {
        {"KV_SHOW", kPickFirst, cmdPending},
        {"KV_HIDE", kPickFirst, cmdPending},
        {"KV_ABOUT", kPickFirst, cmdAbout},
        {"KV_SCRIPT", kTransparent, cmdPending},
        {"KV_CLOSE", kPickFirst, cmdClose},
        {"KV_CFG", kPickFirst, cmdPending},
        {"KV_LOPEN", kModal, cmdPending},
        {"KV_LCLOSE", kModal, cmdPending},
        {"KV_WOPEN", kModal, cmdPending},
        {"KV_WSAVE", kModal, cmdPending},
        {"KV_WSAVEAS", kModal, cmdPending},
        {"KV_WINSERT", kModal, cmdPending},
        {"KV_WPLUGIN", kTransparent, cmdPending},
        {"KV_COMMANDLOOP", kTransparent, cmdPending},
        {"KV_OPENCURFOLDER", kModal, cmdPending},
        {"KV_LINKFOLDEROPEN", kModal, cmdPending},
        {"KV_CAKEDWG", kModal, cmdPending},
        {"KV_BSCRIPT", kTransparent, cmdPending},
        {"KV_OPEN", kTransparent, cmdPending},
    };
    return table;
}

void KvRegisterCommands() {
    for (const auto& c : KvCommandTable())
        acedRegCmds->addCommand(kCommandGroup, c.name, c.name, c.flags, c.handler, nullptr, -1, nullptr);
}

void KvRemoveCommands() { acedRegCmds->removeGroup(kCommandGroup); }
