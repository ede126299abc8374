#include "core/wiring/filter.h"

#include <vector>
#include "arx/aced.h"
#include "core/guard.h"
#include "core/wiring/lifecycle.h"
#include "core/wiring/module.h"
#include "hosting/switcher.h"
#include "tabstrip/keys.h"
#include "hosting/features.h"
#include "uikit/screen.h"
#include "win/monitor.h"

namespace {

// Moves the host frame onto monitor `index` (enumeration order), keeping its size where it fits.
void moveFrameToMonitor(int index) {
    const std::vector<HMONITOR> monitors = KvMonitors();
    if (index < 0 || size_t(index) >= monitors.size()) return;
    MONITORINFOEX info;
    if (!GetMonitorInfo(monitors[size_t(index)], &info)) return;
    HWND frame = acedGetAcadFrame();
    RECT r;
    GetWindowRect(frame, &r);
    const int w = std::min<LONG>(r.Width(), info.rcWork.Width());
    const int h = std::min<LONG>(r.Height(), info.rcWork.Height());
    MoveWindow(frame, info.rcWork.left, info.rcWork.top, w, h, TRUE);
}

}   // namespace

bool KvFilterMessage(MSG* msg) {
    bool consumed = false;
    KvGuard("FilterWinMsg", [&] {
        if (msg->message != WM_SYSCOMMAND) {
            // The switcher's own key handling comes after the filter, as a dialog's does.
            KvModule* module = KvTheModule();
            KvFeatureObjects* features = KvFeatures();
            consumed = (module && features && KvTabStripFilter(msg, features->panel, module->tabStripKeys)) ||
                KvSwitcherPreTranslate(msg);
            return;
        }
        if (msg->hwnd != acedGetAcadFrame()) return;
        const UINT command = UINT(msg->wParam & 0xFFFF);
        if (command >= kCmdFirstMonitor && command < kCmdFirstMonitor + kMaxMonitors) {
            moveFrameToMonitor(int(command - kCmdFirstMonitor));
            consumed = true;
            return;
        }
        if (KvIsSystemMenuDocumentCommand(command)) {
            // The document commands belong to the tab control.
            KvFeatureObjects* features = KvFeatures();
            HWND tab = features ? features->panel.TabCtrl().GetSafeHwnd() : nullptr;
            if (tab) SendMessage(tab, WM_COMMAND, command, 0);
            consumed = true;
        }
    });
    return consumed;
}

void KvInstallMessageFilter() { acedRegisterFilterWinMsg(KvFilterMessage); }
void KvRemoveMessageFilter() { acedRemoveFilterWinMsg(KvFilterMessage); }
