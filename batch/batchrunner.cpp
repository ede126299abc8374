#include "batch/batchrunner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>

#include "arx/aced.h"
#include "core/text.h"
#include "win/system.h"

namespace fs = std::filesystem;

namespace {

// What a worker queues for the owner's thread.
struct WorkerEvent {
    enum Kind { RowBegin, RowStatus, Print, ScanFound, ScanRow, Done } kind = Done;
    int row = 0;
    KvRowStatus status = KvRowStatus::Ready;
    std::string text;
    KvFileFacts facts;   // ScanRow
    int progress = 0;    // RowStatus: rows finished so far
};

WorkerEvent event(WorkerEvent::Kind kind, int row = 0, KvRowStatus status = KvRowStatus::Ready, std::string text = {}) {
    WorkerEvent e;
    e.kind = kind;
    e.row = row;
    e.status = status;
    e.text = std::move(text);
    return e;
}

}   // namespace

// State shared by the runner and its worker. The worker never reports to the listener directly:
// it queues events and wakes the owner, who drains them on its own thread.
struct KvBatchWorkerState {
    KvBatchRunnerListener& listener;
    std::atomic<bool> abort{false};
    HANDLE stop = CreateEvent(nullptr, TRUE, FALSE, nullptr);   // set by Stop: wakes a waiting run
    std::mutex mutex;
    std::deque<WorkerEvent> events;
    KvBatchRun run;       // run: `open` is read and written under the mutex
    std::string folder;   // scan
    std::vector<std::string> patterns;

    explicit KvBatchWorkerState(KvBatchRunnerListener& l) : listener(l) {}
    KvBatchWorkerState(const KvBatchWorkerState&) = delete;
    KvBatchWorkerState& operator=(const KvBatchWorkerState&) = delete;
    ~KvBatchWorkerState() {
        if (stop) CloseHandle(stop);
    }

    void post(WorkerEvent e) {
        {
            std::lock_guard lock(mutex);
            events.push_back(std::move(e));
        }
        listener.EventsWaiting();
    }
    bool isOpen(size_t row) {
        std::lock_guard lock(mutex);
        return row < run.open.size() && run.open[row];
    }
    void requestStop() {
        abort = true;
        if (stop) SetEvent(stop);
    }
};

namespace {

// One console process of a run: started hidden, watched until it ends, runs too long or the run
// is stopped.
struct ConsoleRun {
    size_t row = 0;
    PROCESS_INFORMATION info;
    ULONGLONG startedTicks = 0;   // the desktop's clock
    std::chrono::steady_clock::time_point startedAt;

    // Milliseconds left before the time-out, by whichever clock has moved further.
    ULONGLONG remainingMs() const {
        const ULONGLONG ticks = GetTickCount64() - startedTicks;
        const auto real =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt);
        const ULONGLONG elapsed = std::max<ULONGLONG>(ticks, ULONGLONG(std::max<long long>(0, real.count())));
        return elapsed >= kKvRunTimeoutMs ? 0 : kKvRunTimeoutMs - elapsed;
    }
    void end() {
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
};

// Starts the console on one drawing; false (with the error line on the host command line) when it
// cannot be started.
bool startConsole(KvBatchWorkerState& w, size_t row, ConsoleRun* run) {
    STARTUPINFO startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    run->row = row;
    run->startedTicks = GetTickCount64();
    run->startedAt = std::chrono::steady_clock::now();
    const std::string commandLine = KvConsoleCommandLine(w.run.console, w.run.drawings[row], w.run.script);
    if (!CreateProcess(nullptr, commandLine, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &run->info)) {
        char line[80];
        std::snprintf(line, sizeof line, "\nerror ; CreateProcess failed (%d)", int(GetLastError()));
        w.post(event(WorkerEvent::Print, 0, KvRowStatus::Ready, line));
        return false;
    }
    return true;
}

// The outcome of a console that has ended, or nothing while it runs (it is ended when its time
// is up).
std::optional<KvRunOutcome> consoleOutcome(ConsoleRun& run) {
    DWORD code = 0;
    if (!GetExitCodeProcess(run.info.hProcess, &code)) return KvRunOutcome::Fail;
    if (code != STILL_ACTIVE) return KvOutcomeOfExit(code);
    if (run.remainingMs() > 0) return std::nullopt;
    TerminateProcess(run.info.hProcess, 0);
    return KvRunOutcome::Timeout;
}

// The run: up to `atOnce` consoles at a time, started in row order. The worker sleeps on the
// running processes and the Stop event together, so a console's end is seen as it happens.
// Exceptions are caught here without a line on the host's command line, which only the owner's
// thread may use: the row reads "Exception" and the run goes on.
DWORD runWorker(void* parameter) {
    KvBatchWorkerState& w = *static_cast<KvBatchWorkerState*>(parameter);
    const size_t atOnce = size_t(std::clamp(w.run.atOnce, 1, kKvMaxAtOnce));
    const size_t rows = w.run.drawings.size();
    std::vector<ConsoleRun> running;
    size_t next = 0;
    int finished = 0;
    bool starting = true;
    auto report = [&](size_t row, KvRowStatus status) {
        WorkerEvent e = event(WorkerEvent::RowStatus, int(row), status);
        e.progress = ++finished;
        w.post(std::move(e));
    };
    for (;;) {
        while (starting && running.size() < atOnce && next < rows) {
            const size_t row = next++;
            w.post(event(WorkerEvent::RowBegin, int(row)));
            if (w.abort) {
                starting = false;
                break;
            }
            // An open drawing ends the run: the console must not write a file the host holds.
            if (w.isOpen(row)) {
                w.post(event(WorkerEvent::RowStatus, int(row), KvRowStatus::IsOpen));
                starting = false;
                break;
            }
            try {
                ConsoleRun run;
                if (startConsole(w, row, &run)) running.push_back(run);
                else report(row, KvRowStatus::Fail);
            } catch (...) {
                report(row, KvRowStatus::Exception);
            }
        }
        if (running.empty()) break;

        std::vector<HANDLE> handles{w.stop};
        ULONGLONG wait = kKvRunTimeoutMs;
        for (const auto& r : running) {
            handles.push_back(r.info.hProcess);
            wait = std::min(wait, r.remainingMs());
        }
        WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, DWORD(wait));
        const bool stopped = w.abort;
        for (auto it = running.begin(); it != running.end();) {
            std::optional<KvRunOutcome> outcome;
            try {
                outcome = consoleOutcome(*it);
                if (!outcome && stopped) {
                    // Stop ends every console still running; their drawings read "Timeout".
                    TerminateProcess(it->info.hProcess, 0);
                    outcome = KvRunOutcome::Timeout;
                }
            } catch (...) {
                report(it->row, KvRowStatus::Exception);
                it->end();
                it = running.erase(it);
                continue;
            }
            if (!outcome) {
                ++it;
                continue;
            }
            report(it->row, KvRowStatusOf(*outcome));
            it->end();
            it = running.erase(it);
        }
        if (stopped) starting = false;
    }
    w.post(event(WorkerEvent::Done));
    return 0;
}

// The scan: each pattern's files in name order (letter case ignored), a file matching two patterns
// listed twice. A failure ends the scan quietly with the rows found so far.
DWORD scanWorker(void* parameter) {
    KvBatchWorkerState& w = *static_cast<KvBatchWorkerState*>(parameter);
    try {
        std::vector<std::string> found;
        for (const auto& pattern : w.patterns) {
            if (w.abort) break;
            std::vector<std::pair<std::string, std::string>> matches;   // folded name, path
            std::error_code ec;
            for (fs::directory_iterator it(w.folder, ec), end; !ec && it != end && !w.abort; it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (it->is_regular_file(ec) && KvMatchFilePattern(pattern, name))
                    matches.emplace_back(FoldCase(name), it->path().string());
            }
            std::sort(matches.begin(), matches.end());
            for (auto& m : matches) found.push_back(std::move(m.second));
        }
        w.post(event(WorkerEvent::ScanFound, int(found.size())));
        for (size_t i = 0; i < found.size() && !w.abort; ++i) {
            WorkerEvent e = event(WorkerEvent::ScanRow, int(i), KvRowStatus::Waiting, found[i]);
            e.facts = KvReadFileFacts(found[i]);
            w.post(std::move(e));
        }
    } catch (...) {}
    w.post(event(WorkerEvent::Done));
    return 0;
}

}   // namespace

KvBatchRunner::KvBatchRunner(KvBatchRunnerListener& listener) : listener_(listener) {}

KvBatchRunner::~KvBatchRunner() { Shutdown(); }

bool KvBatchRunner::StartRun(KvBatchRun run) {
    auto shared = std::make_unique<KvBatchWorkerState>(listener_);
    shared->run = std::move(run);
    return startWorker(std::move(shared), runWorker);
}

bool KvBatchRunner::StartScan(std::string folder, std::vector<std::string> patterns) {
    auto shared = std::make_unique<KvBatchWorkerState>(listener_);
    shared->folder = std::move(folder);
    shared->patterns = std::move(patterns);
    return startWorker(std::move(shared), scanWorker);
}

bool KvBatchRunner::startWorker(std::unique_ptr<KvBatchWorkerState> shared, LPTHREAD_START_ROUTINE routine) {
    if (worker_) return false;
    // The worker only ever runs while the runner holds its state: Drain and Shutdown join it
    // before they let the state go.
    worker_ = CreateThread(nullptr, 0, routine, shared.get(), 0, nullptr);
    if (!worker_) return false;
    shared_ = std::move(shared);
    return true;
}

void KvBatchRunner::Stop() {
    if (shared_) shared_->requestStop();
}

void KvBatchRunner::join() {
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
    shared_.reset();
}

void KvBatchRunner::Shutdown() {
    if (!worker_) return;
    shared_->requestStop();
    join();
}

void KvBatchRunner::SetOpen(int row, bool open) {
    if (!shared_ || shared_->run.drawings.empty()) return;
    std::lock_guard lock(shared_->mutex);
    if (row >= 0 && size_t(row) < shared_->run.open.size()) shared_->run.open[size_t(row)] = open;
}

void KvBatchRunner::Drain() {
    for (;;) {
        if (!shared_) return;
        WorkerEvent e;
        {
            std::lock_guard lock(shared_->mutex);
            if (shared_->events.empty()) return;
            e = std::move(shared_->events.front());
            shared_->events.pop_front();
        }
        switch (e.kind) {
        case WorkerEvent::RowBegin: listener_.RowBegin(e.row); break;
        case WorkerEvent::RowStatus: listener_.RowStatus(e.row, e.status, e.progress); break;
        case WorkerEvent::Print: acutPrintf("%s", e.text.c_str()); break;
        case WorkerEvent::ScanFound: listener_.ScanFound(e.row); break;
        case WorkerEvent::ScanRow: listener_.ScanRow(e.row, e.text, e.facts.size, e.facts.when); break;
        case WorkerEvent::Done:
            join();
            listener_.Finished();
            break;
        }
    }
}

KvFileFacts KvReadFileFacts(const std::string& path) {
    KvFileFacts facts;
    std::error_code ec;
    facts.size = fs::file_size(path, ec);
    if (ec) facts.size = 0;
    const auto written = fs::last_write_time(path, ec);
    if (!ec)
        facts.when =
            std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                std::chrono::file_clock::to_sys(written)));
    return facts;
}
