// Processes, threads and waiting for them, in Win32 shape: CreateProcess, GetExitCodeProcess,
// TerminateProcess, CreateThread, WaitForSingleObject, CloseHandle, Sleep, GetLastError.
#pragma once
#include <cstddef>
#include <string>
#include "win/types.h"

// A kernel object handle (a process or a thread). Close every handle with CloseHandle.
struct KvKernelObject__;
using HANDLE = KvKernelObject__*;

constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD CREATE_NO_WINDOW = 0x08000000;
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;

struct STARTUPINFO {
    DWORD cb = sizeof(STARTUPINFO);
    DWORD dwFlags = 0;
    WORD wShowWindow = 0;   // with STARTF_USESHOWWINDOW: SW_HIDE, SW_SHOWNORMAL, ...
};
struct PROCESS_INFORMATION {
    HANDLE hProcess = nullptr;
    HANDLE hThread = nullptr;
    DWORD dwProcessId = 0;
    DWORD dwThreadId = 0;
};

// Starts a program. Without an application name the program is the command line's first token,
// found as Windows finds it: a quoted token is taken as it stands; an unquoted one that contains
// blanks is tried at each blank in turn ("C:\Program.exe" before "C:\Program Files\..."). The
// rest of the line is split into arguments by the C runtime's rules (quotes group, backslashes
// escape quotes). Null environment and folder: the caller's. FALSE with GetLastError set
// (ERROR_FILE_NOT_FOUND when there is no such program).
BOOL CreateProcess(const std::string* applicationName, const std::string& commandLine, void* processAttributes,
                   void* threadAttributes, BOOL inheritHandles, DWORD creationFlags, void* environment,
                   const std::string* currentDirectory, STARTUPINFO* startupInfo, PROCESS_INFORMATION* info);
// STILL_ACTIVE while the process runs, then its exit code. FALSE for a handle that is no process.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
// Ends the process at once; its exit code becomes `exitCode`.
BOOL TerminateProcess(HANDLE process, UINT exitCode);

using LPTHREAD_START_ROUTINE = DWORD (*)(void* parameter);
// A worker thread running start(parameter); null on failure.
HANDLE CreateThread(void* security, std::size_t stackSize, LPTHREAD_START_ROUTINE start, void* parameter,
                    DWORD creationFlags, DWORD* threadId);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);

// An event: signalled by SetEvent until ResetEvent (manual reset), or until one wait has seen it.
HANDLE CreateEvent(void* security, BOOL manualReset, BOOL initialState, const std::string* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// WAIT_OBJECT_0 when the process or thread has ended (the event is set), WAIT_TIMEOUT when `ms`
// passed first. The simulator counts `ms` on the real clock and on the desktop's clock, and the
// first to run out ends the wait; an ending process or a set event wakes the waiter at once.
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);
// Waits for any one of the objects (WAIT_OBJECT_0 + its index, the lowest when several are
// signalled) or, with `waitAll`, for all of them (WAIT_OBJECT_0).
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms);
BOOL CloseHandle(HANDLE handle);

// The calling thread's last error code.
DWORD GetLastError();
void SetLastError(DWORD error);

// Suspends the calling thread. The simulator's desktop clock counts too: a sleeping worker wakes
// when either the real time or the desktop's (possibly virtual) clock has moved by `ms`.
void Sleep(DWORD ms);
