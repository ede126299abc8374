// Scripts over open drawings: one script file runs in every open drawing (or the marked ones), one
// drawing after the other, with no user action in between. The chaining is in the script itself:
// each drawing runs a copy of the user's script whose last line is the plug-in's KV_COMMANDLOOP, so
// when the host finishes the script in one drawing, that command moves the queue to the next one.
// A script that stops with an error never reaches its last line, and the run stops in that drawing.
#pragma once
#include <string>
#include <string_view>

// The copy's text: the script's bytes unchanged, then the line "KV_COMMANDLOOP". A script whose
// last word has no blank or line end after it gets a line end first: glued to the command name, the
// word would be lost and the run would stall in the first drawing.
std::string KvChainedScript(std::string_view script);

// Writes the chained copy of `scriptFile` to "temp.scr" in the "Script" folder of `dataFolder`, or
// to "temp1.scr" there when "temp.scr" cannot be replaced (another host instance may be holding
// it), in one step each, so no host ever reads half a script. Returns the path written. Throws
// when the script cannot be read or neither file can be written.
std::string KvWriteTempScript(const std::string& dataFolder, const std::string& scriptFile);
