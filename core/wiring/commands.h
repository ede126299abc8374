// The plug-in's command group on the host's command stack.
#pragma once
#include <string>
#include <vector>

inline constexpr const char* kCommandGroup = "KORVANE";

struct KvCommandDef {
    const char* name;
    int flags;
    void (*handler)();
};
// The 19 commands in registration order.
const std::vector<KvCommandDef>& KvCommandTable();
void KvRegisterCommands();
void KvRemoveCommands();
