// The tooltip common control: a hidden window that keeps the tools added to it and their texts.
// The desktop has no resting mouse pointer over dialogs, so the text is read by the script verb
// `@dialog tip ID` rather than shown after a delay.
#include <algorithm>
#include <map>
#include <mutex>
#include <vector>
#include "sim/desk/controls_internal.h"
#include "sim/desk/windows.h"
#include "win/controls.h"

namespace sim::desk {
namespace {

std::mutex gMutex;
std::map<HWND, std::vector<TOOLINFO>>& tips() {
    static std::map<HWND, std::vector<TOOLINFO>> m;
    return m;
}

bool sameTool(const TOOLINFO& a, const TOOLINFO& b) { return a.hwnd == b.hwnd && a.uId == b.uId; }

LRESULT tooltipProc(HWND h, UINT msg, WPARAM, LPARAM lp) {
    std::lock_guard lock(gMutex);
    auto& tools = tips()[h];
    auto* info = reinterpret_cast<TOOLINFO*>(lp);
    switch (msg) {
    case TTM_ADDTOOL:
        if (!info) return FALSE;
        std::erase_if(tools, [&](const TOOLINFO& t) { return sameTool(t, *info); });
        tools.push_back(*info);
        return TRUE;
    case TTM_DELTOOL:
        if (info) std::erase_if(tools, [&](const TOOLINFO& t) { return sameTool(t, *info); });
        return 0;
    case TTM_GETTOOLCOUNT: return LRESULT(tools.size());
    case TTM_GETTEXT:
        if (!info) return 0;
        info->lpszText.clear();
        for (const auto& t : tools)
            if (sameTool(t, *info)) info->lpszText = t.lpszText;
        return 0;
    case WM_DESTROY: tips().erase(h); return 0;
    default: return 0;
    }
}

}  // namespace

void registerTooltipClass(WindowManager& wm) { wm.registerClass(TOOLTIPS_CLASS, tooltipProc); }

std::optional<std::string> tooltipTextOf(HWND control) {
    std::lock_guard lock(gMutex);
    const UINT id = UINT(GetDlgCtrlID(control));
    for (const auto& [tip, tools] : tips()) {
        for (const auto& t : tools) {
            const bool byHandle = (t.uFlags & TTF_IDISHWND) && t.uId == reinterpret_cast<UINT_PTR>(control);
            if (byHandle || (!(t.uFlags & TTF_IDISHWND) && t.hwnd == GetParent(control) && t.uId == id))
                return t.lpszText;
        }
    }
    return std::nullopt;
}

}  // namespace sim::desk
