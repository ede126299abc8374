// The simulated desktop's processes: Windows command-line rules, finding an unquoted program
// whose path has blanks, exit codes, and TerminateProcess really ending the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
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
