// Settings: the cost of a cached read against the lock it takes, of one write in file mode (and of
// the file system's part of it), of parsing a full settings file, and of the Options dialog's
// grouped write. The files go to the temporary folder: TMPDIR=/dev/shm measures them wholly in
// memory, without the disk's part.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>

#include "core/app_state.h"
#include "core/files.h"
#include "settings/markup.h"
#include "settings/settings.h"
#include "sim/registry/registry.h"

namespace fs = std::filesystem;

namespace {

// A data folder whose korvane.xml holds all 73 settings.
struct FileModeFixture {
    FileModeFixture() {
        dir = fs::temp_directory_path() / ("kvbench_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "korvane.xml");   // empty: file mode, filled below
        sim::registry::openInMemory();
        App().dataFolder = dir.string() + "/";
        App().settingsKey = "SOFTWARE\\Stavlo\\Korvane\\3.2";
        ResetSettingsStore();
        SettingsWriteGroup group;
        for (int i = 1; i <= kSettingCount; ++i) {
            const SettingId id = SettingId(i);
            if (GetSettingDef(id).kind == SettingKind::Numeric) {
                SetSettingNumber(id, DefaultSettingNumber(id));
            } else {
                SetSettingText(id, "C:/Users/someone/AppData/Roaming/Stavlo/Korvane/" + std::to_string(i));
            }
        }
    }
    ~FileModeFixture() {
        ResetSettingsStore();
        fs::remove_all(dir);
    }
    std::string text() const {
        std::ifstream in(dir / "korvane.xml", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path dir;
};

void BM_SettingsLockPair(benchmark::State& state) {
    SettingsLock& lock = TheSettingsLock();
    for (auto _ : state) {
        lock.lock();
        lock.unlock();
    }
}
BENCHMARK(BM_SettingsLockPair);

void BM_MutexPair(benchmark::State& state) {
    std::mutex m;
    for (auto _ : state) {
        m.lock();
        m.unlock();
    }
}
BENCHMARK(BM_MutexPair);

void BM_CachedReadFileMode(benchmark::State& state) {
    FileModeFixture f;
    GetSettingNumber(SettingId::MenuYPosition);
    for (auto _ : state) benchmark::DoNotOptimize(GetSettingNumber(SettingId::MenuYPosition));
}
BENCHMARK(BM_CachedReadFileMode);

void BM_CachedReadRegistryMode(benchmark::State& state) {
    sim::registry::openInMemory();
    App().dataFolder = "/nonexistent/";
    App().settingsKey = "SOFTWARE\\Stavlo\\Korvane\\3.2";
    ResetSettingsStore();
    GetSettingNumber(SettingId::MenuYPosition);
    for (auto _ : state) benchmark::DoNotOptimize(GetSettingNumber(SettingId::MenuYPosition));
    ResetSettingsStore();
}
BENCHMARK(BM_CachedReadRegistryMode);

void BM_FileModeWriteOne(benchmark::State& state) {
    FileModeFixture f;
    int v = 0;
    for (auto _ : state) SetSettingNumber(SettingId::MaxCharLength, ++v & 63);
}
BENCHMARK(BM_FileModeWriteOne)->Unit(benchmark::kMicrosecond);

// What the file system alone costs for one write: the same bytes replacing the same file, without
// the hosts' lock, the look at the file on disk or the document. One write above costs this
// plus what the settings store adds; on a slow disk this floor is most of it.
void BM_ReplaceSettingsFileFloor(benchmark::State& state) {
    FileModeFixture f;
    const std::string path = (f.dir / "korvane.xml").string();
    const std::string text = f.text();
    for (auto _ : state) benchmark::DoNotOptimize(WriteFileAtomic(path, text));
}
BENCHMARK(BM_ReplaceSettingsFileFloor)->Unit(benchmark::kMicrosecond);

void BM_Parse73Items(benchmark::State& state) {
    std::string text;
    {
        FileModeFixture f;
        text = f.text();
    }
    CMarkupSTL doc;
    for (auto _ : state) benchmark::DoNotOptimize(doc.SetDocument(text));
    state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}
BENCHMARK(BM_Parse73Items)->Unit(benchmark::kMicrosecond);

void BM_LoadFileAndRead(benchmark::State& state) {
    FileModeFixture f;
    for (auto _ : state) {
        ResetSettingsStore();
        benchmark::DoNotOptimize(GetSettingNumber(SettingId::MenuYPosition));
    }
}
BENCHMARK(BM_LoadFileAndRead)->Unit(benchmark::kMicrosecond);

void BM_GroupedWrite68(benchmark::State& state) {
    FileModeFixture f;
    int round = 0;
    for (auto _ : state) {
        ++round;
        SettingsWriteGroup group;
        int written = 0;
        for (int i = 1; i <= kSettingCount && written < 68; ++i) {
            const SettingId id = SettingId(i);
            if (id == SettingId::UseRegistry || id == SettingId::SecureMode || id == SettingId::DebugLevel ||
                id == SettingId::LogPath || id == SettingId::Language)
                continue;   // the settings no Options page edits
            if (GetSettingDef(id).kind == SettingKind::Numeric) {
                SetSettingNumber(id, (round + i) & 1);
            } else {
                SetSettingText(id, round & 1 ? "odd" : "even");
            }
            ++written;
        }
    }
}
BENCHMARK(BM_GroupedWrite68)->Unit(benchmark::kMicrosecond);

}  // namespace
