// A started-plug-in fixture with the simulator's script verbs at hand: `run` a line as a script
// would, and answer a modal dialog from `feed`, whose lines run while the dialog is open.
#pragma once
#include <deque>
#include <string>
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/script/runner.h"
#include "support/plugin_fixture.h"

namespace kvtest {

class ScriptedFixture : public PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
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
        PluginFixture::TearDown();
    }
    void run(const std::string& line) { ASSERT_TRUE(runner.runLine(line)) << line << "\n" << transcript; }
    // From now on `commands` collects the names of the commands the host starts, in order.
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
