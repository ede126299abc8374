// The simulated machine under one root folder: the user's application data, the plug-in's install
// folder, the registry hives and a drawings folder.
#pragma once
#include <string>

namespace sim {

struct MachineLayout {
    std::string root;          // absolute, ends with '/'
    std::string appData;       // <root>AppData/Roaming/
    std::string moduleFolder;  // <root>Program Files/Korvane/
    std::string registry;      // <root>registry/
    std::string drawings;      // <root>Drawings/
};

// Creates the folders, installs the plug-in's files from the build (module folder) and the shipped
// files, opens the registry hives and points APPDATA at the root's folder unless the environment
// names one. `buildModuleDir` holds Korvane.arx and Lumaret64.so; `shippedDir` the shipped files.
MachineLayout setupMachine(const std::string& root, const std::string& buildModuleDir, const std::string& shippedDir);

// A new temporary root ("/tmp/korvane-XXXXXX/").
std::string makeTemporaryRoot();

const MachineLayout& machine();

}  // namespace sim
