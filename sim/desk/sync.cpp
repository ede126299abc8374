// Named mutexes. Threads of one process meet in the object the name maps to; processes meet in a
// lock file: flock() on it is held while some thread of this process owns the mutex, and the
// kernel drops it when the owner dies. The owner's process id is written into the file while it
// is held and blanked out when it is released, so that a waiter that finds an id left behind
// knows the mutex was abandoned. The file keeps one fixed-size record, mapped into memory and
// overwritten in place: a lock and a release write it without a system call of their own.
#include "sim/desk/sync.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include "sim/machine.h"
#include "win/sync.h"

namespace fs = std::filesystem;

namespace sim::desk {

// The owner record: a process id padded with blanks, or only blanks while nobody owns the mutex.
constexpr std::size_t kRecordSize = 16;

struct SimMutex {
    std::string name;
    std::string path;   // the lock file
    int fd = -1;
    pid_t pid = 0;      // the process that opened fd
    char* record = nullptr;   // the owner record mapped from fd; null when it could not be mapped
    std::mutex guard;
    std::condition_variable freed;
    std::thread::id owner;
    int depth = 0;
    ~SimMutex() { closeFile(); }

    // Opens the lock file and maps its record, growing the file to hold one first.
    bool openFile() {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        pid = ::getpid();
        struct stat st {};
        if (::fstat(fd, &st) == 0 && (st.st_size >= off_t(kRecordSize) || ::ftruncate(fd, kRecordSize) == 0)) {
            void* p = ::mmap(nullptr, kRecordSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (p != MAP_FAILED) record = static_cast<char*>(p);
        }
        return true;
    }
    void closeFile() {
        if (record) ::munmap(record, kRecordSize);
        if (fd >= 0) ::close(fd);
        record = nullptr;
        fd = -1;
    }
    void readRecord(char* out) const {
        if (record) {
            std::memcpy(out, record, kRecordSize);
        } else if (::pread(fd, out, kRecordSize, 0) < 0) {
            std::memset(out, ' ', kRecordSize);
        }
    }
    void writeRecord(const char* in) {
        if (record) {
            std::memcpy(record, in, kRecordSize);
        } else if (::pwrite(fd, in, kRecordSize, 0) < 0) {
            // The id is only a hint for the next waiter: one left behind makes it report the
            // mutex as abandoned, a missing one makes it miss an abandonment.
        }
    }
};

namespace {

std::mutex gTableMutex;
std::map<std::string, std::weak_ptr<SimMutex>>& table() {
    static std::map<std::string, std::weak_ptr<SimMutex>> t;
    return t;
}

// A name as a file name: anything but letters, digits, dot and dash becomes '_'.
std::string fileNameOf(const std::string& name) {
    std::string out;
    for (unsigned char c : name) out += std::isalnum(c) || c == '.' || c == '-' ? char(c) : '_';
    return out + ".lock";
}

// Takes the file lock, waiting until `deadline`; -1 on time-out, else 1 when the last owner left
// its process id behind (abandoned), 0 otherwise.
int lockFile(SimMutex& m, std::chrono::steady_clock::time_point deadline) {
    // A forked child would share its parent's open lock file, and with it the parent's lock.
    const pid_t me = ::getpid();
    if (m.pid != me) {
        m.closeFile();
        if (!m.openFile()) return 0;   // no lock to be had: go on without
    }
    for (;;) {
        if (::flock(m.fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) return 0;   // no lock to be had: go on without
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    char left[kRecordSize];
    m.readRecord(left);
    const bool abandoned = std::any_of(left, left + kRecordSize, [](char c) { return c >= '0' && c <= '9'; });
    char mine[kRecordSize + 1];
    std::snprintf(mine, sizeof mine, "%-*ld", int(kRecordSize), long(me));
    m.writeRecord(mine);
    return abandoned ? 1 : 0;
}

void unlockFile(SimMutex& m) {
    char blank[kRecordSize];
    std::memset(blank, ' ', sizeof blank);
    m.writeRecord(blank);
    ::flock(m.fd, LOCK_UN);
}

}  // namespace

namespace {

std::string lockFolderPath() {
    const std::string& root = sim::machine().root;
    if (!root.empty()) return (fs::path(root) / "locks").string() + "/";
    return (fs::temp_directory_path() / ("korvane-locks-" + std::to_string(::getuid()))).string() + "/";
}

}  // namespace

std::string lockFolder() {
    const std::string folder = lockFolderPath();
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

std::shared_ptr<SimMutex> openNamedMutex(const std::string& name) {
    // Known by its file, so that a process whose machine moves to another root meets that root's
    // other processes.
    const std::string path = lockFolderPath() + fileNameOf(name);
    std::lock_guard lock(gTableMutex);
    auto& slot = table()[path];
    if (auto existing = slot.lock()) return existing;
    auto m = std::make_shared<SimMutex>();
    m->name = name;
    m->path = path;
    if (!m->openFile() && errno == ENOENT) {
        // The folder is made on first use only; it may also have been removed since.
        lockFolder();
        m->openFile();
    }
    if (m->fd < 0) return nullptr;
    slot = m;
    return m;
}

DWORD waitMutex(SimMutex& m, DWORD ms) {
    const auto deadline = ms == INFINITE ? std::chrono::steady_clock::time_point::max()
                                         : std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock lock(m.guard);
    const auto me = std::this_thread::get_id();
    if (m.depth > 0 && m.owner == me) {
        ++m.depth;
        return WAIT_OBJECT_0;
    }
    if (!m.freed.wait_until(lock, deadline, [&] { return m.depth == 0; })) return WAIT_TIMEOUT;
    // Claimed inside the process; the file lock is taken without holding the guard.
    m.owner = me;
    m.depth = 1;
    lock.unlock();
    const int got = lockFile(m, deadline);
    if (got < 0) {
        lock.lock();
        m.depth = 0;
        m.owner = {};
        m.freed.notify_one();
        return WAIT_TIMEOUT;
    }
    return got == 1 ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

bool releaseMutex(SimMutex& m) {
    std::lock_guard lock(m.guard);
    if (m.depth == 0 || m.owner != std::this_thread::get_id()) return false;
    if (--m.depth == 0) {
        unlockFile(m);
        m.owner = {};
        m.freed.notify_one();
    }
    return true;
}

}  // namespace sim::desk
