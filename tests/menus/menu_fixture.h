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
    void SetUp() override {
        TabsFixture::SetUp();
        sim::desk::registerDeskVerbs(runner);
        sim::desk::registerDialogVerbs(runner);
        sim::host::registerHostVerbs(runner);
        previousFeed = sim::desk::setScriptFeed([this] {
            if (feed.empty()) return false;
            const std::string line = feed.front();
            feed.pop_front();
            EXPECT_TRUE(runner.runLine(line)) << line << "\n" << transcript;
            return true;
        });
    }
    void TearDown() override {
        sim::host::setEventListener(nullptr);
        sim::desk::setScriptFeed(previousFeed);
        TabsFixture::TearDown();
    }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << line << "\n" << transcript; }
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

    // The commands the host starts, in order.
    void recordCommands() {
        sim::host::setEventListener([this](const std::string& name, const std::string& arg) {
            if (name == "commandWillStart") commands += arg + " ";
        });
    }

    sim::script::Runner runner;
    std::string commands;
    std::deque<std::string> feed;
    sim::desk::ScriptFeed previousFeed;
};

}  // namespace kvtest
