// The simulated desktop's named mutexes (win/sync.h): one object per name inside a process, shared
// between processes through an advisory lock on a file under the machine's root.
#pragma once
#include <memory>
#include <string>
#include "win/types.h"

namespace sim::desk {

struct SimMutex;
std::shared_ptr<SimMutex> openNamedMutex(const std::string& name);
// WAIT_OBJECT_0, WAIT_ABANDONED or WAIT_TIMEOUT, as WaitForSingleObject answers for a mutex.
DWORD waitMutex(SimMutex& mutex, DWORD ms);
bool releaseMutex(SimMutex& mutex);
// The folder that holds the lock files (created on first use).
std::string lockFolder();

}  // namespace sim::desk
