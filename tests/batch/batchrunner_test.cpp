// The batch runner without its dialog: runs of the host's console program over a few drawings
// (consoles that succeed, fail and hang), Stop, several consoles at once, a drawing open in the
// host, the folder scan, and shutting down while a console runs. The listener records what the
// runner reports; the test drains as the dialog does.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include "batch/batchrunner.h"
#include "sim/desk/desktop.h"
#include "sim/desk/process.h"
#include "support/machine_fixture.h"
#include "batch_files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kNone = -1;   // a row the runner gave no status

struct Recorder final : KvBatchRunnerListener {
    void EventsWaiting() override { ++wakes; }
    void RowBegin(int row) override { begun.push_back(row); }
    void RowStatus(int row, KvRowStatus status, int finished) override {
        if (statuses.size() <= size_t(row)) statuses.resize(size_t(row) + 1, kNone);
        statuses[size_t(row)] = int(status);
        finishedCounts.push_back(finished);
    }
    void ScanFound(int count) override { found = count; }
    void ScanRow(int index, const std::string& path, std::uint64_t size, std::time_t when) override {
        scanned.push_back({index, path, size, when});
    }
    void Finished() override { ++finishes; }

    std::vector<std::string> statusTexts(size_t rows) const {
        std::vector<std::string> out;
        for (size_t i = 0; i < rows; ++i)
            out.push_back(i < statuses.size() && statuses[i] != kNone ? KvRowStatusText(KvRowStatus(statuses[i])) : "-");
        return out;
    }

    struct Scanned {
        int index;
        std::string path;
        std::uint64_t size;
        std::time_t when;
    };
    std::atomic<int> wakes{0};
    std::vector<int> begun, statuses, finishedCounts;
    int found = -1, finishes = 0;
    std::vector<Scanned> scanned;
};

class BatchRunner : public kvtest::BatchFiles<kvtest::MachineFixture> {
protected:
    void TearDown() override {
        runner.Shutdown();
        sim::desk::resetProcesses();
        BatchFiles::TearDown();
    }

    std::string waitScript() { return file("wait.scr", "DELAY 600000\nQUIT\n"); }

    KvBatchRun run(const std::string& script, std::vector<std::string> drawings, int atOnce = 1) {
        KvBatchRun r;
        r.console = machine.moduleFolder + "accoreconsole.exe";
        r.script = script;
        r.open.assign(drawings.size(), 0);
        r.drawings = std::move(drawings);
        r.atOnce = atOnce;
        return r;
    }
    // Drains as the dialog does on each wake-up, until the runner is idle again.
    void drainUntilIdle() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (runner.Running()) {
            runner.Drain();
            if (std::chrono::steady_clock::now() > until) FAIL() << "the runner did not finish";
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    Recorder rec;
    KvBatchRunner runner{rec};
};

TEST_F(BatchRunner, EachDrawingGetsItsOutcomeAndAHangingConsoleTimesOut) {
    const std::string good = drawing("a.dwg"), bad = file("bad.dwg", "not a drawing"),
                      hangs = drawing("b.dwg", {"Model"}), last = drawing("c.dwg");
    ASSERT_TRUE(runner.StartRun(run(layoutScript(), {good, bad, hangs, last})));
    EXPECT_TRUE(runner.Running());
    // Nothing reaches the listener but the wake-up until the owner drains.
    ASSERT_TRUE(sim::desk::awaitProcess(3, false, 30000));
    EXPECT_GT(rec.wakes.load(), 0);
    EXPECT_TRUE(rec.begun.empty());
    sim::Desktop::get().advance(kKvRunTimeoutMs + 100);
    drainUntilIdle();

    EXPECT_EQ(rec.statusTexts(4), (std::vector<std::string>{"Success", "Fail", "Timeout", "Success"}));
    EXPECT_EQ(rec.begun, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(rec.finishedCounts, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(rec.finishes, 1);
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 4u);
    EXPECT_TRUE(procs[2].terminated);
    for (const auto& p : procs) EXPECT_FALSE(p.running);
    // Idle again: the next run starts.
    ASSERT_TRUE(runner.StartRun(run(layoutScript(), {good})));
    drainUntilIdle();
    EXPECT_EQ(rec.finishes, 2);
}

// Two at once: both run side by side and no third starts until one ends; Stop ends both and the
// row not yet reached is never begun.
TEST_F(BatchRunner, StopEndsEveryRunningConsoleAndStartsNoMoreRows) {
    ASSERT_TRUE(runner.StartRun(run(waitScript(), {drawing("a.dwg"), drawing("b.dwg"), drawing("c.dwg")}, 2)));
    ASSERT_TRUE(sim::desk::awaitProcess(2, false, 30000));
    EXPECT_FALSE(sim::desk::awaitProcess(3, false, 300));
    EXPECT_FALSE(runner.StartRun(run(waitScript(), {drawing("d.dwg")})));   // one at a time
    runner.Stop();
    drainUntilIdle();
    EXPECT_EQ(rec.statusTexts(3), (std::vector<std::string>{"Timeout", "Timeout", "-"}));
    EXPECT_EQ(rec.begun, (std::vector<int>{0, 1}));
    EXPECT_EQ(rec.finishes, 1);
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 2u);
    for (const auto& p : procs) EXPECT_TRUE(p.terminated && !p.running);
}

TEST_F(BatchRunner, AtOnceIsKeptWithinItsRange) {
    // Nothing, or less, still runs one console at a time.
    const std::string quick = file("quick.scr", "QUIT\n");
    for (int atOnce : {0, -3}) {
        ASSERT_TRUE(runner.StartRun(run(quick, {drawing("a.dwg"), drawing("b.dwg")}, atOnce)));
        drainUntilIdle();
    }
    EXPECT_EQ(rec.statusTexts(2), (std::vector<std::string>{"Success", "Success"}));
    EXPECT_EQ(rec.finishedCounts, (std::vector<int>{1, 2, 1, 2}));
    // More than the most starts the most.
    std::vector<std::string> many;
    for (int i = 0; i <= kKvMaxAtOnce; ++i) many.push_back(drawing("d" + std::to_string(i) + ".dwg"));
    ASSERT_TRUE(runner.StartRun(run(waitScript(), many, 1000)));
    ASSERT_TRUE(sim::desk::awaitProcess(4 + kKvMaxAtOnce, false, 30000));
    EXPECT_FALSE(sim::desk::awaitProcess(5 + kKvMaxAtOnce, false, 300));
    runner.Stop();
    drainUntilIdle();
    EXPECT_EQ(rec.statusTexts(many.size()).back(), "-");
}

// An open drawing ends the run there, also one the host opened while the run was going on.
TEST_F(BatchRunner, ADrawingOpenInTheHostEndsTheRun) {
    const std::string script = layoutScript();
    auto r = run(script, {drawing("a.dwg"), drawing("b.dwg"), drawing("c.dwg")});
    r.open[1] = 1;
    ASSERT_TRUE(runner.StartRun(std::move(r)));
    drainUntilIdle();
    EXPECT_EQ(rec.statusTexts(3), (std::vector<std::string>{"Success", "IsOpend", "-"}));
    EXPECT_EQ(rec.finishedCounts, (std::vector<int>{1, 0}));   // an open drawing finishes nothing
    EXPECT_EQ(sim::desk::processes().size(), 1u);

    rec.statuses.clear();
    ASSERT_TRUE(runner.StartRun(run(script, {drawing("m.dwg", {"Model"}), drawing("n.dwg")})));
    ASSERT_TRUE(sim::desk::awaitProcess(2, false, 30000));   // the first console of this run waits
    runner.SetOpen(1, true);
    sim::Desktop::get().advance(kKvRunTimeoutMs + 100);
    drainUntilIdle();
    EXPECT_EQ(rec.statusTexts(2), (std::vector<std::string>{"Timeout", "IsOpend"}));
}

TEST_F(BatchRunner, ScanListsEachPatternsFilesInNameOrder) {
    const std::string b = drawing("b.dwg"), a = drawing("A.DWG"), c = file("c.dxf", "0\nSECTION\n");
    file("notes.txt", "x");
    fs::create_directories(machine.drawings + "sub.dwg");   // a folder is no file
    ASSERT_TRUE(runner.StartScan(machine.drawings, {"*.dwg", "*.dxf", "a*"}));
    drainUntilIdle();
    EXPECT_EQ(rec.found, 4);
    ASSERT_EQ(rec.scanned.size(), 4u);
    const std::vector<std::string> order{a, b, c, a};   // a file two patterns match is listed twice
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(rec.scanned[i].index, int(i));
        EXPECT_EQ(rec.scanned[i].path, order[i]);
        EXPECT_EQ(rec.scanned[i].size, fs::file_size(order[i]));
        EXPECT_GT(rec.scanned[i].when, 0);
    }
    EXPECT_EQ(rec.finishes, 1);
}

// Unload: Shutdown ends the console and waits for the worker; nothing more is reported.
TEST_F(BatchRunner, ShutdownDuringARunEndsTheConsoleQuietly) {
    ASSERT_TRUE(runner.StartRun(run(waitScript(), {drawing("a.dwg"), drawing("b.dwg")})));
    ASSERT_TRUE(sim::desk::awaitProcess(1, false, 30000));
    runner.Shutdown();
    EXPECT_FALSE(runner.Running());
    runner.Drain();
    EXPECT_TRUE(rec.statuses.empty());
    EXPECT_EQ(rec.finishes, 0);
    const auto procs = sim::desk::processes();
    ASSERT_EQ(procs.size(), 1u);
    EXPECT_FALSE(procs[0].running);
    EXPECT_EQ(sim::desk::runningWorkers(), 0u);
}

}  // namespace
