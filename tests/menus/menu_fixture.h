// A started plug-in with drawings, menu commands sent to the tab control, and dialogs answered
// from a queue of script lines while they are open.
#pragma once
#include <deque>
#include <filesystem>
#include "menus/docops.h"
#include "settings/settings.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/script/runner.h"
#include "support/tabs_fixture.h"
#include "tabstrip/panel.h"
#include "win/system.h"

namespace kvtest {

class MenuFixture : public TabsFixture {
protected:
    void modify(const std::string& name) { acdbSetDbmod(doc(name)->database(), 1); }
    int prompts() {
        int n = 0;
        for (const auto& d : sim::desk::closedDialogs()) n += d.templateId == 292;
        return n;
    }
    int numberOfSaves(const std::string& path) {
        sim::dwg::FileInfo info;
        std::string err;
        EXPECT_TRUE(sim::dwg::readDrawingFile(path, &info, &err)) << err;
        return info.drawing ? info.drawing->numberOfSaves : -1;
    }
};

}  // namespace kvtest
