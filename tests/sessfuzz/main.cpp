// kv-sessfuzz: runs random user sessions through the simulated host, each in a child process
// watched by this one, and turns a failing session into the shortest korvane-host script that
// still fails the same way. See docs/sessfuzz.md.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include "sessfuzz/session.h"
#include "sessfuzz/shorten.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using sessfuzz::SessionPlan;
using sessfuzz::Step;

namespace {

struct Options {
    std::vector<std::uint64_t> seeds = {1};
    bool randomSeeds = false;
    double seconds = 0;             // run random sessions for this long
    int steps = 60;
    double stepTimeout = 20;        // seconds of real time a step may take
    int maxReplays = 120;           // replays spent on shortening one failure
    std::string replay;             // a script to run once
    bool shortenReplay = false;     // and shorten it when it fails
    std::string outDir = ".";
    bool verbose = false;
    Clock::time_point deadline = Clock::time_point::max();   // shortening stops here too
};

struct Result {
    bool failed = false;
    std::string signature;          // what kind of failure: shortening keeps it
    std::string message;
    std::vector<Step> steps;        // the steps run, up to the failing one
    std::string log;                // the child's transcript and sanitizer output
    double seconds = 0;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The sanitizer's own words for what it found, when the log holds a report: its summary line
// (the kind and the place), else its first error line.
std::string sanitizerFinding(const std::string& log) {
    if (auto at = log.find("SUMMARY: AddressSanitizer: "); at != std::string::npos) {
        std::string summary = log.substr(at + 9, log.find('\n', at) - at - 9);
        if (summary.find("leaked") == std::string::npos) return summary;
        return "LeakSanitizer: memory leaks";
    }
    for (const char* marker : {"ERROR: AddressSanitizer: ", "ERROR: LeakSanitizer: ", "runtime error: "}) {
        auto at = log.find(marker);
        if (at == std::string::npos) continue;
        auto end = log.find_first_of(" \n", at + std::strlen(marker));
        return std::string(marker) + log.substr(at + std::strlen(marker), end - at - std::strlen(marker));
    }
    return {};
}

std::string lastLines(const std::string& text, int count) {
    size_t at = text.size();
    for (int n = 0; n <= count && at != std::string::npos && at > 0; ++n) at = text.rfind('\n', at - 1);
    return at == std::string::npos ? text : text.substr(at + 1);
}

// Runs one session in a child process and follows it line by line.
Result runChild(const SessionPlan& plan, const Options& opt) {
    Result r;
    const auto start = Clock::now();
    char logName[] = "/tmp/kv-sessfuzz-log-XXXXXX";
    const int logFd = mkstemp(logName);
    int p[2];
    if (logFd < 0 || pipe(p) != 0) {
        r.failed = true;
        r.signature = r.message = "cannot start a session";
        return r;
    }
    std::cout.flush();
    std::cerr.flush();
    const pid_t child = fork();
    if (child == 0) {
        close(p[0]);
        dup2(logFd, 1);
        dup2(logFd, 2);
        close(logFd);
        const int status = sessfuzz::runSession(plan, p[1]);
        std::cout.flush();
        std::cerr.flush();
        std::exit(status);   // exit, not _exit: the leak check runs at the end
    }
    close(p[1]);
    close(logFd);

    std::string root, buffer, failure;
    bool ended = false, timedOut = false;
    for (;;) {
        pollfd pfd{p[0], POLLIN, 0};
        const int ready = poll(&pfd, 1, int(opt.stepTimeout * 1000));
        if (ready == 0) {
            timedOut = true;
            kill(child, SIGKILL);
            break;
        }
        char chunk[4096];
        const ssize_t n = read(p[0], chunk, sizeof chunk);
        if (n <= 0) break;
        buffer.append(chunk, size_t(n));
        size_t nl;
        while ((nl = buffer.find('\n')) != std::string::npos) {
            const std::string line = buffer.substr(0, nl);
            buffer.erase(0, nl + 1);
            const char tag = line.empty() ? ' ' : line[0];
            const std::string rest = line.size() > 2 ? line.substr(2) : "";
            if (tag == 'R') root = rest;
            if (tag == 'S') r.steps.push_back({});
            if (tag == 'L' && !r.steps.empty()) r.steps.back().lines.push_back(rest);
            if (tag == 'F') failure = rest;
            if (tag == 'X') ended = true;
        }
    }
    close(p[0]);
    int status = 0;
    waitpid(child, &status, 0);
    r.log = readFile(logName);
    unlink(logName);
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::error_code ec;
    if (!root.empty() && root.rfind("/tmp/", 0) == 0) fs::remove_all(root, ec);

    const std::string finding = sanitizerFinding(r.log);
    if (timedOut) {
        r.signature = "hang";
        r.message = "a step ran for more than " + std::to_string(int(opt.stepTimeout)) + " s (watchdog)";
        if (!r.steps.empty() && !r.steps.back().lines.empty()) r.message += " in: " + r.steps.back().lines.back();
    } else if (!failure.empty()) {
        // The check and the shape of its message, without the paths and numbers of this session.
        r.signature = "check " + failure.substr(0, failure.find_first_of("{/0123456789'"));
        r.message = failure;
    } else if (!finding.empty()) {
        r.signature = finding;
        r.message = finding;
        // A crash without a place (the module's code is gone): the menu pick before it tells kinds apart.
        if (finding.find(".cpp:") == std::string::npos) {
            const auto crash = r.log.find(finding.substr(finding.find(':') + 2));
            const auto menu = r.log.rfind("\n[menu] ", crash);
            if (menu != std::string::npos)
                r.signature += " after" + r.log.substr(menu + 7, r.log.find('\n', menu + 1) - menu - 7);
            r.message = r.signature;
        }
    } else if (WIFSIGNALED(status)) {
        r.signature = "signal " + std::to_string(WTERMSIG(status));
        r.message = std::string("killed by ") + strsignal(WTERMSIG(status));
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !ended) {
        r.signature = "exit " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        r.message = "the session ended with status " + std::to_string(WEXITSTATUS(status));
    }
    // The steps run end with the failing one: the child stops there, or died in it.
    r.failed = !r.signature.empty();
    return r;
}

// The module folder of the build tree this program belongs to, else the configured one; looked up
// once, since the program may be rebuilt while it runs.
const std::string& moduleDir() {
    static const std::string dir = [] {
        std::error_code ec;
        const fs::path self = fs::canonical("/proc/self/exe", ec);
        const fs::path beside = self.parent_path().parent_path().parent_path() / "module";
        return !ec && fs::exists(beside / "Korvane.arx", ec) ? beside.string() : std::string(KV_BUILD_MODULE_DIR);
    }();
    return dir;
}

SessionPlan basePlan(const Options& opt) {
    SessionPlan plan;
    plan.steps = opt.steps;
    plan.moduleDir = moduleDir();
    plan.shippedDir = std::string(KV_SOURCE_DIR) + "/shipped";
    return plan;
}

Result replay(const Options& opt, const std::vector<Step>& steps) {
    SessionPlan plan = basePlan(opt);
    plan.replaying = true;
    plan.replay = steps;
    return runChild(plan, opt);
}

// Delta debugging over the steps, then over the lines of the steps left: the shortest session that
// still fails with the same signature.
std::vector<Step> shorten(const Options& opt, const Result& failing, int* replays) {
    auto stillFails = [&](const std::vector<Step>& candidate) -> std::optional<std::vector<Step>> {
        if (*replays >= opt.maxReplays || Clock::now() >= opt.deadline) return std::nullopt;
        ++*replays;
        Result r = replay(opt, candidate);
        if (!r.failed || r.signature != failing.signature) return std::nullopt;
        return r.steps;   // what ran, with the dialogs the user had to close
    };
    std::vector<Step> steps = sessfuzz::deltaDebug(failing.steps, stillFails);
    // Then the lines of the steps left, one at a time.
    for (size_t i = 0; i < steps.size(); ++i) {
        for (size_t j = 0; i < steps.size() && j < steps[i].lines.size() && steps[i].lines.size() > 1;) {
            std::vector<Step> candidate = steps;
            candidate[i].lines.erase(candidate[i].lines.begin() + long(j));
            if (auto ran = stillFails(candidate)) steps = std::move(*ran);
            else ++j;
        }
    }
    return steps;
}

// Reports a failure: the seed, the message, the shortest session as a script (printed and written
// to the output folder) and the end of its transcript.
void reportFailure(const Options& opt, const std::string& origin, const Result& first) {
    int replays = 0;
    std::vector<Step> steps = shorten(opt, first, &replays);
    Result last = replay(opt, steps);
    if (!last.failed) last = first;   // flaky: keep the original
    if (!last.failed || last.signature != first.signature) steps = first.steps;
    std::string header = "# korvane-host script found by kv-sessfuzz (" + origin + ")\n# fails: " + first.message +
                         "\n# shortened from " + std::to_string(first.steps.size()) + " to " +
                         std::to_string(steps.size()) + " steps in " + std::to_string(replays) + " replays\n";
    const std::string script = sessfuzz::scriptOfSteps(steps, header);
    std::string safe = origin;
    for (auto& c : safe)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
    const std::string file = (fs::path(opt.outDir) / ("sessfuzz-" + safe + ".kvs")).string();
    std::ofstream(file) << script;
    std::cout << "FAIL " << origin << ": " << first.message << "\n" << script << "(written to " << file << ")\n"
              << "--- the end of its transcript:\n"
              << lastLines(last.log, 40) << "---\n";
}

std::uint64_t parseSeed(const std::string& s) { return std::stoull(s); }

int usage() {
    std::cerr << "usage: kv-sessfuzz [--seed N | --seeds A-B,C,... | --seconds S] [--steps N] [--step-timeout S]\n"
                 "                   [--max-replays N] [--out DIR] [--verbose]\n"
                 "       kv-sessfuzz --replay|--shorten FILE.kvs [--step-timeout S] [--out DIR]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) std::exit(usage());
            return argv[++i];
        };
        if (a == "--seed") opt.seeds = {parseSeed(next())};
        else if (a == "--seeds") {
            // "1-12" or "1,3,6-14"
            opt.seeds.clear();
            std::stringstream list(next());
            std::string item;
            while (std::getline(list, item, ',')) {
                const auto dash = item.find('-');
                const std::uint64_t first = parseSeed(item.substr(0, dash));
                const std::uint64_t last = dash == std::string::npos ? first : parseSeed(item.substr(dash + 1));
                for (std::uint64_t seed = first; seed <= last; ++seed) opt.seeds.push_back(seed);
            }
        } else if (a == "--seconds") {
            opt.seconds = std::stod(next());
            opt.randomSeeds = true;
        } else if (a == "--steps") opt.steps = std::stoi(next());
        else if (a == "--step-timeout") opt.stepTimeout = std::stod(next());
        else if (a == "--max-replays") opt.maxReplays = std::stoi(next());
        else if (a == "--replay") opt.replay = next();
        else if (a == "--shorten") {
            opt.replay = next();
            opt.shortenReplay = true;
        }
        else if (a == "--out") opt.outDir = next();
        else if (a == "--verbose") opt.verbose = true;
        else return usage();
    }
    fs::create_directories(opt.outDir);
    moduleDir();

    if (!opt.replay.empty()) {
        const std::string text = readFile(opt.replay);
        if (text.empty()) {
            std::cerr << "kv-sessfuzz: cannot read " << opt.replay << "\n";
            return 2;
        }
        Result r = replay(opt, sessfuzz::stepsOfScript(text));
        if (r.failed && opt.shortenReplay) {
            reportFailure(opt, fs::path(opt.replay).stem().string(), r);
            return 1;
        }
        if (opt.verbose || r.failed) std::cout << r.log;
        std::cout << (r.failed ? "FAIL " : "ok ") << opt.replay << ": " << r.steps.size() << " steps, "
                  << r.seconds << " s" << (r.failed ? " -- " + r.message : "") << "\n";
        return r.failed ? 1 : 0;
    }

    std::set<std::string> seen;   // signatures already reported (soak)
    int sessions = 0, failures = 0, steps = 0;
    const auto start = Clock::now();
    // A soak ends on time: shortening what it found may take a quarter more.
    if (opt.randomSeeds)
        opt.deadline = start + std::chrono::milliseconds(std::int64_t(opt.seconds * 1250));
    std::mt19937_64 seeds(std::uint64_t(std::time(nullptr)) ^ std::uint64_t(getpid()));
    for (size_t n = 0;; ++n) {
        std::uint64_t seed;
        if (opt.randomSeeds) {
            if (std::chrono::duration<double>(Clock::now() - start).count() >= opt.seconds) break;
            seed = seeds() % 1000000000;
        } else if (n < opt.seeds.size()) {
            seed = opt.seeds[n];
        } else {
            break;
        }
        SessionPlan plan = basePlan(opt);
        plan.seed = seed;
        Result r = runChild(plan, opt);
        ++sessions;
        steps += int(r.steps.size());
        if (opt.verbose || r.failed)
            std::cout << (r.failed ? "FAIL" : "ok") << " seed " << seed << ": " << r.steps.size() << " steps, "
                      << r.seconds << " s" << (r.failed ? " -- " + r.message : "") << std::endl;
        if (!r.failed) continue;
        ++failures;
        if (seen.insert(r.signature).second) reportFailure(opt, "seed " + std::to_string(seed), r);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::cout << "kv-sessfuzz: " << sessions << " sessions, " << steps << " steps, " << failures << " failed ("
              << seen.size() << " kinds), " << elapsed << " s\n";
    return failures ? 1 : 0;
}
