#include "core/wiring/commands.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "arx/aced.h"
#include "batch/batchdlg.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "arx/docman.h"
#include "core/paths.h"
#include "core/resource_scope.h"
#include "core/text.h"
#include "core/wiring/module.h"
#include "hosting/dockbar.h"
#include "hosting/striphost.h"
#include "settings/options.h"
#include "menus/combine.h"
#include "menus/docops.h"
#include "menus/tabmenus.h"
#include "hosting/features.h"
#include "uikit/pickers.h"
#include "win/dialog.h"
#include "win/shell.h"
#include "settings/settings.h"
#include "win/inet.h"
#include "win/system.h"

namespace {

constexpr int kModal = ACRX_CMD_MODAL;
constexpr int kTransparent = ACRX_CMD_TRANSPARENT;
constexpr int kPickFirst = ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET;

void cmdAbout() {
    KvGuard("KorvaneAbout",
            [] { MessageBox(acedGetAcadFrame(), App().aboutText, "Korvane", MB_OK | MB_ICONINFORMATION); });
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

void cmdLinkOpen() {
    KvGuard("KorvaneLinkOpen", [] {
        KvModule* module = KvTheModule();
        if (!module) return;
        KvOpenFilesRequest request;
        request.owner = acedGetAcadFrame();
        request.filter = kKvDrawingFilter;
        request.startFolder = module->lastLinkFolder;
        request.bufferBytes = 2560002;
        request.maxFile = 5000;
        const std::vector<std::string> paths = KvPickOpenFiles(request);
        for (const auto& path : paths) KvTabPanel().InsertLinkDrawing(path);
        if (!paths.empty()) module->lastLinkFolder = FolderOf(paths.back());
    });
}

void cmdLinkClose() {
    KvGuard("KorvaneLinkClose", [] {
        KvFeatureObjects* features = KvFeatures();
        if (!features || GetSettingNumber(SettingId::LinkTabClose) == 0) return;
        AcKvUiTabPanel& panel = features->panel;
        AcKvUiTabCtrl& tab = panel.TabCtrl();
        for (int i = tab.GetItemCount() - 1; i >= 0; --i)
            if (CItemData* item = tab.GetItem(i); item && item->isLink) panel.DeleteDrawing(item);
    });
}

void cmdCommandLoop() {
    KvGuard("KorvaneCommandLoop", [] {
        if (KvTabOperations* operations = KvStripOperations()) operations->OnCommandLoop(acDocManager->curDocument());
    });
}

void cmdOpenCurrentFolder() {
    KvGuard("KorvaneOpenCurrentFolder", [] {
        const std::string path =
            KvGetVarText("DWGTITLED") == "1" ? KvGetVarText("DWGPREFIX") + KvGetVarText("DWGNAME") : App().dataFolder;
        const size_t cut = path.find_last_of(kPathSeparator);
        if (cut == std::string::npos) return;
        ShellExecute(acedGetAcadFrame(), "explore", path.substr(0, cut), "", "", SW_SHOWNORMAL);
    });
}

void cmdLinkFolderOpen() {
    KvGuard("KorvaneLinkFolderOpen", [] {
        KvModule* module = KvTheModule();
        if (!module) return;
        std::string folder = KvPickFolder(acedGetAcadFrame(), "Please select the folder.", module->lastLinkFolderPick);
        if (folder.empty()) return;
        module->lastLinkFolderPick = folder;
        folder = WithTrailingSeparator(folder);
        const std::vector<std::string> drawings = FindDrawingsBelow(folder);
        acedSetStatusBarProgressMeter("Links open in drawing...", 0, int(drawings.size()));
        for (size_t i = 0; i < drawings.size(); ++i) {
            KvTabPanel().InsertLinkDrawing(drawings[i]);
            acedSetStatusBarProgressMeterPos(int(i + 1));
        }
        acedRestoreStatusBar();
    });
}

void cmdScript() {
    KvGuard("KorvaneScript", [] {
        KvTabMenus* menus = KvStripMenus();
        if (!menus) return;
        if (!menus->pendingScripts.empty()) {
            menus->scriptPath = menus->pendingScripts.front();
            menus->pendingScripts.pop_front();
        }
        const std::string path = menus->scriptPath;
        // Without fibers the command must be issued as a coroutine.
        if (!App().fiber) {
            acedCommandC(nullptr, nullptr, RTSTR, ".SCRIPT", RTSTR, path.c_str(), RTNONE);
        } else {
            acedCommandS(RTSTR, ".SCRIPT", RTSTR, path.c_str(), RTNONE);
        }
    });
}

void cmdConfig() {
    KvGuard("KorvaneConfig", [] {
        KvResourceScope scope(App().resourceModule, 2);
        KvModule* module = KvTheModule();
        if (!module || !KvShowOptionsDialog(acedGetAcadFrame(), KvTabStripSettings(), module->customColours)) return;
        KvApplySettingsToTabStrip();
    });
}

// The batch script dialog, modeless, made once and shown again on every call.
void cmdBatchScript() {
    KvGuard("KorvaneBatchScript", [] {
        KvResourceScope scope(App().resourceModule, 2);
        KvShowBatchDialog(GetDesktopWindow());
    });
}

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
    KvGuardLine("\nException error : kv_open", [] {
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
    });
}

void cmdClose() {}

}   // namespace

const std::vector<KvCommandDef>& KvCommandTable() {
    static const std::vector<KvCommandDef> table = {
        {"KV_SHOW", kPickFirst, cmdShow},
        {"KV_HIDE", kPickFirst, cmdHide},
        {"KV_ABOUT", kPickFirst, cmdAbout},
        {"KV_SCRIPT", kTransparent, cmdScript},
        {"KV_CLOSE", kPickFirst, cmdClose},
        {"KV_CFG", kPickFirst, cmdConfig},
        {"KV_LOPEN", kModal, cmdLinkOpen},
        {"KV_LCLOSE", kModal, cmdLinkClose},
        {"KV_WOPEN", kModal, webServerCheck},
        {"KV_WSAVE", kModal, webServerCheck},
        {"KV_WSAVEAS", kModal, webServerCheck},
        {"KV_WINSERT", kModal, webServerCheck},
        {"KV_WPLUGIN", kTransparent, webServerCheck},
        {"KV_COMMANDLOOP", kTransparent, cmdCommandLoop},
        {"KV_OPENCURFOLDER", kModal, cmdOpenCurrentFolder},
        {"KV_LINKFOLDEROPEN", kModal, cmdLinkFolderOpen},
        {"KV_CAKEDWG", kModal, KvInsertDrawings},
        {"KV_BSCRIPT", kTransparent, cmdBatchScript},
        {"KV_OPEN", kTransparent, cmdOpen},
    };
    return table;
}

void KvRegisterCommands() {
    for (const auto& c : KvCommandTable())
        acedRegCmds->addCommand(kCommandGroup, c.name, c.name, c.flags, c.handler, nullptr, -1, nullptr);
}

void KvRemoveCommands() {
    acedRegCmds->removeGroup(kCommandGroup);
    KvDestroyBatchDialog();
}
