#pragma once
#include "sim/machine.h"
#include "sim/script/runner.h"

namespace kvapp {
// Verbs that span several parts of the simulator: the registry, the thumbnail library, settings.
void registerAppVerbs(sim::script::Runner& runner, const sim::MachineLayout& machine);
}
