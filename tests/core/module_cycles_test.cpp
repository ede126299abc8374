// The real plug-in module loaded into the simulated host as the host loads it, again and again.
#include "arx/aced.h"
#include "sim/desk/desktop.h"
#include "support/machine_fixture.h"
#include "win/menu.h"

namespace {

class ModuleCycles : public kvtest::MachineFixture {};

TEST_F(ModuleCycles, LoadAndUnloadManyTimesLeavesNothingBehind) {
    const std::string module = machine.moduleFolder + "Korvane.arx";
    HMENU sys = GetSystemMenu(acedGetAcadFrame(), FALSE);
    const int ownItems = GetMenuItemCount(sys);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(sim::host::loadModule(module)) << transcript;
        ASSERT_TRUE(acedRegCmds->lookupCmd("KV_ABOUT"));
        ASSERT_GT(GetMenuItemCount(sys), ownItems);
        ASSERT_TRUE(sim::host::unloadModule());
        ASSERT_FALSE(acedRegCmds->lookupCmd("KV_ABOUT"));
        ASSERT_EQ(GetMenuItemCount(sys), ownItems);
        ASSERT_EQ(sim::host::resourceStackDepth(), 0);
        ASSERT_EQ(sim::canvasLibraryUsers(), 0);
    }
    // Leaks, if any, are reported by the sanitizer build when the test program ends.
    EXPECT_EQ(transcript.find("error"), std::string::npos) << transcript;
    // The module's own statics (the per-document records) unregister as it is unmapped.
    EXPECT_EQ(transcript.find("registrations behind"), std::string::npos) << transcript;
}

TEST_F(ModuleCycles, CommandsRunFromTheCommandLine) {
    ASSERT_TRUE(sim::host::loadModule(machine.moduleFolder + "Korvane.arx"));
    sim::Desktop::get().queueAnswer(1);
    sim::host::typeLine("KV_ABOUT");
    ASSERT_FALSE(sim::Desktop::get().shownBoxes().empty());
    EXPECT_NE(sim::Desktop::get().shownBoxes().back().text.find("3.2"), std::string::npos);
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
}

TEST_F(ModuleCycles, LispFunctionDrawsALine) {
    ASSERT_TRUE(sim::host::openDrawing(machine.drawings + "a.dwg") || sim::host::newDrawing());
    ASSERT_TRUE(sim::host::loadModule(machine.moduleFolder + "Korvane.arx"));
    std::vector<std::string> commands;
    sim::host::setEventListener([&](const std::string& name, const std::string& arg) {
        if (name == "commandWillStart") commands.push_back(arg);
    });
    sim::host::typeLine("(KV_TEST)");
    sim::host::setEventListener(nullptr);
    EXPECT_EQ(commands, std::vector<std::string>{"LINE"}) << transcript;
}

}  // namespace
