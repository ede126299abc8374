// The simulated desktop's processes: Windows command-line rules, finding an unquoted program
// whose path has blanks, exit codes, TerminateProcess really ending the program, what a child
// inherits, and waits that wake when something happens.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include "sim/desk/desktop.h"
#include "sim/desk/process.h"
#include "win/process.h"

namespace {

namespace fs = std::filesystem;
using sim::desk::splitArguments;

TEST(CommandLine, ArgumentsFollowTheRuntimeRules) {
    EXPECT_EQ(splitArguments(R"( /i "C:\a b\x.dwg"  /s y.scr)"),
              (std::vector<std::string>{"/i", R"(C:\a b\x.dwg)", "/s", "y.scr"}));
    EXPECT_EQ(splitArguments(R"(a\\\"b "c""d" e\\)"), (std::vector<std::string>{R"(a\"b)", R"(c"d)", R"(e\\)"}));
    EXPECT_EQ(splitArguments(R"("" x)"), (std::vector<std::string>{"", "x"}));
    EXPECT_TRUE(splitArguments("   ").empty());
    const auto t = sim::desk::programToken(R"(  "/p q/r.exe" /i)");
    EXPECT_TRUE(t.quoted);
    EXPECT_EQ(t.text, "/p q/r.exe");
}

class Processes : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("kv_process_" + std::to_string(::getpid()));
        fs::create_directories(folder / "with blank");
        program = (folder / "with blank" / "tool").string();
        // A tiny program: exits with its first argument, or sleeps when told to.
        std::ofstream(program) << "#!/bin/sh\nif [ \"$1\" = sleep ]; then sleep 30; fi\nexit \"$1\"\n";
        chmod(program.c_str(), 0755);
    }
    void TearDown() override {
        sim::desk::resetProcesses();
        fs::remove_all(folder);
    }
    fs::path folder;
    std::string program;
};

TEST_F(Processes, UnquotedProgramWithBlanksIsFoundAndItsExitCodeRead) {
    PROCESS_INFORMATION info;
    STARTUPINFO startup;
    ASSERT_TRUE(CreateProcess(nullptr, program + " 3", nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &startup, &info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 3u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);

    EXPECT_FALSE(CreateProcess(nullptr, "\"" + program + "-missing\" 1", nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &info));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(CreateProcess(nullptr, " /i x", nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
}

TEST_F(Processes, TerminateEndsTheProgram) {
    PROCESS_INFORMATION info;
    STARTUPINFO startup;
    ASSERT_TRUE(CreateProcess(nullptr, "\"" + program + "\" sleep", nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 50), WAIT_TIMEOUT);
    ASSERT_TRUE(TerminateProcess(info.hProcess, 0));
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 0u);
    const auto records = sim::desk::processes();
    ASSERT_FALSE(records.empty());
    EXPECT_TRUE(records.back().terminated);
    EXPECT_FALSE(records.back().running);
    EXPECT_NE(::kill(pid_t(records.back().pid), 0), 0);   // reaped: no such process any more
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

// A child gets standard input, output and error and nothing else: not the script file the host
// is reading (a stream, which cannot be opened close-on-exec), nor a plain descriptor.
TEST_F(Processes, ChildrenInheritOnlyTheStandardDescriptors) {
    std::ifstream script(program);   // as the host holds its script open
    ASSERT_TRUE(script.is_open());
    const int plain = ::open(program.c_str(), O_RDONLY);   // no O_CLOEXEC
    ASSERT_GE(plain, 0);
    PROCESS_INFORMATION info;
    STARTUPINFO startup;
    ASSERT_TRUE(CreateProcess(nullptr, "/bin/sleep 30", nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &startup, &info));
    // The program's own start-up (the loader, the locale) opens and closes descriptors of its
    // own for a moment, so look until it settles: an inherited one stays for as long as it runs.
    const std::string dir = "/proc/" + std::to_string(info.dwProcessId) + "/fd";
    std::vector<std::string> fds;
    for (int attempt = 0; attempt < 200; ++attempt) {
        fds.clear();
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec)) fds.push_back(e.path().filename().string());
        std::sort(fds.begin(), fds.end());
        if (fds == std::vector<std::string>{"0", "1", "2"}) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    EXPECT_EQ(fds, (std::vector<std::string>{"0", "1", "2"}));
    ::close(plain);
    TerminateProcess(info.hProcess, 0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

// A wait ends as the program ends, not at the next tick of a poll; an event ends it as well, and
// Stop-like events wake a thread that waits on a running program.
TEST_F(Processes, WaitsWakeOnExitAndOnEvents) {
    PROCESS_INFORMATION info;
    STARTUPINFO startup;
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(CreateProcess(nullptr, "/bin/true", nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1000));
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);

    ASSERT_TRUE(CreateProcess(nullptr, "\"" + program + "\" sleep", nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info));
    HANDLE stop = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::thread stopper([stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SetEvent(stop);
    });
    HANDLE both[] = {info.hProcess, stop};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 20000), WAIT_OBJECT_0 + 1);
    stopper.join();
    // A manual-reset event stays set; an auto-reset one is taken by the wait that saw it.
    EXPECT_EQ(WaitForSingleObject(stop, 0), WAIT_OBJECT_0);
    ResetEvent(stop);
    EXPECT_EQ(WaitForSingleObject(stop, 0), WAIT_TIMEOUT);
    HANDLE once = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(once, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(once, 0), WAIT_TIMEOUT);
    // The desktop's clock ends a timed wait as the real one would.
    std::thread mover([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        sim::Desktop::get().advance(60000);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 60000), WAIT_TIMEOUT);
    mover.join();
    EXPECT_TRUE(TerminateProcess(info.hProcess, 0));
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);   // all: the event is not set
    SetEvent(stop);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    for (HANDLE h : {info.hProcess, info.hThread, stop, once}) CloseHandle(h);
}

DWORD worker(void* p) {
    Sleep(20);
    return *static_cast<DWORD*>(p);
}

TEST(Threads, WaitAndExitCode) {
    DWORD value = 42;
    HANDLE t = CreateThread(nullptr, 0, worker, &value, 0, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 42u);
    CloseHandle(t);
    EXPECT_TRUE(sim::desk::awaitWorkers(1000));
}

}  // namespace
