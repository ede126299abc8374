// The plug-in started in this test program (linked from its objects, not loaded as a module):
// process attach and the initialise message against a fresh simulated machine.
#pragma once
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/wiring/lifecycle.h"
#include "res/embedded_resources.h"
#include "sim/pe/modules.h"
#include "support/machine_fixture.h"
#include "win/registry.h"

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

    // Stores a numeric setting in the registry, where the plug-in finds it at its next start.
    void setNumber(const char* key, DWORD value) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane\\3.2", KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
        BYTE data[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
        RegSetValueEx(k, key, REG_DWORD, data, 4);
        RegCloseKey(k);
    }

    HMODULE module = nullptr;
    int appId = 0;
    bool started = false;
};

}  // namespace kvtest
