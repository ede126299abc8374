// A started plug-in over drawings in the simulated host, with the tab bar's menu commands at hand.
#pragma once
#include <filesystem>
#include <string>
#include <vector>
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "support/scripted_fixture.h"
#include "menus/docops.h"
#include "menus/tabmenus.h"
#include "hosting/features.h"
#include "win/window.h"

namespace kvtest {

class TabsFixture : public ScriptedFixture {
protected:
    void open(const std::vector<std::string>& names) {
        for (const std::string& n : names) ASSERT_TRUE(sim::host::openDrawing(drawing(n))) << n;
    }
    AcKvUiTabCtrl& tabs() { return KvTabPanel().TabCtrl(); }
    // The tab strip's menus of the started module.
    KvTabMenus& menus() { return *KvStripMenus(); }
    KvTabOperations& operations() { return *KvStripOperations(); }
    CItemData* item(const std::string& name) {
        for (int i = 0; i < tabs().GetItemCount(); ++i)
            if (tabs().GetItem(i)->displayName == name) return tabs().GetItem(i);
        return nullptr;
    }
    AcApDocument* doc(const std::string& name) { return item(name) ? item(name)->drawingDoc : nullptr; }
    void mark(std::initializer_list<int> indexes) {
        std::vector<CItemData*> items;
        for (int i : indexes) items.push_back(tabs().GetItem(i));
        tabs().MarkOnly(items);
    }
    void command(UINT id) {
        SendMessage(tabs().GetSafeHwnd(), WM_COMMAND, id, 0);
        settle();
    }
    // The entry picked from the tab context menu of the selected tab.
    void menuPick(const std::string& entry) {
        sim::desk::queueMenuPick(entry);
        menus().OpenContextMenu(-1, POINT{10, 10});
        settle();
    }
    void settle() {
        for (int i = 0; i < 20; ++i) {
            sim::desk::WindowManager::get().pump();
            sim::host::pump();
        }
    }
    // Tab captions in order; links and windows say so.
    std::vector<std::string> captions() {
        std::vector<std::string> out;
        for (int i = 0; i < tabs().GetItemCount(); ++i) {
            const CItemData* it = tabs().GetItem(i);
            out.push_back(it->displayName + (it->isLink ? " (link)" : it->isWindow() ? " (window)" : ""));
        }
        return out;
    }
};

}  // namespace kvtest
