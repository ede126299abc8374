// Processes and worker threads of the simulated desktop. Processes are real: posix_spawn of the
// program the command line names, no shell. A started program gets a standard input nobody writes
// to (a hidden console has no one typing) and its output goes to a log file under the machine's
// root. Worker threads are real threads; the desktop keeps a list so that scripts and tests can
// wait for them.
#include "sim/desk/process.h"
#include "sim/desk/sync.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/machine.h"
#include "sim/script/runner.h"
#include "win/process.h"
#include "win/sync.h"

extern char** environ;

namespace fs = std::filesystem;

struct KvKernelObject__ {
    enum class Kind { Process, Thread, Event, Mutex } kind = Kind::Process;
    std::shared_ptr<struct SimProcess> process;
    std::shared_ptr<struct SimThread> thread;
    std::shared_ptr<struct SimEvent> event;
    std::shared_ptr<sim::desk::SimMutex> mutex;
};

// Every kernel object's state is guarded by one mutex, and every change of a state that a wait
// looks at is announced on one condition variable: a wait wakes at once when a process ends, a
// thread finishes, an event is set or the desktop's clock moves, and never polls.
struct SimProcess {
    sim::desk::ProcessRecord record;
    int stdinWrite = -1;   // kept open so that the program's reads wait, as at an unattended console
};

struct SimThread {
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
};

struct SimEvent {
    bool manualReset = true;
    bool signaled = false;
};

namespace sim::desk {
namespace {

thread_local DWORD t_lastError = 0;

struct Table {
    std::mutex mutex;
    std::vector<std::shared_ptr<SimProcess>> processes;
    std::vector<std::shared_ptr<SimThread>> threads;
};
Table& table() {
    static Table t;
    return t;
}

std::uint64_t realMs() {
    using namespace std::chrono;
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::mutex& kernelMutex() {
    static std::mutex m;
    return m;
}
std::condition_variable& kernelChanged() {
    static std::condition_variable cv;
    return cv;
}
void announce() { kernelChanged().notify_all(); }

// Waits until `pred` holds (kernel mutex held through `lock`), or until `ms` have passed on the real
// clock or on the desktop's clock, whichever comes first (as Sleep counts). True when `pred` held.
template <class Pred>
bool waitKernel(std::unique_lock<std::mutex>& lock, DWORD ms, Pred pred) {
    static std::once_flag listening;
    std::call_once(listening, [] {
        Desktop::get().addClockListener([] {
            { std::lock_guard l(kernelMutex()); }
            announce();
        });
    });
    if (ms == INFINITE) {
        kernelChanged().wait(lock, pred);
        return true;
    }
    auto& desk = Desktop::get();
    const std::uint64_t deskStart = desk.nowMs();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (pred()) return true;
        const std::uint64_t now = desk.nowMs();   // a reset desktop starts its clock again
        if (now >= deskStart && now - deskStart >= ms) return false;
        if (kernelChanged().wait_until(lock, until) == std::cv_status::timeout) return pred();
    }
}

// The one thread that collects a started program's exit status. It waits without reaping first,
// then reaps under the kernel mutex, so that TerminateProcess (which signals under that mutex)
// can never reach another process that has been given the same number.
void watchProcess(const std::shared_ptr<SimProcess>& proc) {
    std::thread([proc] {
        const pid_t pid = pid_t(proc->record.pid);
        siginfo_t info{};
        while (waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
        }
        std::lock_guard lock(kernelMutex());
        int status = 0;
        pid_t r = 0;
        do r = waitpid(pid, &status, 0);
        while (r < 0 && errno == EINTR);
        ProcessRecord& rec = proc->record;
        rec.running = false;
        if (!rec.terminated) {
            if (r > 0 && WIFEXITED(status)) rec.exitCode = DWORD(WEXITSTATUS(status));
            else if (r > 0 && WIFSIGNALED(status)) rec.exitCode = DWORD(128 + WTERMSIG(status));
        }
        if (proc->stdinWrite >= 0) {
            close(proc->stdinWrite);
            proc->stdinWrite = -1;
        }
        announce();
    }).detach();
}

bool isProgram(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The program a command line names, as CreateProcess without an application name finds it.
std::string findProgram(std::string_view commandLine, size_t* restAt) {
    const ProgramToken token = programToken(commandLine);
    auto candidate = [](std::string name) -> std::string {
        if (name.empty()) return {};
        if (isProgram(name)) return name;
        if (fs::path(name).extension().empty() && isProgram(name + ".exe")) return name + ".exe";
        return {};
    };
    *restAt = token.rest;
    if (token.quoted) return candidate(token.text);
    // An unquoted path with blanks: each blank in turn ends a candidate, shortest first.
    const size_t start = commandLine.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    for (size_t at = start; at <= commandLine.size(); ++at) {
        if (at < commandLine.size() && commandLine[at] != ' ' && commandLine[at] != '\t') continue;
        const std::string found = candidate(std::string(commandLine.substr(start, at - start)));
        if (!found.empty()) {
            *restAt = at;
            return found;
        }
        if (commandLine.substr(start, at - start).find('"') != std::string_view::npos) break;
    }
    return {};
}

std::vector<std::string> environmentBlock() {
    std::vector<std::string> out;
    for (char** e = environ; e && *e; ++e) {
        std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        auto value = Desktop::get().env(name);
        if (value) out.push_back(name + "=" + *value);
    }
    // Variables the desktop sets that the real environment lacks.
    for (const char* name : {"APPDATA"}) {
        if (!std::getenv(name)) {
            if (auto value = Desktop::get().env(name)) out.push_back(std::string(name) + "=" + *value);
        }
    }
    return out;
}

std::string outputPathFor(int number) {
    const std::string root = machine().root;
    if (root.empty()) return {};
    std::error_code ec;
    fs::create_directories(root + "processes", ec);
    return root + "processes/" + std::to_string(number) + ".log";
}

}  // namespace

ProgramToken programToken(std::string_view s) {
    ProgramToken t;
    size_t i = s.find_first_not_of(" \t");
    if (i == std::string_view::npos) {
        t.rest = s.size();
        return t;
    }
    if (s[i] == '"') {
        const size_t end = s.find('"', i + 1);
        t.quoted = true;
        t.text = std::string(s.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1));
        t.rest = end == std::string_view::npos ? s.size() : end + 1;
        return t;
    }
    const size_t end = s.find_first_of(" \t", i);
    t.text = std::string(s.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
    t.rest = end == std::string_view::npos ? s.size() : end;
    return t;
}

std::vector<std::string> splitArguments(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (true) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i >= s.size()) break;
        std::string arg;
        bool inQuotes = false;
        while (i < s.size()) {
            const char c = s[i];
            if (c == '\\') {
                size_t n = 0;
                while (i < s.size() && s[i] == '\\') {
                    ++n;
                    ++i;
                }
                if (i < s.size() && s[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (inQuotes && i + 1 < s.size() && s[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++i;
                continue;
            }
            if (!inQuotes && (c == ' ' || c == '\t')) break;
            arg += c;
            ++i;
        }
        out.push_back(std::move(arg));
    }
    return out;
}

std::vector<ProcessRecord> processes() {
    std::vector<std::shared_ptr<SimProcess>> list;
    {
        std::lock_guard lock(table().mutex);
        list = table().processes;
    }
    std::vector<ProcessRecord> out;
    std::lock_guard lock(kernelMutex());
    for (auto& p : list) out.push_back(p->record);
    return out;
}

bool awaitProcess(int number, bool ended, std::uint64_t timeoutMs) {
    const std::uint64_t until = realMs() + timeoutMs;
    for (;;) {
        for (const auto& r : processes())
            if (r.number == number && (!ended || !r.running)) return true;
        WindowManager::get().pump();
        if (realMs() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool writeProcessInput(HANDLE h, std::string_view text) {
    if (!h || h->kind != KvKernelObject__::Kind::Process) return false;
    // The pipe is taken under the kernel mutex and written outside it: a full pipe may block
    // the write, and waits must go on meanwhile.
    int fd = -1;
    {
        std::lock_guard lock(kernelMutex());
        if (h->process->stdinWrite < 0 || !h->process->record.running) return false;
        fd = fcntl(h->process->stdinWrite, F_DUPFD_CLOEXEC, 3);
    }
    if (fd < 0) return false;
    // A reader that went away must not take this process with it: SIGPIPE is held back for the
    // write and a pending one is consumed.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    bool ok = true;
    while (!text.empty()) {
        const ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        text.remove_prefix(size_t(n));
    }
    if (!ok && errno == EPIPE) {
        const timespec none{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(fd);
    return ok;
}

void closeProcessInput(HANDLE h) {
    if (!h || h->kind != KvKernelObject__::Kind::Process) return;
    std::lock_guard lock(kernelMutex());
    if (h->process->stdinWrite >= 0) {
        close(h->process->stdinWrite);
        h->process->stdinWrite = -1;
    }
}

void resetProcesses() {
    std::vector<std::shared_ptr<SimProcess>> list;
    {
        std::lock_guard lock(table().mutex);
        list.swap(table().processes);
    }
    std::unique_lock lock(kernelMutex());
    for (auto& p : list) {
        if (!p->record.running) continue;
        kill(pid_t(p->record.pid), SIGKILL);
        p->record.terminated = true;
        kernelChanged().wait(lock, [&] { return !p->record.running; });
    }
}

size_t runningWorkers() {
    std::lock_guard lock(table().mutex);
    std::lock_guard kernel(kernelMutex());
    std::erase_if(table().threads, [](const std::shared_ptr<SimThread>& t) { return t->finished; });
    return table().threads.size();
}

bool awaitWorkers(std::uint64_t timeoutMs) {
    const std::uint64_t until = realMs() + timeoutMs;
    for (;;) {
        WindowManager::get().pump();
        if (runningWorkers() == 0) {
            WindowManager::get().pump();
            return true;
        }
        if (realMs() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void registerProcessVerbs(script::Runner& runner) {
    using script::Args;
    using script::Runner;
    using script::VerbError;
    auto toMs = [](const std::string& s) -> std::uint64_t {
        try {
            return std::stoull(s);
        } catch (const std::exception&) {
            throw VerbError("'" + s + "' is no number of milliseconds");
        }
    };
    runner.addVerb("processes", [](Runner&, const Args&) {
        std::string out;
        for (const auto& r : processes()) {
            out += "[process " + std::to_string(r.number) + "] " +
                   (r.running ? std::string("running") : r.terminated ? "terminated, exit code " + std::to_string(r.exitCode)
                                                                     : "ended, exit code " + std::to_string(r.exitCode)) +
                   ": " + r.commandLine + "\n";
        }
        Desktop::get().print(out.empty() ? "[process] none started\n" : out);
    }, "@processes");
    runner.addVerb("await-process", [toMs](Runner&, const Args& a) {
        if (a.empty() || a.size() > 3) throw VerbError("usage: @await-process N [ended] [MS]");
        int number = 0;
        try {
            number = std::stoi(a[0]);
        } catch (const std::exception&) {
            throw VerbError("the process number is a number");
        }
        bool ended = false;
        std::uint64_t ms = 30000;
        for (size_t i = 1; i < a.size(); ++i) {
            if (a[i] == "ended") ended = true;
            else ms = toMs(a[i]);
        }
        if (!awaitProcess(number, ended, ms))
            throw VerbError("process " + a[0] + (ended ? " did not end" : " did not start") + " in time");
    }, "@await-process N [ended] [MS]");
    runner.addVerb("await-work", [toMs](Runner&, const Args& a) {
        if (a.size() > 1) throw VerbError("usage: @await-work [MS]");
        if (!awaitWorkers(a.empty() ? 30000 : toMs(a[0]))) throw VerbError("worker threads still run");
    }, "@await-work [MS]");
}

}  // namespace sim::desk

using namespace sim::desk;

// ---- The boundary ---------------------------------------------------------------------------------

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

BOOL CreateProcess(const std::string* applicationName, const std::string& commandLine, void*, void*, BOOL,
                   DWORD, void*, const std::string* currentDirectory, STARTUPINFO*, PROCESS_INFORMATION* info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t restAt = 0;
    std::string program;
    if (applicationName) {
        program = isProgram(*applicationName) ? *applicationName : std::string();
        restAt = programToken(commandLine).rest;
    } else {
        program = findProgram(commandLine, &restAt);
    }
    if (program.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (access(program.c_str(), X_OK) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::vector<std::string> argv{program};
    for (auto& a : splitArguments(std::string_view(commandLine).substr(std::min(restAt, commandLine.size()))))
        argv.push_back(std::move(a));
    std::vector<std::string> env = environmentBlock();

    auto proc = std::make_shared<SimProcess>();
    {
        std::lock_guard lock(table().mutex);
        proc->record.number = int(table().processes.size()) + 1;
    }
    proc->record.commandLine = commandLine;
    proc->record.argv = argv;
    proc->record.outputPath = outputPathFor(proc->record.number);

    int in[2];
    if (pipe2(in, O_CLOEXEC) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    const std::string out = proc->record.outputPath.empty() ? "/dev/null" : proc->record.outputPath;
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // The child gets standard input, output and error and nothing else. Marking our own opens
    // close-on-exec is not enough: standard streams, SQLite, fontconfig and the plug-in open
    // descriptors we cannot mark, and a descriptor opened by another thread between an open and
    // its fcntl would slip through. Closing everything above 2 in the child covers them all.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (currentDirectory && !currentDirectory->empty())
        posix_spawn_file_actions_addchdir_np(&actions, currentDirectory->c_str());
    std::vector<char*> args, envp;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    if (rc != 0) {
        close(in[1]);
        SetLastError(rc == ENOEXEC ? ERROR_BAD_EXE_FORMAT : rc == EACCES ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    {
        std::lock_guard lock(table().mutex);
        std::lock_guard kernel(kernelMutex());
        proc->stdinWrite = in[1];
        proc->record.pid = pid;
        proc->record.running = true;
        table().processes.push_back(proc);
    }
    watchProcess(proc);
    info->hProcess = new KvKernelObject__{KvKernelObject__::Kind::Process, proc, nullptr, nullptr, nullptr};
    info->hThread = new KvKernelObject__{KvKernelObject__::Kind::Process, proc, nullptr, nullptr, nullptr};
    info->dwProcessId = DWORD(pid);
    info->dwThreadId = DWORD(pid);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE h, DWORD* exitCode) {
    if (!h || h->kind != KvKernelObject__::Kind::Process || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(kernelMutex());
    *exitCode = h->process->record.running ? STILL_ACTIVE : h->process->record.exitCode;
    return TRUE;
}

BOOL TerminateProcess(HANDLE h, UINT exitCode) {
    if (!h || h->kind != KvKernelObject__::Kind::Process) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SimProcess& p = *h->process;
    std::unique_lock lock(kernelMutex());
    if (!p.record.running) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    kill(pid_t(p.record.pid), SIGKILL);
    p.record.terminated = true;
    p.record.exitCode = exitCode;
    // As on Windows, the process has ended when the call returns.
    kernelChanged().wait(lock, [&] { return !p.record.running; });
    return TRUE;
}

HANDLE CreateThread(void*, std::size_t, LPTHREAD_START_ROUTINE start, void* parameter, DWORD, DWORD* threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = std::make_shared<SimThread>();
    {
        std::lock_guard lock(table().mutex);
        table().threads.push_back(state);
    }
    try {
        std::thread([state, start, parameter] {
            const DWORD code = start(parameter);
            std::lock_guard lock(kernelMutex());
            state->finished = true;
            state->exitCode = code;
            announce();
        }).detach();
    } catch (const std::exception&) {
        std::lock_guard lock(kernelMutex());
        state->finished = true;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) *threadId = 0;
    return new KvKernelObject__{KvKernelObject__::Kind::Thread, nullptr, state, nullptr, nullptr};
}

BOOL GetExitCodeThread(HANDLE h, DWORD* exitCode) {
    if (!h || h->kind != KvKernelObject__::Kind::Thread || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(kernelMutex());
    *exitCode = h->thread->finished ? h->thread->exitCode : STILL_ACTIVE;
    return TRUE;
}

HANDLE CreateEvent(void*, BOOL manualReset, BOOL initialState, const std::string*) {
    auto event = std::make_shared<SimEvent>();
    event->manualReset = manualReset != FALSE;
    event->signaled = initialState != FALSE;
    return new KvKernelObject__{KvKernelObject__::Kind::Event, nullptr, nullptr, event, nullptr};
}

namespace {
BOOL setEvent(HANDLE h, bool on) {
    if (!h || h->kind != KvKernelObject__::Kind::Event) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard lock(kernelMutex());
    h->event->signaled = on;
    announce();
    return TRUE;
}

// Under the kernel mutex: whether the object is signalled.
bool signaled(HANDLE h) {
    switch (h->kind) {
    case KvKernelObject__::Kind::Process: return !h->process->record.running;
    case KvKernelObject__::Kind::Thread: return h->thread->finished;
    case KvKernelObject__::Kind::Event: return h->event->signaled;
    case KvKernelObject__::Kind::Mutex: return false;   // never in a shared wait
    }
    return false;
}

// Under the kernel mutex: a satisfied wait takes the signal of an auto-reset event.
void consume(HANDLE h) {
    if (h->kind == KvKernelObject__::Kind::Event && !h->event->manualReset) h->event->signaled = false;
}
}  // namespace

BOOL SetEvent(HANDLE h) { return setEvent(h, true); }
BOOL ResetEvent(HANDLE h) { return setEvent(h, false); }

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    for (DWORD i = 0; i < count; ++i) {
        // A named mutex is shared with other processes and waited for on its own.
        if (!handles[i] || handles[i]->kind == KvKernelObject__::Kind::Mutex) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    std::unique_lock lock(kernelMutex());
    DWORD first = count;
    auto ready = [&] {
        first = count;
        bool all = true;
        for (DWORD i = 0; i < count; ++i) {
            if (signaled(handles[i])) {
                if (first == count) first = i;
            } else {
                all = false;
            }
        }
        return waitAll ? all : first < count;
    };
    if (!waitKernel(lock, ms, ready)) return WAIT_TIMEOUT;
    if (waitAll) {
        for (DWORD i = 0; i < count; ++i) consume(handles[i]);
        return WAIT_OBJECT_0;
    }
    consume(handles[first]);
    return WAIT_OBJECT_0 + first;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
    if (h && h->kind == KvKernelObject__::Kind::Mutex) return sim::desk::waitMutex(*h->mutex, ms);
    return WaitForMultipleObjects(1, &h, FALSE, ms);
}

BOOL CloseHandle(HANDLE h) {
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete h;
    return TRUE;
}

void Sleep(DWORD ms) {
    // Nothing is ever signalled to a sleeper: only the real clock or the desktop's ends the wait.
    std::unique_lock lock(kernelMutex());
    waitKernel(lock, ms, [] { return false; });
}

HANDLE CreateMutex(void*, BOOL initialOwner, const std::string& name) {
    auto mutex = sim::desk::openNamedMutex(name);
    if (!mutex) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    HANDLE h = new KvKernelObject__{KvKernelObject__::Kind::Mutex, nullptr, nullptr, nullptr, mutex};
    if (initialOwner) WaitForSingleObject(h, INFINITE);
    return h;
}

BOOL ReleaseMutex(HANDLE h) {
    if (!h || h->kind != KvKernelObject__::Kind::Mutex) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return sim::desk::releaseMutex(*h->mutex) ? TRUE : FALSE;
}
