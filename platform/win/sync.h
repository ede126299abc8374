// Named mutexes shared by every process of the user's session, in Win32 shape: CreateMutex and
// ReleaseMutex. Wait for one with WaitForSingleObject and close it with CloseHandle (win/process.h).
#pragma once
#include <string>
#include "win/process.h"

// The wait got the mutex, but its last owner ended without releasing it: what it guarded may be
// half-written.
constexpr DWORD WAIT_ABANDONED = 0x80;

// Opens the mutex of that name, creating it when no process has it open; with `initialOwner` the
// caller also waits for it without a time limit. Null with GetLastError set on failure.
HANDLE CreateMutex(void* security, BOOL initialOwner, const std::string& name);
// Gives up one ownership of the calling thread; FALSE when it does not own the mutex.
BOOL ReleaseMutex(HANDLE mutex);
