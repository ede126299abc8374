// The plug-in started in this test program (linked from its objects, not loaded as a module):
// process attach and the initialise message against a fresh simulated machine.
#pragma once
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/lifecycle.h"
#include "res/embedded_resources.h"
#include "sim/pe/modules.h"
#include "support/machine_fixture.h"

namespace kvtest {

class PluginFixture : public MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        App() = AppState{};
        module = sim::pe::registerModuleBytes(
            machine.moduleFolder + "Korvane.arx",
            std::vector<std::uint8_t>(kvEmbeddedResources, kvEmbeddedResources + kvEmbeddedResourcesSize));
    }
    void TearDown() override {
        if (started) unload();
        sim::pe::unregisterModule(module);
        MachineFixture::TearDown();
    }
    void start() {
        KvProcessHook(module, 1);
        KvEntryPoint(AcRx::kInitAppMsg, &appId);
        started = true;
    }
    void unload() {
        KvEntryPoint(AcRx::kUnloadAppMsg, &appId);
        KvProcessHook(module, 0);
        started = false;
    }

    HMODULE module = nullptr;
    int appId = 0;
    bool started = false;
};

}  // namespace kvtest
