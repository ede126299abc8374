// Batch runs against the console program run directly: twenty tiny drawings, one console each.
// What the batch adds per drawing beyond the console itself (starting it, waiting for its end,
// reporting the row) must stay a few milliseconds; with two consoles at once the run takes about
// half as long.
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/wiring/lifecycle.h"
#include "res/embedded_resources.h"
#include "res/resource.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/process.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/machine.h"
#include "sim/pe/modules.h"
#include "sim/registry/registry.h"
#include "sim/script/runner.h"
#include "win/process.h"

namespace {

constexpr int kDrawings = 20;

// A simulated machine with the plug-in started, twenty drawings and a script that quits at once
// (or after a DELAY of `delayMs`: a console that waits, as one reading a network drive does).
struct Machine {
    std::string root;
    sim::MachineLayout layout;
    HMODULE module = nullptr;
    int appId = 0;
    sim::script::Runner runner;
    std::vector<std::string> drawings;
    std::string script;

    explicit Machine(int delayMs) {
        sim::Desktop::get().reset();
        sim::desk::WindowManager::get().reset();
        sim::desk::resetMenus();
        sim::desk::setMonitorCount(1);
        sim::host::reset();
        root = sim::makeTemporaryRoot();
        sim::Desktop::get().setTranscriptSink([](const std::string&) {});
        sim::Desktop::get().setEnv("APPDATA", root + "AppData/Roaming");
        layout = sim::setupMachine(root, KV_BINARY_DIR "/module", KV_SOURCE_DIR "/shipped");
        sim::host::setModuleFolder(layout.moduleFolder);
        App() = AppState{};
        module = sim::pe::registerModuleBytes(
            layout.moduleFolder + "Korvane.arx",
            std::vector<std::uint8_t>(kvEmbeddedResources, kvEmbeddedResources + kvEmbeddedResourcesSize));
        KvProcessHook(module, 1);
        KvEntryPoint(AcRx::kInitAppMsg, &appId);
        sim::desk::registerDeskVerbs(runner);
        sim::desk::registerDialogVerbs(runner);
        sim::host::registerHostVerbs(runner);
        for (int i = 0; i < kDrawings; ++i) {
            drawings.push_back(layout.drawings + "d" + std::to_string(i) + ".dwg");
            sim::dwg::Drawing d;
            sim::dwg::writeDrawingFile(drawings.back(), d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, nullptr);
        }
        script = layout.drawings + "quit.scr";
        std::ofstream(script) << (delayMs > 0 ? "DELAY " + std::to_string(delayMs) + "\n" : std::string()) << "QUIT\n";
    }
    ~Machine() {
        KvEntryPoint(AcRx::kUnloadAppMsg, &appId);
        KvProcessHook(module, 0);
        sim::pe::unregisterModule(module);
        sim::desk::resetProcesses();
        sim::host::reset();
        sim::registry::close();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    void run(const std::string& line) {
        if (!runner.runLine(line)) throw std::runtime_error(line);
    }
};

std::string label(int atOnce, int delayMs) {
    return std::to_string(kDrawings) + " drawings, " + (atOnce ? std::to_string(atOnce) + " at once" : "direct") +
           (delayMs ? ", DELAY " + std::to_string(delayMs) + " each" : "");
}

void BM_ConsoleDirect(benchmark::State& state) {
    Machine m(int(state.range(0)));
    const std::string console = m.layout.moduleFolder + "accoreconsole.exe";
    for (auto _ : state) {
        for (const auto& d : m.drawings) {
            PROCESS_INFORMATION info;
            STARTUPINFO startup;
            if (!CreateProcess(nullptr, "\"" + console + "\" /i \"" + d + "\" /s \"" + m.script + "\"", nullptr,
                               nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
                state.SkipWithError("the console did not start");
            WaitForSingleObject(info.hProcess, INFINITE);
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
        sim::desk::resetProcesses();
    }
    state.SetLabel(label(0, int(state.range(0))));
}
BENCHMARK(BM_ConsoleDirect)->Arg(0)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_BatchRun(benchmark::State& state) {
    Machine m(int(state.range(1)));
    m.run("KV_BSCRIPT");
    m.run("@files \"" + m.script + "\"");
    m.run("@dialog press " + std::to_string(IDC_BATCH_SCRIPT_ADD));
    for (auto _ : state) {
        state.PauseTiming();
        m.run("@dialog press " + std::to_string(IDC_BATCH_CLOSE));   // empties the drawing list
        m.run("KV_BSCRIPT");
        std::string files = "@files";
        for (const auto& d : m.drawings) files += " \"" + d + "\"";
        m.run(files);
        m.run("@dialog press " + std::to_string(IDC_BATCH_APPEND));
        m.run("@dialog set " + std::to_string(IDC_BATCH_AT_ONCE) + " " + std::to_string(state.range(0)));
        state.ResumeTiming();
        m.run("@dialog press " + std::to_string(IDC_BATCH_START));
        m.run("@await-work 60000");
        state.PauseTiming();
        sim::desk::resetProcesses();
        state.ResumeTiming();
    }
    state.SetLabel(label(int(state.range(0)), int(state.range(1))));
}
BENCHMARK(BM_BatchRun)
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({1, 100})
    ->Args({2, 100})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
