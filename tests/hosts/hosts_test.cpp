// Several host processes on one user profile at once: each one's writes survive the others'.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "settings/markup.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {

// The host program under test; KV_HOST_UNDER_TEST names another build of it.
std::string hostProgram() {
    const char* other = std::getenv("KV_HOST_UNDER_TEST");
    return other && *other ? other : KV_HOST_PROGRAM;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Hosts : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("kvhosts_" + std::to_string(getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
        // The first start makes the profile: keys, the data folder, the settings file.
        ASSERT_EQ(wait(start("setup", "@print ready\n")), 0);
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path dataFolder() const { return root / "AppData/Roaming/Stavlo/Korvane"; }
    // The settings file as the first start copied it (its name's letter case is the shipped one's).
    fs::path settingsFile() const { return dataFolder() / "Korvane.xml"; }

    // "Use registry" = 2 in the settings key keeps the settings in the registry.
    void useRegistryMode() {
        ASSERT_EQ(wait(start("version", "@reg export HKCU\\SOFTWARE\\Stavlo\\Korvane\n")), 0);
        const std::string reg = output("version");
        const size_t at = reg.find("\"CurVer\"=\"");
        ASSERT_NE(at, std::string::npos) << reg;
        const std::string version = reg.substr(at + 10, reg.find('"', at + 10) - at - 10);
        ASSERT_EQ(wait(start("mode", "@reg set HKCU\\SOFTWARE\\Stavlo\\Korvane\\" + version +
                                         " \"Use registry\" dword 2\n")), 0) << output("mode");
    }

    // Starts korvane-host on the shared root with the script; returns its process id.
    pid_t start(const std::string& name, const std::string& script) {
        const fs::path file = root / (name + ".kvs");
        std::ofstream(file) << script;
        const std::string out = (root / (name + ".out")).string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const std::string program = hostProgram(), rootArg = root.string(), scriptArg = file.string();
        std::vector<char*> argv = {const_cast<char*>(program.c_str()), const_cast<char*>("--root"),
                                   const_cast<char*>(rootArg.c_str()), const_cast<char*>("--script"),
                                   const_cast<char*>(scriptArg.c_str()), nullptr};
        pid_t pid = -1;
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }
    // The process's exit status (-1 when it did not exit normally).
    static int wait(pid_t pid) {
        int status = 0;
        if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string output(const std::string& name) { return readFile(root / (name + ".out")); }

    // A third process reads what the others left.
    std::string readBack(const std::string& script) {
        EXPECT_EQ(wait(start("check", script)), 0);
        return output("check");
    }

    fs::path root;
};

// Each host writes its own setting many times while the other writes another one.
std::string settingWrites(const std::string& key, const std::vector<std::string>& values) {
    std::string script;
    for (const auto& v : values) script += "@setting \"" + key + "\" " + v + "\n";
    return script;
}

std::vector<std::string> numbers(int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(std::to_string(10 + i % 90));
    return out;
}

std::vector<std::string> paths(int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back("/scripts/run" + std::to_string(i));
    return out;
}

TEST_F(Hosts, SettingsWrittenByTwoHostsAtOnceAllSurviveInTheFile) {
    ASSERT_TRUE(fs::exists(settingsFile()));
    const pid_t a = start("a", settingWrites("Menu Y-position", numbers(300)));
    const pid_t b = start("b", settingWrites("Script path", paths(300)));
    ASSERT_EQ(wait(a), 0) << output("a");
    ASSERT_EQ(wait(b), 0) << output("b");

    const std::string seen = readBack("@setting \"Menu Y-position\"\n@setting \"Script path\"\n");
    EXPECT_NE(seen.find("setting \"Menu Y-position\" = 39"), std::string::npos) << seen;
    EXPECT_NE(seen.find("setting \"Script path\" = /scripts/run299"), std::string::npos) << seen;
    CMarkupSTL doc;
    EXPECT_TRUE(doc.SetDocument(readFile(settingsFile()))) << doc.GetError();
}

TEST_F(Hosts, SettingsWrittenByTwoHostsAtOnceAllSurviveInTheRegistry) {
    ASSERT_NO_FATAL_FAILURE(useRegistryMode());
    const std::string before = readFile(settingsFile());
    const pid_t a = start("a", settingWrites("Menu Y-position", numbers(150)));
    const pid_t b = start("b", settingWrites("Script path", paths(150)));
    ASSERT_EQ(wait(a), 0) << output("a");
    ASSERT_EQ(wait(b), 0) << output("b");
    EXPECT_EQ(readFile(settingsFile()), before);
    const std::string seen = readBack("@setting \"Menu Y-position\"\n@setting \"Script path\"\n");
    EXPECT_NE(seen.find("setting \"Menu Y-position\" = 69"), std::string::npos) << seen;
    EXPECT_NE(seen.find("setting \"Script path\" = /scripts/run149"), std::string::npos) << seen;
}

// Each host adds its own drawing to the favourites while both run; the lists are stored at unload.
TEST_F(Hosts, FavouritesAddedByTwoHostsAreBothKept) {
    auto adds = [&](const std::string& name) {
        const std::string path = (root / "Drawings" / (name + ".dwg")).string();
        return "@make-drawing \"" + path + "\"\n@open \"" + path + "\"\n@wait 500\n@click 0\n" +
               "@menu \"Add to Favorites\"\n@rclick 0\n@wait 300\n@unload\n";
    };
    const pid_t a = start("a", adds("alpha"));
    const pid_t b = start("b", adds("beta"));
    ASSERT_EQ(wait(a), 0) << output("a");
    ASSERT_EQ(wait(b), 0) << output("b");
    const std::string seen = readBack("@reg export HKCU\\SOFTWARE\\Stavlo\\Korvane\n");
    EXPECT_NE(seen.find("alpha.dwg;"), std::string::npos) << seen;
    EXPECT_NE(seen.find("beta.dwg;"), std::string::npos) << seen;
}

// Each host adds its own script to the batch dialog's list while both run.
TEST_F(Hosts, BatchScriptsAddedByTwoHostsAreBothKept) {
    auto adds = [&](const std::string& name) {
        const fs::path script = root / "Drawings" / (name + ".scr");
        fs::create_directories(script.parent_path());
        std::ofstream(script) << "ZOOM E\n";
        return "KV_BSCRIPT\n@files \"" + script.string() + "\"\n@dialog press 297\n@wait 300\n@dialog press 1\n";
    };
    const pid_t a = start("a", adds("alpha"));
    const pid_t b = start("b", adds("beta"));
    ASSERT_EQ(wait(a), 0) << output("a");
    ASSERT_EQ(wait(b), 0) << output("b");
    const std::string list = readFile(dataFolder() / "Korvane.mscript");
    EXPECT_NE(list.find("alpha.scr"), std::string::npos) << list;
    EXPECT_NE(list.find("beta.scr"), std::string::npos) << list;
}

// A host that holds the settings lock and never lets go does not stop another host's write.
TEST_F(Hosts, ALockNobodyReleasesCostsAShortWaitAndALine) {
    // The lock files live under the root; an advisory lock taken here plays a hung host.
    const fs::path lockFile = root / "locks" / "Local_Korvane.settings.lock";
    fs::create_directories(lockFile.parent_path());
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    ASSERT_EQ(wait(start("a", settingWrites("Menu Y-position", {"44"}))), 0);
    ::close(fd);
    EXPECT_NE(output("a").find("another host keeps \"settings\" locked"), std::string::npos) << output("a");
    EXPECT_NE(readBack("@setting \"Menu Y-position\"\n").find("= 44"), std::string::npos);
    CMarkupSTL doc;
    EXPECT_TRUE(doc.SetDocument(readFile(settingsFile())));
}

// A host killed while it saved the settings left its temporary file; the next start removes it
// once it is old, and never a young one that a saving host may be about to rename.
TEST_F(Hosts, ATemporaryFileAKilledHostLeftIsRemovedOnceOld) {
    const fs::path old = dataFolder() / ".Korvane.xml.00000000deadbeef0001.tmp";
    const fs::path young = dataFolder() / ".Korvane.xml.00000000deadbeef0002.tmp";
    const fs::path other = dataFolder() / ".Korvane.banner.00000000deadbeef0003.tmp";
    for (const auto& p : {old, young, other}) std::ofstream(p) << "<Korvane>";
    fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(1));
    fs::last_write_time(other, fs::file_time_type::clock::now() - std::chrono::hours(1));
    EXPECT_NE(readBack("@setting \"Menu Y-position\"\n").find("= "), std::string::npos);
    EXPECT_FALSE(fs::exists(old));
    EXPECT_TRUE(fs::exists(young));
    EXPECT_TRUE(fs::exists(other));   // not the settings file's
}

// Four hosts write their own settings at once and one of them is killed in the middle of its
// writes, in file mode and in registry mode by turns. Afterwards a fresh host finds every file
// parsing, each survivor's last values, and no lock left that it has to wait for. One round runs
// with the tests; the soak run repeats it with new random choices for KV_HOSTS_STRESS_SECONDS.
TEST_F(Hosts, FourHostsAndOneKilledMidRunLoseNothingOfTheOthers) {
    const char* secondsText = std::getenv("KV_HOSTS_STRESS_SECONDS");
    const int seconds = secondsText ? std::atoi(secondsText) : 0;
    const char* seedText = std::getenv("KV_HOSTS_STRESS_SEED");
    const unsigned seed = seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : std::random_device()();
    std::mt19937 random(seed);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    constexpr int kHosts = 4, kWrites = 60;
    const char* numericKeys[kHosts] = {"Open sort", "Show desc", "Zoom extents", "Link tab close"};
    const char* textKeys[kHosts] = {"Script path", "Server Address", "Servlet Object", "UserID"};

    for (int round = 0; round == 0 || std::chrono::steady_clock::now() < until; ++round) {
        const bool registryMode = round % 2 == 1;
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) +
                     (registryMode ? ", registry mode" : ", file mode"));
        if (round > 0) {
            fs::remove_all(root);
            fs::create_directories(root);
            ASSERT_EQ(wait(start("setup", "@print ready\n")), 0);
        }
        if (registryMode) {
            ASSERT_NO_FATAL_FAILURE(useRegistryMode());
        }

        auto numberOf = [](int host, int i) { return std::to_string(1000 * (host + 1) + i); };
        auto textOf = [](int host, int i) { return "/h" + std::to_string(host) + "/w" + std::to_string(i); };
        pid_t pids[kHosts];
        for (int h = 0; h < kHosts; ++h) {
            std::string script;
            for (int i = 0; i < kWrites; ++i)
                script += "@setting \"" + std::string(numericKeys[h]) + "\" " + numberOf(h, i) + "\n@setting \"" +
                          textKeys[h] + "\" " + textOf(h, i) + "\n";
            pids[h] = start("h" + std::to_string(h), script);
            ASSERT_GT(pids[h], 0);
        }

        // The victim dies after a random number of its writes, in whatever it is doing then.
        const int victim = int(random() % kHosts);
        const std::size_t killAfter = 1 + random() % (2 * kWrites - 1);
        const fs::path victimOut = root / ("h" + std::to_string(victim) + ".out");
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        int status = 0;
        while (waitpid(pids[victim], &status, WNOHANG) == 0) {
            const std::string out = readFile(victimOut);
            if (std::size_t(std::count(out.begin(), out.end(), '\n')) >= killAfter) {
                ::kill(pids[victim], SIGKILL);
                waitpid(pids[victim], &status, 0);
                break;
            }
            if (std::chrono::steady_clock::now() > giveUp) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }

        // The others end by themselves, soon: no lock the victim held keeps them waiting.
        for (int h = 0; h < kHosts; ++h) {
            if (h == victim) continue;
            bool ended = false;
            while (!(ended = waitpid(pids[h], &status, WNOHANG) == pids[h]) && std::chrono::steady_clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (!ended) {
                for (pid_t p : pids) ::kill(p, SIGKILL);
                for (pid_t p : pids) waitpid(p, nullptr, 0);
                FAIL() << "host " << h << " still runs after two minutes: " << output("h" + std::to_string(h));
            }
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output("h" + std::to_string(h));
        }

        // A fresh host reads everything and writes once, without waiting on any lock.
        std::string script;
        for (int h = 0; h < kHosts; ++h)
            script += "@setting \"" + std::string(numericKeys[h]) + "\"\n@setting \"" + textKeys[h] + "\"\n";
        script += "@setting \"Menu Y-position\" 77\n@reg export HKCU\\SOFTWARE\\Stavlo\\Korvane\n";
        const std::string seen = readBack(script);
        EXPECT_EQ(seen.find("locked"), std::string::npos) << seen;
        EXPECT_NE(seen.find("setting \"Menu Y-position\" = 77"), std::string::npos) << seen;
        for (int h = 0; h < kHosts; ++h) {
            if (h == victim) continue;
            EXPECT_NE(seen.find("setting \"" + std::string(numericKeys[h]) + "\" = " + numberOf(h, kWrites - 1) + "\n"),
                      std::string::npos) << "host " << h << ": " << seen;
            EXPECT_NE(seen.find("setting \"" + std::string(textKeys[h]) + "\" = " + textOf(h, kWrites - 1) + "\n"),
                      std::string::npos) << "host " << h << ": " << seen;
        }
        CMarkupSTL doc;
        EXPECT_TRUE(doc.SetDocument(readFile(settingsFile()))) << doc.GetError();

        // What is left: lock files only, and no temporary file of the settings file but what the
        // victim may have been writing when it died.
        int temps = 0;
        for (const auto& e : fs::directory_iterator(dataFolder()))
            if (e.path().filename().string().rfind(".Korvane.xml.", 0) == 0) ++temps;
        EXPECT_LE(temps, 1);
        for (const auto& e : fs::directory_iterator(root / "locks"))
            EXPECT_EQ(e.path().extension(), ".lock") << e.path();
        if (::testing::Test::HasFailure()) break;
    }
}

}  // namespace

#include "settings/favourites.h"

namespace {

using List = std::vector<std::string>;

TEST(MergeEntryLists, KeepsWhatEitherHostAddedAndDropsWhatEitherRemoved) {
    const List base = {"/d/a.dwg;", "/d/b.dwg;", "/d/c.dwg;"};
    // This host added x and removed b; the other added y and removed c.
    const List mine = {"/d/a.dwg;", "/d/c.dwg;", "/d/x.dwg;"};
    const List theirs = {"/d/a.dwg;", "/d/b.dwg;", "/d/y.dwg;"};
    EXPECT_EQ(KvMergeEntryLists(base, mine, theirs), (List{"/d/a.dwg;", "/d/x.dwg;", "/d/y.dwg;"}));
    // Nobody else wrote: this host's list as it stands.
    EXPECT_EQ(KvMergeEntryLists(base, mine, base), mine);
    // Both added the same drawing (letter case aside): once, as this host spelt it.
    EXPECT_EQ(KvMergeEntryLists({}, {"/d/X.dwg;"}, {"/D/x.DWG;Plan"}), (List{"/d/X.dwg;"}));
}

TEST(MergeEntryLists, ATitleChangedHereSurvivesARemovalThere) {
    const List base = {"/d/a.dwg;Old"};
    EXPECT_EQ(KvMergeEntryLists(base, {"/d/a.dwg;New"}, {}), (List{"/d/a.dwg;New"}));
    EXPECT_EQ(KvMergeEntryLists(base, base, {}), List{});
}

}  // namespace

#include "core/files.h"

namespace {

// A generated file's name stays with the process that claimed it while that process lives.
TEST(HostOwnFileName, ASecondProcessGetsANameOfItsOwn) {
    const std::string folder = (fs::temp_directory_path() / ("kvnames_" + std::to_string(getpid()))).string() + "/";
    int toParent[2], toChild[2];
    ASSERT_EQ(pipe(toParent), 0);
    ASSERT_EQ(pipe(toChild), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string name = KvHostOwnFileName(folder, "temp", ".scr");
        (void)!write(toParent[1], name.c_str(), name.size());
        char c;
        (void)!read(toChild[0], &c, 1);   // holds the name until the parent has asked
        _exit(0);
    }
    char got[64] = {};
    ASSERT_GT(read(toParent[0], got, sizeof got - 1), 0);
    EXPECT_STREQ(got, "temp.scr");
    EXPECT_EQ(KvHostOwnFileName(folder, "temp", ".scr"), "temp1.scr");
    EXPECT_EQ(KvHostOwnFileName(folder, "temp", ".scr"), "temp1.scr");       // kept
    EXPECT_EQ(KvHostOwnFileName(folder, "temp", ".scr", 1), "temp2.scr");    // a second one of its own
    EXPECT_EQ(KvHostOwnFileName(folder, "mtemp", ".scr"), "mtemp.scr");      // another stem is free
    (void)!write(toChild[1], "x", 1);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace

#include <cstring>
#include "win/sync.h"

namespace {

// A mutex name of this test process's own.
std::string mutexName(const char* what) { return "Local\\Korvane.test." + std::string(what) + std::to_string(getpid()); }

// Runs `child` in a forked process and waits for it to end.
template <class F>
void inChild(F child) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        child();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(HostsMutex, AHolderThatDiesLeavesItAbandonedAndOneThatReleasesLeavesItFree) {
    const std::string name = mutexName("abandon");
    HANDLE mine = CreateMutex(nullptr, FALSE, name);
    ASSERT_NE(mine, nullptr);
    inChild([&] {
        HANDLE m = CreateMutex(nullptr, FALSE, name);
        if (!m || WaitForSingleObject(m, 0) != WAIT_OBJECT_0) _exit(1);   // ends holding it
    });
    EXPECT_EQ(WaitForSingleObject(mine, 0), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(mine));
    EXPECT_EQ(WaitForSingleObject(mine, 0), WAIT_OBJECT_0);   // released: not abandoned again
    EXPECT_TRUE(ReleaseMutex(mine));
    inChild([&] {
        HANDLE m = CreateMutex(nullptr, FALSE, name);
        if (!m || WaitForSingleObject(m, 0) != WAIT_OBJECT_0 || !ReleaseMutex(m)) _exit(1);
    });
    EXPECT_EQ(WaitForSingleObject(mine, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mine));
    CloseHandle(mine);
}

// A mutex kept open for many locks waits for another process's holder like one opened anew.
TEST(HostsMutex, AKeptMutexWaitsForAnotherProcesssHolder) {
    const std::string name = "test.kept" + std::to_string(getpid());
    KvHostsMutex kept(name);
    { KvHostsLock warm(kept); ASSERT_TRUE(warm.Held()); }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        KvHostsLock held(name);
        (void)!write(ready[1], held.Held() ? "y" : "n", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        _exit(0);   // the lock goes with the process
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    const auto before = std::chrono::steady_clock::now();
    {
        KvHostsLock lock(kept);
        EXPECT_TRUE(lock.Held());
        EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(200));
    }
    waitpid(child, nullptr, 0);
    KvHostsLock again(kept);
    EXPECT_TRUE(again.Held());
}

}  // namespace

#include "core/profile.h"

namespace {

// Hosts starting at once on a new profile each copy the shipped settings file when it is missing;
// one that has its copy already and writes a setting must not see a late copier put the shipped
// file back over its write.
TEST(ShippedFile, ACopyMadeWhenMissingNeverReplacesAnotherHostsEditedFile) {
    const fs::path base = fs::temp_directory_path() / ("kvshipped_" + std::to_string(getpid()));
    const std::string module = (base / "module").string() + "/", data = (base / "data").string() + "/";
    fs::create_directories(module);
    std::ofstream(module + "Korvane.xml") << "shipped";
    constexpr int kRounds = 40, kCopiers = 8;
    int replaced = 0;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove_all(data);
        fs::create_directories(data);
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        std::vector<pid_t> children;
        for (int c = 0; c < kCopiers; ++c) {
            const pid_t pid = fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ::close(go[1]);
                char x;
                (void)!read(go[0], &x, 1);   // all start together
                KvCopyShippedFile(module, data, "Korvane.xml", false);
                if (c == 0) WriteFileAtomic(data + "Korvane.xml", "edited");
                _exit(0);
            }
            children.push_back(pid);
        }
        ::close(go[0]);
        ::close(go[1]);
        for (pid_t pid : children) waitpid(pid, nullptr, 0);
        if (readFile(data + "Korvane.xml") != "edited") ++replaced;
    }
    fs::remove_all(base);
    EXPECT_EQ(replaced, 0) << "of " << kRounds << " rounds";
}

}  // namespace
