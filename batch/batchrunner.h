// The batch runner: runs the host's console program over drawing files, and scans a folder for
// drawing files, on a worker thread of its own. It owns no window. The worker queues what happens
// and tells its listener that something waits; the owner's thread then calls Drain, which reports
// each change back to the listener, so the listener hears of rows only on that thread.
#pragma once
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>
#include "batch/batchrules.h"
#include "win/process.h"

struct KvBatchWorkerState;   // what the runner and its worker share (batchrunner.cpp)

class KvBatchRunnerListener {
public:
    // Called on the worker thread: events wait; the owner calls Drain on its own thread.
    virtual void EventsWaiting() = 0;
    // The run has come to `row` (rows are reached in order); it may still not start there.
    virtual void RowBegin(int row) = 0;
    // `row` has `status`; `finished` counts the rows the run has finished so far, 0 for a status
    // that finishes nothing (an open drawing, which ends the run).
    virtual void RowStatus(int row, KvRowStatus status, int finished) = 0;
    // The scan found `count` files; a ScanRow follows for each, unless it is stopped.
    virtual void ScanFound(int count) = 0;
    virtual void ScanRow(int index, const std::string& path, std::uint64_t size, std::time_t when) = 0;
    // The run or scan is over and its thread gone: the runner is idle again.
    virtual void Finished() = 0;

protected:
    ~KvBatchRunnerListener() = default;
};

// What a run works on: the rows' drawings in order and whether each is open in the host.
struct KvBatchRun {
    std::string console;   // the console program
    std::string script;    // the generated script every console runs
    std::vector<std::string> drawings;
    std::vector<char> open;
    int atOnce = 1;   // console programs running at the same time (clamped to 1..kKvMaxAtOnce)
};

class KvBatchRunner {
public:
    explicit KvBatchRunner(KvBatchRunnerListener& listener);
    ~KvBatchRunner();
    KvBatchRunner(const KvBatchRunner&) = delete;
    KvBatchRunner& operator=(const KvBatchRunner&) = delete;

    // Start a run or a folder scan; false when the worker thread cannot be started. Only one runs
    // at a time: the caller starts nothing while Running().
    bool StartRun(KvBatchRun run);
    bool StartScan(std::string folder, std::vector<std::string> patterns);
    bool Running() const { return worker_ != nullptr; }
    // Stop: no further row starts, every console still running is ended and its row reads
    // "Timeout", the scan adds no further row. Finished follows through Drain.
    void Stop();
    // Stops and waits for the worker; what it queued is dropped, nothing more is reported.
    void Shutdown();
    // The host opened or closed the drawing of `row` while a run may be going on.
    void SetOpen(int row, bool open);
    // Reports, in order, everything the worker has queued.
    void Drain();

private:
    bool startWorker(std::unique_ptr<KvBatchWorkerState> state, LPTHREAD_START_ROUTINE routine);
    void join();

    KvBatchRunnerListener& listener_;
    HANDLE worker_ = nullptr;
    std::unique_ptr<KvBatchWorkerState> shared_;
};

// A file's size and last write time as the drawing list shows them (0 for what cannot be read).
struct KvFileFacts {
    std::uint64_t size = 0;
    std::time_t when = 0;
};
KvFileFacts KvReadFileFacts(const std::string& path);
