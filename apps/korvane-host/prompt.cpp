#include "apps/korvane-host/prompt.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"

#ifdef KV_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace kvapp {
namespace {

// One line for each of the plug-in's commands, as @help lists them.
const std::map<std::string, std::string>& commandSummaries() {
    static const std::map<std::string, std::string> summaries = {
        {"KV_SHOW", "show the tab bar"},
        {"KV_HIDE", "hide the tab bar"},
        {"KV_ABOUT", "the plug-in's name and version"},
        {"KV_SCRIPT", "run the script file chosen on the tab bar"},
        {"KV_CLOSE", "(does nothing; kept for old menus)"},
        {"KV_CFG", "the options dialog"},
        {"KV_LOPEN", "pick drawing files and add link tabs for them"},
        {"KV_LCLOSE", "close every link tab (when link tabs close)"},
        {"KV_WOPEN", "open from the web storage service"},
        {"KV_WSAVE", "save to the web storage service"},
        {"KV_WSAVEAS", "save to the web storage service under a new name"},
        {"KV_WINSERT", "insert from the web storage service"},
        {"KV_WPLUGIN", "check the web storage service"},
        {"KV_COMMANDLOOP", "move a running multi-drawing operation on (the plug-in types it)"},
        {"KV_OPENCURFOLDER", "open the current drawing's folder"},
        {"KV_LINKFOLDEROPEN", "add link tabs for every drawing in a folder"},
        {"KV_CAKEDWG", "insert drawing files side by side in a grid"},
        {"KV_BSCRIPT", "the batch script dialog"},
        {"KV_OPEN", "open a drawing by name"},
    };
    return summaries;
}

void helpVerb(sim::script::Runner& runner, const sim::script::Args& a) {
    if (!a.empty()) throw sim::script::VerbError("usage: @help");
    auto& desk = sim::Desktop::get();
    std::string text =
        "Lines without @ are typed on the host's command line, as in the CAD host: its commands\n"
        "(OPEN, NEW, QSAVE, SAVEAS, CLOSE, CLOSEALL, LINE, ZOOM, QUIT, ...) and the plug-in's:\n";
    const auto commands = sim::host::registeredCommands();
    if (commands.empty()) text += "  (no plug-in is loaded)\n";
    for (const auto& name : commands) {
        auto it = commandSummaries().find(name);
        std::string padded = name;
        padded.resize(std::max<size_t>(name.size() + 2, 20), ' ');
        text += "  " + padded + (it == commandSummaries().end() ? std::string("") : it->second) + "\n";
    }
    text += "Lines starting with @ are the simulator's verbs:\n";
    for (const auto& usage : runner.usageLines()) text += "  " + usage + "\n";
    text += "The same lines make a script (korvane-host --script FILE); the verbs are described in\n"
            "docs/script.md.\n";
    desk.print(text);
}

#ifdef KV_HAVE_LIBEDIT
bool stdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

// The terminal with line editing: the library shows the prompt and what is typed, and keeps the
// history of non-empty lines. The desktop keeps the prompt as the command line's last line.
std::optional<std::string> editLine(const std::string& prompt) {
    std::fflush(stdout);
    char* raw = readline(prompt.c_str());
    if (!raw) return std::nullopt;
    std::string line = raw;
    std::free(raw);
    if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
    return line;
}
#endif

}  // namespace

void registerHelpVerb(sim::script::Runner& runner) { runner.addVerb("help", helpVerb, "@help"); }

std::string startHint() {
    return "Type @help for help: lines without @ are the host's commands (KV_ABOUT, OPEN, ...).\n";
}

void freshLine() {
    const auto last = sim::Desktop::get().recentLines(1);
    if (!last.empty() && !last.back().empty()) sim::Desktop::get().print("\n");
}

void runPromptLine(sim::script::Runner& runner, const std::string& line) {
    const size_t start = line.find_first_not_of(" \t");
    if (start != std::string::npos && line[start] != '@' && line[start] != '#') {
        ++runner.lineNumber;
        sim::host::typeLine(line.substr(start), true);
        if (runner.afterLine) runner.afterLine(runner);
        else sim::desk::WindowManager::get().pump();
        return;
    }
    runner.runLine(line);
}

void runTerminalPrompt(sim::script::Runner& runner) {
    auto& desk = sim::Desktop::get();
#ifdef KV_HAVE_LIBEDIT
    if (stdinIsTerminal()) desk.setLineReader(editLine);
#endif
    while (!runner.exitRequested && !sim::host::quitRequested()) {
        freshLine();
        auto line = desk.readLine("Command: ");
        if (!line) break;
        runPromptLine(runner, *line);
    }
    desk.setLineReader(nullptr);
    desk.print("\n");
}

}  // namespace kvapp
