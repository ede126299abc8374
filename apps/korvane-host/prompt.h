// The person's side of korvane-host: @help, the interactive command line at a terminal, and the
// one way a line typed at a prompt (the terminal's or the live window's) is run.
#pragma once
#include <string>
#include "sim/script/runner.h"

namespace kvapp {

// @help: what lines without @ do, the plug-in's KV_ commands one line each, the verbs.
void registerHelpVerb(sim::script::Runner& runner);
// The line naming @help that the program prints when it starts.
std::string startHint();

// Runs one line the person typed after a prompt that already shows it ("Command: KV_ABOUT"): an
// @ verb, or text for the host's command line, which then does not echo the command again.
void runPromptLine(sim::script::Runner& runner, const std::string& line);
// Starts every prompt on a fresh line: output that did not end its line is ended first.
void freshLine();

// The interactive command line at a terminal: line editing and history when standard input is a
// terminal (and the build has the line-editing library), plain lines otherwise. Returns at the end
// of the input, @exit or QUIT.
void runTerminalPrompt(sim::script::Runner& runner);

}  // namespace kvapp
