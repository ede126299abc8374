#include "core/commands.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "arx/docman.h"
#include "hosting/dockbar.h"
#include "settings/settings.h"
#include "win/inet.h"
#include "win/system.h"

namespace {

constexpr int kModal = ACRX_CMD_MODAL;
constexpr int kTransparent = ACRX_CMD_TRANSPARENT;
constexpr int kPickFirst = ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET;

void cmdAbout() {
    KvGuard("KorvaneAbout", [] { MessageBox(acedGetAcadFrame(), App().aboutText, "Korvane", MB_OK | MB_ICONINFORMATION); });
}

// Shows or hides the bar through the frame, only when that changes something.
void showBar(bool show) {
    KvGuard(show ? "KorvaneShow" : "KorvaneHide", [show] {
        CKorvaneDialogBar* bar = KvDockBar();
        if (!bar || bar->IsVisible() == show) return;
        acedShowControlBar(bar, show, false);
        UpdateWindow(acedGetAcadFrame());
    });
}
void cmdShow() { showBar(true); }
void cmdHide() { showBar(false); }

// The web storage commands only check that the server answers; when it does not, web storage is
// switched off.
void webServerCheck() {
    KvGuard("KorvaneWebCheck", [] {
        char url[1200];
        std::snprintf(url, sizeof url, "http://%s:%d%s", GetSettingText(SettingId::ServerAddress).c_str(),
                      std::atoi(GetSettingText(SettingId::ServerPort).c_str()),
                      GetSettingText(SettingId::ServletObject).c_str());
        if (!InternetCheckConnection(url, FLAG_ICC_FORCE_CONNECTION, 0)) {
            acutPrintf("\n*** ;error : Cloudfold-Server not found. ***\n");
            SetSettingNumber(SettingId::CloudfoldUse, 0);
        }
    });
}

void openInApplicationContext(void* data) {
    std::unique_ptr<std::string> name(static_cast<std::string*>(data));
    KvGuard("kv_open", [&] {
        if (!acDocManager->isApplicationContext()) {
            AcApDocument* doc = acDocManager->curDocument();
            acutPrintf("\nERROR: in Document context : %s\n", doc ? doc->fileName().c_str() : "");
            return;
        }
        acDocManager->appContextOpenDocument(*name);
    });
}

void cmdOpen() {
    try {
        std::string name;
        if (acedGetString(1, "\nEnter name of drawing to open ", &name, 260) != RTNORM) {
            acutPrintf("\nInput cancel");
            return;
        }
        if (acDocManager->isApplicationContext()) {
            acDocManager->appContextOpenDocument(name);
        } else {
            acDocManager->executeInApplicationContext(openInApplicationContext, new std::string(name));
        }
    } catch (...) {
        acutPrintf("\nException error : kv_open");
    }
}

// Commands whose work belongs to subsystems that plug into this table as they arrive: until then
// the command exists, can be typed and does nothing.
void cmdPending() {}

void cmdClose() {}

}  // namespace

const std::vector<KvCommandDef>& KvCommandTable() {
    static const std::vector<KvCommandDef> table = {
        {"KV_SHOW", kPickFirst, cmdShow},
        {"KV_HIDE", kPickFirst, cmdHide},
        {"KV_ABOUT", kPickFirst, cmdAbout},
        {"KV_SCRIPT", kTransparent, cmdPending},
        {"KV_CLOSE", kPickFirst, cmdClose},
        {"KV_CFG", kPickFirst, cmdPending},
        {"KV_LOPEN", kModal, cmdPending},
        {"KV_LCLOSE", kModal, cmdPending},
        {"KV_WOPEN", kModal, webServerCheck},
        {"KV_WSAVE", kModal, webServerCheck},
        {"KV_WSAVEAS", kModal, webServerCheck},
        {"KV_WINSERT", kModal, webServerCheck},
        {"KV_WPLUGIN", kTransparent, webServerCheck},
        {"KV_COMMANDLOOP", kTransparent, cmdPending},
        {"KV_OPENCURFOLDER", kModal, cmdPending},
        {"KV_LINKFOLDEROPEN", kModal, cmdPending},
        {"KV_CAKEDWG", kModal, cmdPending},
        {"KV_BSCRIPT", kTransparent, cmdPending},
        {"KV_OPEN", kTransparent, cmdOpen},
    };
    return table;
}

void KvRegisterCommands() {
    for (const auto& c : KvCommandTable())
        acedRegCmds->addCommand(kCommandGroup, c.name, c.name, c.flags, c.handler, nullptr, -1, nullptr);
}

void KvRemoveCommands() { acedRegCmds->removeGroup(kCommandGroup); }
