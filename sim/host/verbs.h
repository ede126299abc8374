// The script verbs of the simulated host (documents, variables, modules, prompt answers, events).
#pragma once
#include "sim/script/runner.h"

namespace sim::host {
// Adds the host's verbs to the runner and makes it type its command lines into the host.
void registerHostVerbs(sim::script::Runner& runner);
}  // namespace sim::host
