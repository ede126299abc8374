// The simulator's side of processes and worker threads: what tests and script verbs see of the
// programs the plug-in starts and of the threads it runs.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "win/types.h"

struct KvKernelObject__;
using HANDLE = KvKernelObject__*;   // as win/process.h declares it

namespace sim::script { class Runner; }

namespace sim::desk {

// ---- Command lines, as Windows reads them ----------------------------------------------------------
// The program token: quoted text (quotes removed) or the text up to the first blank or tab.
struct ProgramToken {
    std::string text;
    bool quoted = false;
    size_t rest = 0;   // where the arguments start
};
ProgramToken programToken(std::string_view commandLine);
// The arguments after the program, by the C runtime's rules: blanks and tabs separate, double
// quotes group (a doubled quote inside a group is one quote), 2n backslashes before a quote give
// n backslashes, 2n+1 give n and a literal quote; other backslashes are literal.
std::vector<std::string> splitArguments(std::string_view text);

// ---- Processes ---------------------------------------------------------------------------------
struct ProcessRecord {
    int number = 0;             // 1 for the first process started since the last reset
    std::string commandLine;
    std::vector<std::string> argv;
    long pid = 0;
    bool running = false;
    bool terminated = false;    // ended by TerminateProcess
    DWORD exitCode = 0;
    std::string outputPath;     // where its standard output and error went ("" : nowhere)
};
std::vector<ProcessRecord> processes();
// Waits (real time) until process `number` has started, or has ended when `ended`; false when the
// time ran out first. Window messages are dispatched meanwhile (call on the desktop's thread).
bool awaitProcess(int number, bool ended, std::uint64_t timeoutMs);
// Writes to the standard input of a process CreateProcess started (a local server takes its
// calls so); false when it has ended or its input is closed. Closing the input ends its reads.
bool writeProcessInput(HANDLE process, std::string_view text);
void closeProcessInput(HANDLE process);
// Kills every process still running and forgets them all (tests, reset).
void resetProcesses();

// ---- Worker threads ------------------------------------------------------------------------------
size_t runningWorkers();
// Waits (real time) until no worker thread runs, dispatching window messages meanwhile, then
// dispatches what they posted; false when the time ran out first.
bool awaitWorkers(std::uint64_t timeoutMs);

// @processes, @await-process, @await-work.
void registerProcessVerbs(sim::script::Runner& runner);

}  // namespace sim::desk
