// korvane-host: loads the plug-in module into the simulated host and lets a person, a script or a
// test work with it. Everything the host's command line shows goes to standard output.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include "apps/korvane-host/app_verbs.h"
#include "apps/korvane-host/live_window.h"
#include "apps/korvane-host/prompt.h"
#include "sim/desk/automation.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/machine.h"
#include "sim/script/runner.h"

#ifndef KV_BUILD_MODULE_DIR
#define KV_BUILD_MODULE_DIR ""
#endif
#ifndef KV_SOURCE_DIR
#define KV_SOURCE_DIR ""
#endif

namespace fs = std::filesystem;

namespace {

void usage() {
    std::cout << "usage: korvane-host [--root DIR] [--script FILE|-] [--snapshot FILE.png] [--demo] [--real-time]\n"
                 "                    [--window] [--demo-drawings]\n"
                 "  Without --script or --demo: an interactive command line (type @help for help).\n"
                 "  --window: the host in a live window, driven with the mouse and the keyboard.\n"
                 "  --demo-drawings: a few drawings open before the command line or the window starts.\n";
}

// The build's module folder: beside the executable's build tree, else the configured one.
std::string moduleBuildDir(const char* argv0) {
    std::error_code ec;
    fs::path exe = fs::canonical(fs::path(argv0), ec);
    if (!ec) {
        fs::path candidate = exe.parent_path().parent_path().parent_path() / "module";
        if (fs::exists(candidate / "Korvane.arx", ec)) return candidate.string();
    }
    return KV_BUILD_MODULE_DIR;
}

std::string sourceDir(const char* argv0) {
    std::error_code ec;
    if (fs::exists(fs::path(KV_SOURCE_DIR) / "shipped", ec)) return KV_SOURCE_DIR;
    return fs::current_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    std::string root, scriptPath, snapshot;
    bool demo = false, realTime = false, window = false, demoDrawings = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--root") root = next();
        else if (a == "--script") scriptPath = next();
        else if (a == "--snapshot") snapshot = next();
        else if (a == "--demo") demo = true;
        else if (a == "--real-time") realTime = true;
        else if (a == "--window") window = true;
        else if (a == "--demo-drawings") demoDrawings = true;
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            std::cerr << "korvane-host: unknown argument " << a << "\n";
            usage();
            return 2;
        }
    }
    // Paths given on the command line are the user's; inside, the machine's root is the current
    // folder, so that scripts name drawings relative to it.
    if (!scriptPath.empty() && scriptPath != "-") scriptPath = fs::absolute(scriptPath).string();
    if (!snapshot.empty()) snapshot = fs::absolute(snapshot).string();
    if (window && (demo || !scriptPath.empty())) {
        std::cerr << "korvane-host: --window runs the command line in the window; drop --script and --demo\n";
        return 2;
    }
    if (window && !kvapp::liveWindowBuilt()) {
        std::cerr << "korvane-host: this build has no live window (install libsdl2-dev and build again)\n";
        return 1;
    }
    const bool interactive = scriptPath.empty() && !demo;
    auto& desk = sim::Desktop::get();
    desk.useRealClock(realTime || interactive);
    desk.setInteractive(interactive);
    if (root.empty()) root = sim::makeTemporaryRoot();
    root = fs::absolute(root).string();

    const std::string src = fs::absolute(sourceDir(argv[0])).string();
    sim::MachineLayout m;
    try {
        m = sim::setupMachine(root, moduleBuildDir(argv[0]), src + "/shipped");
    } catch (const std::exception& e) {
        std::cerr << "korvane-host: cannot prepare the root " << root << ": " << e.what() << "\n";
        return 1;
    }

    // This program serves the host's automation class, so that the plug-in can start a second
    // instance on the same machine.
    std::error_code selfError;
    const std::string self = fs::canonical("/proc/self/exe", selfError).string();
    if (!selfError)
        sim::desk::registerAutomationServer(sim::desk::kHostProgId, sim::desk::kHostClassId,
                                            "\"" + self + "\" --root \"" + m.root + "\" --script -");

    fs::current_path(m.root);
    std::ofstream transcriptFile;
    if (demo) {
        transcriptFile.open(m.root + "transcript.txt");
        desk.setTranscriptSink([&](const std::string& text) {
            std::cout << text << std::flush;
            transcriptFile << text << std::flush;
        });
    }

    sim::script::Runner runner;
    sim::desk::registerDeskVerbs(runner);
    sim::desk::registerDialogVerbs(runner);
    sim::host::registerHostVerbs(runner);
    kvapp::registerAppVerbs(runner, m);
    kvapp::registerHelpVerb(runner);

    desk.print("Korvane host, root " + m.root + "\n");
    if (interactive) desk.print(kvapp::startHint());
    sim::host::loadModule(m.moduleFolder + "Korvane.arx");
    if (demoDrawings) {
        std::ifstream in(src + "/apps/korvane-host/demo-drawings.kvs");
        if (!in || !runner.run(in)) {
            std::cerr << "korvane-host: the demo drawings could not be opened\n";
            return 1;
        }
    }

    bool ok = true;
    if (demo) {
        std::ifstream in(src + "/apps/korvane-host/demo.kvs");
        if (!in) {
            std::cerr << "korvane-host: demo script not found under " << src << "\n";
            return 1;
        }
        ok = runner.run(in);
        desk.print("\nDemo finished. Transcript and pictures: " + m.root + "\n");
    } else if (!scriptPath.empty()) {
        if (scriptPath == "-") {
            ok = runner.run(std::cin);
        } else {
            std::ifstream in(scriptPath);
            if (!in) {
                std::cerr << "korvane-host: cannot read " << scriptPath << "\n";
                return 1;
            }
            ok = runner.run(in);
        }
    } else if (window) {
        ok = kvapp::runLiveWindow(runner, 1280, 800);
    } else {
        kvapp::runTerminalPrompt(runner);
    }
    if (!snapshot.empty()) runner.runLine("@snapshot \"" + snapshot + "\"");
    if (!sim::host::quitRequested()) sim::host::unloadModule();
    return ok ? 0 : 1;
}
