// The simulated machine's automation servers: a ProgID registered with the program that serves
// it, as an installer registers a local server.
#pragma once
#include <string>

namespace sim::desk {

// The host's automation class, as the simulated host program registers itself.
inline constexpr const char* kHostProgId = "AutoCAD.Application";
inline constexpr const char* kHostClassId = "{0D327DA6-B4DF-4842-B833-2CFF84F0948F}";

// Registers `clsid` under `progId` with `commandLine` as its local server (the registry's
// Classes branch of the local machine). The server is started with that command line; each call
// on its objects reaches it as a script line on its standard input.
void registerAutomationServer(const std::string& progId, const std::string& clsid, const std::string& commandLine);

}  // namespace sim::desk
