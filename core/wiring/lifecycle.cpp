#include "core/wiring/lifecycle.h"

#include <filesystem>
#include <system_error>
#include "arx/aced.h"
#include "arx/docman.h"
#include "core/app_state.h"
#include "core/wiring/commands.h"
#include "core/wiring/document_events.h"
#include "core/wiring/filter.h"
#include "core/wiring/module.h"
#include "core/guard.h"
#include "core/hostvars.h"
#include "core/paths.h"
#include "core/profile.h"
#include "core/resource_scope.h"
#include "core/strings.h"
#include "core/thumbnails.h"
#include "gfx/gdiplus.h"
#include "doctrack/reactors.h"
#include "hosting/dockbar.h"
#include "menus/contextapp.h"
#include "menus/docops.h"
#include "res/resource.h"
#include "hosting/switcher.h"
#include "uikit/screen.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "win/menu.h"
#include "win/module.h"
#include "win/monitor.h"
#include "win/system.h"

namespace {

// The graphics library is started once per process attach, before any initialise message, and
// shut down at the last detach: the process hooks own it, not the module's root.
UINT_PTR g_gdiplusToken = 0;
int g_gdiplusCount = 0;

void kvTestHandler() { acedCommandS(RTSTR, "LINE", RTSTR, "0,0,0", RTSTR, "10,10,0", RTSTR, "", RTNONE); }

std::string monitorLabel(const MONITORINFOEX& info) {
    DEVMODE mode;
    EnumDisplaySettings(info.szDevice, ENUM_CURRENT_SETTINGS, &mode);
    char buf[160];
    std::snprintf(
        buf, sizeof buf,
        (info.dwFlags & MONITORINFOF_PRIMARY) ? "Primary('%s', BitsPerPixel=%d)" : "Slave('%s', BitsPerPixel=%d)",
        info.szDevice.c_str(), int(mode.dmBitsPerPel));
    return buf;
}

// The document entries start-up puts into the frame's system menu, in menu order: the label, the
// tab control's command, and whether a separator follows the entry.
struct SystemMenuEntry {
    UINT textId;
    UINT command;
    bool separatorAfter;
};
constexpr SystemMenuEntry kSystemMenuDocumentEntries[] = {
    {IDS_OPEN_ONLY_CURRENT, ID_KV_ONLY_CURRENT, false},
    {IDS_SAVE_ALL, ID_KV_SAVEALL, false},
    {IDS_SAVE_ALL_TO_FOLDER, ID_KV_OTHER_FOLDER_SAVEALL, false},
    {IDS_SAVE_CLOSE_ALL, ID_KV_CLOSE_ALL, false},
    {IDS_NOSAVE_CLOSE_ALL, ID_KV_NOSAVE_CLOSE_ALL, true},
    {IDS_SAVE_CLOSE_ALL_EXIT, ID_KV_CLOSE_ALL_EXIT, false},
    {IDS_NOSAVE_CLOSE_ALL_EXIT, ID_KV_NOSAVE_CLOSE_ALL_EXIT, true},
};

}   // namespace

int KvAddSystemMenuEntries() {
    HMENU sys = GetSystemMenu(acedGetAcadFrame(), FALSE);
    if (!sys) return 0;
    UINT pos = 0;
    const int before = GetMenuItemCount(sys);

    const std::vector<HMONITOR> monitors = KvMonitors();
    const std::string monitorTitle = KvResourceText(IDS_MULTI_MONITOR);
    if (monitors.size() >= 2 && !KvIsEmptyText(monitorTitle)) {
        HMENU popup = CreatePopupMenu();
        InsertMenu(sys, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), monitorTitle);
        HMONITOR viewMonitor = MonitorFromWindow(acedGetAcadDwgView(), MONITOR_DEFAULTTONEAREST);
        for (size_t i = 0; i < monitors.size(); ++i) {
            MONITORINFOEX info;
            GetMonitorInfo(monitors[i], &info);
            UINT flags = MF_BYPOSITION | MF_STRING;
            if (monitors[i] == viewMonitor) flags |= MF_CHECKED | MF_GRAYED;
            InsertMenu(popup, UINT(i), flags, kCmdFirstMonitor + i, monitorLabel(info));
        }
        InsertMenu(sys, 1, MF_BYPOSITION | MF_SEPARATOR, 0, "");
        pos = 2;
    }

    auto add = [&](UINT textId, UINT command) {
        const std::string text = KvResourceText(textId);
        if (KvIsEmptyText(text)) return false;
        InsertMenu(sys, pos++, MF_BYPOSITION | MF_STRING, command, text);
        return true;
    };
    auto separator = [&] { InsertMenu(sys, pos++, MF_BYPOSITION | MF_SEPARATOR, 0, ""); };

    for (const SystemMenuEntry& e : kSystemMenuDocumentEntries)
        if (add(e.textId, e.command) && e.separatorAfter) separator();
    return GetMenuItemCount(sys) - before;
}

void KvRemoveSystemMenuEntries(int& added) {
    HMENU sys = GetSystemMenu(acedGetAcadFrame(), FALSE);
    if (sys) {
        for (int i = 0; i < added; ++i) DeleteMenu(sys, 0, MF_BYPOSITION);
    }
    added = 0;
}

int KvSystemMenuItemsAdded() {
    const KvModule* module = KvTheModule();
    return module ? module->systemMenuItems : 0;
}

bool KvIsSystemMenuDocumentCommand(UINT command) {
    for (const SystemMenuEntry& e : kSystemMenuDocumentEntries)
        if (e.command == command) return true;
    return false;
}

void KvCheckSystemMenuMonitor() {
    const std::vector<HMONITOR> monitors = KvMonitors();
    if (monitors.size() < 2) return;
    HMONITOR view = MonitorFromWindow(acedGetAcadDwgView(), MONITOR_DEFAULTTONEAREST);
    HMENU popup = GetSubMenu(GetSystemMenu(acedGetAcadFrame(), FALSE), 0);
    if (!popup) return;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        EnableMenuItem(popup, UINT(i), MF_BYPOSITION | MF_ENABLED);
        CheckMenuItem(popup, UINT(i), MF_BYPOSITION | MF_UNCHECKED);
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i] != view) continue;
        CheckMenuItem(popup, UINT(kCmdFirstMonitor + i), MF_BYCOMMAND | MF_CHECKED);
        EnableMenuItem(popup, UINT(kCmdFirstMonitor + i), MF_BYCOMMAND | MF_GRAYED);
    }
}

int KvProcessHook(HINSTANCE module, unsigned reason) {
    if (reason == 1) {
        App().resourceModule = module;
        App().ownModule = module;
        if (g_gdiplusCount++ == 0) GdiplusStartup(&g_gdiplusToken);
        std::string moduleFile;
        GetModuleFileName(module, &moduleFile);
        App().settingsKey = KvRegistryBootstrap(moduleFile);
        return 1;
    }
    if (reason == 0) {
        if (g_gdiplusCount > 0 && --g_gdiplusCount == 0) {
            GdiplusShutdown(g_gdiplusToken);
            g_gdiplusToken = 0;
        }
        return 1;
    }
    return 1;
}

AcRx::AppRetCode KvEntryPoint(AcRx::AppMsgCode message, void* appId) {
    App().appId = appId;
    switch (message) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
        KvStartup();
        break;
    case AcRx::kUnloadAppMsg: KvUnload(); break;
    case AcRx::kLoadDwgMsg:
        acedDefun("KV_TEST", 1);
        acedRegFunc(
            +[]() -> int {
                kvTestHandler();
                return RTNORM;
            },
            1);
        break;
    case AcRx::kUnloadDwgMsg: acedUndef("KV_TEST", 1); break;
    case AcRx::kInvkSubrMsg:
        acedRetVoid();
        if (acedGetFunCode() == 1) KvGuard("KV_TEST", kvTestHandler);
        break;
    default: break;
    }
    return AcRx::kRetOK;
}
