#include "core/files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <vector>
#include <thread>
#include "arx/aced.h"
#include "core/text.h"
#include "win/sync.h"

namespace fs = std::filesystem;

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    // Unbuffered: each read goes straight into the string, without a copy through a buffer.
    std::setvbuf(f, nullptr, _IONBF, 0);
    std::string bytes;
    std::size_t size = 0;
    for (;;) {
        if (bytes.size() - size < 4096) bytes.resize(std::max<std::size_t>(8192, bytes.size() * 2));
        const std::size_t want = bytes.size() - size;
        const std::size_t n = std::fread(bytes.data() + size, 1, want, f);
        size += n;
        if (n < want) break;   // the end, or an error
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

namespace {

// Temporary names unique per process (a random part drawn once) and per call (a counter), with the
// thread mixed in; the file is also created exclusively, so a clash can only cost a retry.
std::string TempName(const fs::path& target) {
    static const std::uint64_t processPart = [] {
        std::random_device rd;
        return (std::uint64_t(rd()) << 32) ^ rd();
    }();
    static std::atomic<std::uint64_t> counter{0};
    const std::uint64_t threadPart = std::hash<std::thread::id>()(std::this_thread::get_id());
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%016llx%04llx.tmp",
                  static_cast<unsigned long long>(processPart ^ threadPart),
                  static_cast<unsigned long long>(counter.fetch_add(1) & 0xFFFF));
    std::string name = ".";
    name += target.filename().string();
    name += suffix;
    return (target.parent_path() / name).string();
}

}   // namespace

namespace {

// Writes the bytes to a new temporary file beside `target` and hands it to `install`, which moves
// it into place; the temporary file is removed when either step fails.
template <class Install>
bool WriteThroughTemp(const fs::path& target, std::string_view bytes, Install install) {
    std::error_code ec;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string temp = TempName(target);
        std::FILE* f = std::fopen(temp.c_str(), "wbx");
        if (!f) continue;
        // Unbuffered: the bytes go out in one write, without a buffer to size and fill first.
        std::setvbuf(f, nullptr, _IONBF, 0);
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fclose(f) == 0 && ok;
        ok = ok && install(temp);
        if (!ok) fs::remove(temp, ec);
        return ok;
    }
    return false;
}

}   // namespace

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    std::error_code ec;
    fs::path target(path);
    fs::file_status status = fs::symlink_status(target, ec);
    if (!ec && fs::is_symlink(status)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
        status = fs::status(target, ec);
    }
    const bool exists = !ec && fs::exists(status);
    return WriteThroughTemp(target, bytes, [&](const std::string& temp) {
        if (exists) fs::permissions(temp, status.permissions(), ec);
        fs::rename(temp, target, ec);
        return !ec;
    });
}

bool WriteFileIfAbsent(const std::string& path, std::string_view bytes) {
    const fs::path target(path);
    return WriteThroughTemp(target, bytes, [&](const std::string& temp) {
        // A second name for the finished file, which the file system refuses when the name is
        // taken; the temporary name then goes.
        std::error_code ec;
        fs::create_hard_link(temp, target, ec);
        if (ec && ec != std::errc::file_exists && !fs::exists(target, ec)) {
            // A file system without links: the name is checked and taken in two steps instead.
            fs::rename(temp, target, ec);
            return !ec;
        }
        const bool made = !ec;
        fs::remove(temp, ec);
        return made;
    });
}

void RemoveStaleTempFiles(const std::string& path, std::chrono::seconds age) {
    const fs::path target(path);
    const std::string prefix = "." + target.filename().string() + ".";
    std::error_code ec;
    const auto before = fs::file_time_type::clock::now() - age;
    for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0)
            continue;
        std::error_code fileEc;
        const auto written = fs::last_write_time(it->path(), fileEc);
        if (!fileEc && written < before) fs::remove(it->path(), fileEc);
    }
}

namespace {

KvKernelObject__* OpenHostsMutex(std::string_view name) {
    return CreateMutex(nullptr, FALSE, "Local\\Korvane." + std::string(name));
}

}   // namespace

KvHostsMutex::KvHostsMutex(std::string_view name) : name_(name), mutex_(OpenHostsMutex(name)) {}

KvHostsMutex::~KvHostsMutex() {
    if (mutex_) CloseHandle(mutex_);
}

KvHostsLock::KvHostsLock(std::string_view name, unsigned waitMs, bool report) : closes_(true) {
    mutex_ = OpenHostsMutex(name);
    Wait(name, waitMs, report);
}

KvHostsLock::KvHostsLock(KvHostsMutex& mutex, unsigned waitMs, bool report) : mutex_(mutex.mutex_) {
    if (!mutex_) {
        // Not to be had when it was opened: perhaps it is now.
        mutex_ = OpenHostsMutex(mutex.name_);
        closes_ = true;
    }
    Wait(mutex.name_, waitMs, report);
}

void KvHostsLock::Wait(std::string_view name, unsigned waitMs, bool report) {
    const DWORD got = mutex_ ? WaitForSingleObject(mutex_, waitMs) : WAIT_FAILED;
    // An abandoned mutex is owned all the same; what it guards is only ever replaced whole.
    owned_ = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
    if (!owned_ && report)
        acutPrintf("\nKorvane: another host keeps \"%s\" locked; writing without waiting for it.\n",
                   std::string(name).c_str());
}

KvHostsLock::~KvHostsLock() {
    if (owned_) ReleaseMutex(mutex_);
    if (mutex_ && closes_) CloseHandle(mutex_);
}

std::string KvHostOwnFileName(const std::string& folder, std::string_view stem, std::string_view ext, int which) {
    // Process-wide, not the module root's: a name once taken is this process's until the process
    // ends, over unload and reload, since the host may still run a script written under it.
    static std::mutex guard;
    static std::map<std::string, std::string> names;   // (folder, stem, ext, which) -> name
    static std::vector<KvHostsLock> claims;
    std::lock_guard lock(guard);
    const std::string prefix = folder + '\n' + std::string(stem) + std::string(ext) + '\n';
    const std::string key = prefix + std::to_string(which);
    if (auto it = names.find(key); it != names.end()) return it->second;
    auto mine = [&](const std::string& name) {
        for (auto it = names.lower_bound(prefix); it != names.end() && it->first.compare(0, prefix.size(), prefix) == 0;
             ++it)
            if (it->second == name) return true;
        return false;
    };
    std::string name;
    for (int n = 0;; ++n) {
        name = std::string(stem) + (n ? std::to_string(n) : std::string()) + std::string(ext);
        if (mine(name)) continue;
        // Lock names are case-blind, as the host's file names are.
        char id[40];
        std::snprintf(id, sizeof id, "name.%016zx", std::hash<std::string>()(FoldCase(folder + name)));
        KvHostsLock claim = KvHostsLock::TryNow(id);
        if (claim.Held()) {
            claims.push_back(std::move(claim));
            break;
        }
        if (n == 99) break;   // a hundred hosts at once: share the last name rather than fail
    }
    names[key] = name;
    return name;
}
