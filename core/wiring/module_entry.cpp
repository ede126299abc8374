// The module's exports, as the host looks them up after loading it.
#include "arx/acrx.h"
#include <cstdio>
#include <cstdlib>
#include <string>
#include "core/guard.h"
#include "core/wiring/lifecycle.h"
#include "hosting/dockbar.h"
#include "settings/settings.h"
#include "hosting/features.h"

#define KV_EXPORT extern "C" __attribute__((visibility("default")))

KV_EXPORT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* appId) {
    return KvEntryPoint(message, appId);
}

KV_EXPORT int acrxGetApiVersion() { return kAcKvApiVersion; }

KV_EXPORT int AcKvDllMain(void* module, unsigned reason) {
    return KvProcessHook(static_cast<HINSTANCE>(module), reason);
}

// The simulator's window on settings: reads a setting by its stored key as the plug-in reads it,
// or writes it first through the setter of its kind when `newValue` is given. Returns 1 and the
// value text, or 0 for an unknown key.
KV_EXPORT int AcKvSetting(const char* key, const char* newValue, char* out, int outSize) {
    int found = 0;
    KvGuard("AcKvSetting", [&] {
        const SettingDef* def = key ? FindSettingByKey(key) : nullptr;
        if (!def) return;
        if (newValue) {
            if (def->kind == SettingKind::Numeric) SetSettingNumber(def->id, std::atoi(newValue));
            else SetSettingText(def->id, newValue);
        }
        const std::string value =
            def->kind == SettingKind::Numeric ? std::to_string(GetSettingNumber(def->id)) : GetSettingText(def->id);
        if (out && outSize > 0) std::snprintf(out, size_t(outSize), "%s", value.c_str());
        found = 1;
    });
    return found;
}

// The tabs as the simulator lists them: one line per tab, "index<TAB>caption<TAB>kind<TAB>flags
// <TAB>path", kind drawing, window or link, flags among selected, marked, modified, read-only,
// keep-as-link. Returns the number of tabs, or -1 when there is no tab strip.
KV_EXPORT int AcKvTabs(char* out, int outSize) {
    int count = -1;
    KvGuard("AcKvTabs", [&] {
        if (!KvDockBar()) return;
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        std::string text;
        count = tab.GetItemCount();
        for (int i = 0; i < count; ++i) {
            const CItemData* item = tab.GetItem(i);
            if (!item) continue;
            std::string flags;
            auto flag = [&](bool on, const char* name) {
                if (on) flags += (flags.empty() ? "" : ",") + std::string(name);
            };
            flag(i == tab.GetCurSel(), "selected");
            flag(item->marked, "marked");
            flag(item->modified, "modified");
            flag(item->drawingDoc && item->drawingDoc->isReadOnly(), "read-only");
            flag(item->keepAsLink, "keep-as-link");
            const char* kind = item->drawingDoc ? "drawing" : item->docWindow ? "window" : "link";
            text += std::to_string(i) + "\t" + tab.PaintedCaption(i) + "\t" + kind + "\t" +
                (flags.empty() ? "-" : flags) + "\t" + item->pathName + "\n";
        }
        if (out && outSize > 0) std::snprintf(out, size_t(outSize), "%s", text.c_str());
    });
    return count;
}

// The marked set as the operations over several drawings use it: the index of each of its items
// among the tabs (-1 for an item that is not a tab any more), in the set's order. Returns the size
// of the set, or -1 when there is no tab strip.
KV_EXPORT int AcKvMarked(char* out, int outSize) {
    int count = -1;
    KvGuard("AcKvMarked", [&] {
        if (!KvDockBar()) return;
        const auto marked = KvTabPanel().TabCtrl().MarkedItems();
        std::string text;
        for (const CItemData* item : marked)
            text += (text.empty() ? "" : " ") + std::to_string(KvTabPanel().FindItemIndex(item));
        if (out && outSize > 0) std::snprintf(out, size_t(outSize), "%s", text.c_str());
        count = int(marked.size());
    });
    return count;
}

// Adds a link tab as the link commands do.
KV_EXPORT int AcKvAddLink(const char* path) {
    int ok = 0;
    KvGuard("AcKvAddLink", [&] {
        if (!KvDockBar() || !path) return;
        KvTabPanel().InsertLinkDrawing(path);
        ok = 1;
    });
    return ok;
}

// Where an action glyph of a tab sits, from the tab's top-left corner (its middle), so that the
// simulator can click it. Returns 0 when the tab does not exist.
KV_EXPORT int AcKvGlyphOffset(int index, int glyph, int* dx, int* dy) {
    int ok = 0;
    KvGuard("AcKvGlyphOffset", [&] {
        if (!KvDockBar() || glyph < 1 || glyph > 3 || !dx || !dy) return;
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        if (index < 0 || index >= tab.GetItemCount()) return;
        const RECT r = tab.GetItemRect(index);
        const RECT g = tab.GlyphRect(r, glyph);
        *dx = (g.left + g.right) / 2 - r.left;
        *dy = (g.top + g.bottom) / 2 - r.top;
        ok = 1;
    });
    return ok;
}
