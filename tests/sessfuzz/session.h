// The session fuzzer: random user sessions driven through the simulated host, as korvane-host
// runs a script, with the host's state checked after every step.
//
// A session runs in a child process of its own (a crash, a sanitizer report or a hang ends only
// that child). The child tells its parent every line it is about to run and the end of every step
// over a pipe, so that the parent always knows the session so far, can stop a step that takes too
// long, and can replay a shorter session to find the shortest one that still fails the same way.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sessfuzz {

// One user action: the script lines it takes (a menu pick is queued before the click that opens
// the menu; answers for the dialogs it opens follow it).
struct Step {
    std::vector<std::string> lines;
};

struct SessionPlan {
    std::uint64_t seed = 0;
    int steps = 0;                 // steps to generate (generating sessions)
    std::vector<Step> replay;      // steps to run instead (replaying a session)
    bool replaying = false;
    std::string moduleDir;         // the build's module folder
    std::string shippedDir;        // files the installer puts beside the module
};

// Runs one session in this (child) process and reports over `fd`:
//   "S" a step starts, "L <line>" a line of it runs, "E" its checks passed,
//   "F <what>" an invariant failed (the session stops), "Q" the host quit, "X" the session ended.
// Returns the process exit status: 0 when every check passed, 3 when one failed.
int runSession(const SessionPlan& plan, int fd);

// Splits a korvane-host script into steps: "# step" comment lines start a step; a script without
// them has a step per line.
std::vector<Step> stepsOfScript(const std::string& text);
// The steps as a korvane-host script, with a header of comment lines.
std::string scriptOfSteps(const std::vector<Step>& steps, const std::string& header);

}  // namespace sessfuzz
