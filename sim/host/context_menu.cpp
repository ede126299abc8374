// The host's right-click menu of the drawing area: a few entries of the host's own, then one
// submenu per registered application context (acedAddDefaultContextMenu), titled with the
// application's name. Before the menu is built every context is asked to update its popup; the
// popup is copied into the host's menu under host command ids, so that the application keeps its
// own menu and its own ids, and a chosen entry goes back to the context's onCommand.
#include <map>
#include "sim/desk/windows.h"
#include "sim/host/host_internal.h"
#include "win/menu.h"

namespace sim::host {
namespace {

struct HostEntry {
    const char* text;
    const char* command;   // sent to the current drawing's command line
};
constexpr HostEntry kHostEntries[] = {
    {"Zoom E&xtents", "_ZOOM _E "},
    {"&Save", "_QSAVE "},
};
constexpr UINT kFirstContextId = 0x1000;
// Deeper submenus than this are not copied (a real menu never comes near it).
constexpr int kMaxCopyDepth = 64;

struct ContextChoice {
    AcEdUIContext* context = nullptr;
    UINT id = 0;
};

void copyMenu(HMENU from, HMENU to, AcEdUIContext* context, std::map<UINT, ContextChoice>& ids, UINT& next,
              int depth) {
    const int count = GetMenuItemCount(from);
    for (int i = 0; i < count; ++i) {
        const UINT state = GetMenuState(from, UINT(i), MF_BYPOSITION);
        std::string text;
        GetMenuString(from, UINT(i), &text, MF_BYPOSITION);
        if (state & MF_SEPARATOR) {
            AppendMenu(to, MF_SEPARATOR, 0, "");
        } else if (HMENU sub = GetSubMenu(from, i)) {
            if (depth >= kMaxCopyDepth) continue;
            HMENU copy = CreatePopupMenu();
            copyMenu(sub, copy, context, ids, next, depth + 1);
            AppendMenu(to, MF_POPUP | (state & (MF_GRAYED | MF_DISABLED)), UINT_PTR(copy), text);
        } else {
            const UINT id = next++;
            ids[id] = {context, GetMenuItemID(from, i)};
            AppendMenu(to, MF_STRING | (state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)), id, text);
        }
    }
}

bool registered(AcEdUIContext* context) {
    for (const auto& c : Host::get().uiContexts)
        if (c.context == context) return true;
    return false;
}

void showDrawingMenu(POINT at) {
    Host& h = Host::get();
    HMENU menu = CreatePopupMenu();
    UINT id = 1;
    for (const HostEntry& e : kHostEntries) AppendMenu(menu, MF_STRING, id++, e.text);

    std::map<UINT, ContextChoice> ids;
    UINT next = kFirstContextId;
    bool separated = false;
    // A context may register or remove contexts while it is asked; walk a copy.
    const std::vector<Host::UiContext> contexts = h.uiContexts;
    for (const auto& c : contexts) {
        if (!registered(c.context)) continue;
        HMENU popup = nullptr;
        try {
            c.context->OnUpdateMenu();
            void* handle = c.context->getMenuContext(nullptr, AcDbObjectIdArray{});
            popup = handle ? *static_cast<HMENU*>(handle) : nullptr;
        } catch (...) {
            print("\n; error: the context menu of " + c.appName + " threw\n");
            continue;
        }
        if (!popup || GetMenuItemCount(popup) < 0) continue;
        if (!separated) {
            AppendMenu(menu, MF_SEPARATOR, 0, "");
            separated = true;
        }
        HMENU copy = CreatePopupMenu();
        copyMenu(popup, copy, c.context, ids, next, 1);
        // An application with nothing to offer shows its submenu greyed, as an empty popup is.
        AppendMenu(menu, MF_POPUP | (GetMenuItemCount(copy) == 0 ? MF_GRAYED : 0), UINT_PTR(copy), c.appName);
    }

    const UINT chosen = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y,
                                             acedGetAcadDwgView()));
    DestroyMenu(menu);
    if (chosen == 0) return;
    OpScope op;   // what the choice queues runs once it returns
    if (chosen < kFirstContextId) {
        if (SimDocument* doc = h.current())
            acDocManager->sendStringToExecute(doc, kHostEntries[chosen - 1].command, false, false, true);
        return;
    }
    auto it = ids.find(chosen);
    if (it == ids.end() || !registered(it->second.context)) return;
    try {
        it->second.context->onCommand(it->second.id);
    } catch (...) {
        print("\n; error: a context menu command threw\n");
    }
}

}  // namespace

void installDrawingContextMenu() { desk::drawingContextMenu() = showDrawingMenu; }

}  // namespace sim::host

bool acedAddDefaultContextMenu(AcEdUIContext* context, const void* appId, const std::string& appName) {
    using sim::host::Host;
    if (!context || sim::host::registered(context)) return false;
    Host::get().uiContexts.push_back(Host::UiContext{context, appId, appName});
    return true;
}

bool acedRemoveDefaultContextMenu(AcEdUIContext* context) {
    using sim::host::Host;
    return std::erase_if(Host::get().uiContexts, [&](const Host::UiContext& c) { return c.context == context; }) > 0;
}
