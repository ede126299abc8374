// Named mutexes. Threads of one process meet in the object the name maps to; processes meet in a
// lock file: flock() on it is held while some thread of this process owns the mutex, and the
// kernel drops it when the owner dies. The owner's process id is written into the file while it
// is held, so that a waiter that finds an id left behind knows the mutex was abandoned.
#include "sim/desk/sync.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
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

struct SimMutex {
    std::string name;
    int fd = -1;
    std::mutex guard;
    std::condition_variable freed;
    std::thread::id owner;
    int depth = 0;
    ~SimMutex() {
        if (fd >= 0) ::close(fd);
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
    for (;;) {
        if (::flock(m.fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) return 0;   // no lock to be had: go on without
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    char left[32] = {};
    const ssize_t n = ::pread(m.fd, left, sizeof left - 1, 0);
    const std::string mine = std::to_string(::getpid());
    if (::ftruncate(m.fd, 0) == 0 && ::pwrite(m.fd, mine.data(), mine.size(), 0) < 0) {
        // The id is only a hint for the next waiter.
    }
    return n > 0 ? 1 : 0;
}

void unlockFile(SimMutex& m) {
    if (::ftruncate(m.fd, 0) != 0) {
        // An id left behind only makes the next waiter report the mutex as abandoned.
    }
    ::flock(m.fd, LOCK_UN);
}

}  // namespace

std::string lockFolder() {
    const std::string& root = sim::machine().root;
    const fs::path folder = root.empty() ? fs::temp_directory_path() / ("korvane-locks-" + std::to_string(::getuid()))
                                         : fs::path(root) / "locks";
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder.string() + "/";
}

std::shared_ptr<SimMutex> openNamedMutex(const std::string& name) {
    std::lock_guard lock(gTableMutex);
    auto& slot = table()[name];
    if (auto existing = slot.lock()) return existing;
    auto m = std::make_shared<SimMutex>();
    m->name = name;
    m->fd = ::open((lockFolder() + fileNameOf(name)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
