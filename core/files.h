// Whole-file reads and writes for the plug-in's own files (settings, menus, scripts).
#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

struct KvKernelObject__;   // a kernel object handle (win/process.h)

// The file's bytes; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const std::string& path);

// Replaces the file's content as one step: the bytes go to a new file beside it, which is then
// renamed over it, so that readers and a crash in the middle see the old file or the new one,
// never a truncated mix, and two writers (threads or processes) never interleave. The file keeps
// its name (letter case included) and its permissions; a symbolic link is followed. False, with
// the old file untouched, when the new one cannot be written.
bool WriteFileAtomic(const std::string& path, std::string_view bytes);

// Creates the file with these bytes as one step, unless a file of that name exists: then that
// file stays as it is, whoever made it meanwhile, and the answer is false (as when the new file
// cannot be written). Readers never see it half-written.
bool WriteFileIfAbsent(const std::string& path, std::string_view bytes);

// Removes the temporary files that writes of `path` left beside it when their process ended in
// the middle (a crash, a kill), once they are older than `age`: a write still going on is never
// that old.
void RemoveStaleTempFiles(const std::string& path, std::chrono::seconds age);

// Serialises a read-modify-write of something that other host processes on the same user profile
// share: the settings file, the registry lists, the batch script list. The holder reads the shared
// thing as it is now, changes its own part and writes it back, so no process's write is lost.
// The wait is short: when the lock cannot be had (a host that hangs while holding it), the work
// goes on without it after a line on the command line, so no host ever hangs on another.
class KvHostsMutex;
class KvHostsLock {
public:
    explicit KvHostsLock(std::string_view name) : KvHostsLock(name, kWaitMs, true) {}
    // The same wait on a mutex kept open for many locks.
    explicit KvHostsLock(KvHostsMutex& mutex) : KvHostsLock(mutex, kWaitMs, true) {}
    // Takes the lock only when it is free now, quietly; Held() tells.
    static KvHostsLock TryNow(std::string_view name) { return KvHostsLock(name, 0, false); }
    static KvHostsLock TryNow(KvHostsMutex& mutex) { return KvHostsLock(mutex, 0, false); }
    KvHostsLock(KvHostsLock&& other) noexcept : mutex_(other.mutex_), owned_(other.owned_), closes_(other.closes_) {
        other.mutex_ = nullptr;
        other.owned_ = false;
        other.closes_ = false;
    }
    ~KvHostsLock();
    KvHostsLock(const KvHostsLock&) = delete;
    KvHostsLock& operator=(const KvHostsLock&) = delete;
    bool Held() const { return owned_; }

private:
    // Long enough for any write a host makes under the lock, short enough not to feel like a hang.
    static constexpr unsigned kWaitMs = 1500;
    KvHostsLock(std::string_view name, unsigned waitMs, bool report);
    KvHostsLock(KvHostsMutex& mutex, unsigned waitMs, bool report);
    void Wait(std::string_view name, unsigned waitMs, bool report);
    KvKernelObject__* mutex_ = nullptr;
    bool owned_ = false;
    bool closes_ = false;   // the mutex was opened for this lock alone
};

// The mutex behind a KvHostsLock of one name, opened once: for something written often, where
// opening the mutex again for every write would cost more than the write itself.
class KvHostsMutex {
public:
    explicit KvHostsMutex(std::string_view name);
    ~KvHostsMutex();
    KvHostsMutex(const KvHostsMutex&) = delete;
    KvHostsMutex& operator=(const KvHostsMutex&) = delete;

private:
    friend class KvHostsLock;
    std::string name_;
    KvKernelObject__* mutex_ = nullptr;
};

// A file name in `folder` that no other host process running now uses: stem + ext when it is free,
// else stem1 + ext, stem2 + ext, ... The name stays this process's for its whole life, so a file
// generated under it (a script the host will run) is never overwritten by another host's. `which`
// asks for a further name of this process's own (1: a second one, when the first cannot be written).
std::string KvHostOwnFileName(const std::string& folder, std::string_view stem, std::string_view ext, int which = 0);
