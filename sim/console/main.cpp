// The host's console program: opens one drawing without any window, runs a script file on it as
// the host's SCRIPT command does, then keeps reading commands from standard input until QUIT or
// the end of the input. Everything the command line shows goes to standard output.
//
//   accoreconsole.exe /i "drawing" [/s "script"] [/l language] [/product name] [/isolate ...]
//
// Exit codes: 0 after QUIT or the end of the input, 1 when the drawing cannot be opened, 2 for a
// command line it does not understand. A prompt the script leaves unanswered reads standard input;
// started hidden, nobody types there, so such a run waits until it is ended from outside.
#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include "arx/docman.h"
#include "sim/desk/desktop.h"
#include "sim/host/host.h"

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Runs what the command line holds until the drawing is idle: timed commands (DELAY) keep it busy
// on the real clock.
void runUntilIdle() {
    for (;;) {
        sim::host::pump();
        if (sim::host::quitRequested()) return;
        AcApDocument* doc = acDocManager->curDocument();
        if (!doc || doc->isQuiescent()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int usage() {
    std::cout << "usage: accoreconsole.exe /i \"drawing\" [/s \"script\"] [/l language]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string drawing, script;
    for (int i = 1; i < argc; ++i) {
        const std::string a = lower(argv[i]);
        const bool option = a.size() > 1 && (a[0] == '/' || a[0] == '-');
        if (!option) return usage();
        const std::string name = a.substr(1);
        if (name == "isolate") {
            i = std::min(i + 2, argc - 1);   // user and folder
            continue;
        }
        if (i + 1 >= argc) return usage();
        const std::string value = argv[++i];
        if (name == "i") drawing = value;
        else if (name == "s") script = value;
        else if (name != "l" && name != "product" && name != "p" && name != "ld") return usage();
    }
    if (drawing.empty()) return usage();

    auto& desk = sim::Desktop::get();
    desk.useRealClock(true);
    desk.setInteractive(true);
    desk.print("Simulated console: " + drawing + "\n");
    if (!sim::host::openDrawing(drawing)) {
        desk.print("\nThe drawing could not be opened.\n");
        return 1;
    }
    runUntilIdle();
    if (!script.empty()) {
        sim::host::typeLine("_.SCRIPT \"" + script + "\"");
        runUntilIdle();
    }
    std::string line;
    while (!sim::host::quitRequested()) {
        desk.print("Command: ");
        if (!std::getline(std::cin, line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        sim::host::typeLine(line);
        runUntilIdle();
    }
    desk.print("\n");
    return 0;
}
