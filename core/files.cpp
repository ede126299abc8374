#include "core/files.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(bytes).str();
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

}  // namespace

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string temp = TempName(target);
        std::FILE* f = std::fopen(temp.c_str(), "wbx");
        if (!f) continue;
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        ok = std::fflush(f) == 0 && ok;
        ok = std::fclose(f) == 0 && ok;
        if (ok) {
            const auto status = fs::status(target, ec);
            if (!ec && fs::exists(status)) fs::permissions(temp, status.permissions(), ec);
            fs::rename(temp, target, ec);
            ok = !ec;
        }
        if (!ok) fs::remove(temp, ec);
        return ok;
    }
    return false;
}
