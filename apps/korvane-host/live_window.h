// The live window: a real desktop window that shows the simulated host's screen as the snapshots
// draw it and turns the real mouse and keyboard into the desktop messages the simulator delivers.
// The simulator keeps owning the picture; the window only shows it and forwards input.
#pragma once
#include "sim/script/runner.h"

namespace kvapp {

// False when this build was made without the windowing library.
bool liveWindowBuilt();

// Opens the window at the given size (the host frame takes that size) and runs the command line
// in it until the window is closed, @exit or QUIT. False, with a message, when no window opens.
bool runLiveWindow(sim::script::Runner& runner, int width, int height);

}  // namespace kvapp
