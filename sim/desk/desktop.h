// The simulated desktop's process-wide services: the clock, the host process environment, the
// transcript, scripted answers for message boxes, system colours and the keyboard focus.
#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include "win/system.h"
#include "win/types.h"

namespace sim {

class Desktop {
public:
    static Desktop& get();

    // ---- Clock: virtual unless real time is asked for. Milliseconds since the desktop started.
    void useRealClock(bool real);
    bool realClock() const { return realClock_.load(std::memory_order_relaxed); }
    std::uint64_t nowMs() const;
    std::int64_t epochSeconds() const;      // wall-clock seconds for _time64
    void setEpochSeconds(std::int64_t seconds);
    // Moves the virtual clock forward; due timers fire on the way (see window manager).
    void advance(std::uint64_t ms);
    // Called by advance for every step; the window manager hooks its timer dispatch here.
    void setTimerPump(std::function<void(std::uint64_t nowMs)> pump) { timerPump_ = std::move(pump); }
    // Called (from the thread that moved it) after the virtual clock has moved or the clock changed
    // its kind, so that threads waiting with a time-out can look at the clock again.
    void addClockListener(std::function<void()> listener);

    // ---- Environment of the host process (starts as the real environment).
    std::optional<std::string> env(const std::string& name) const;
    void setEnv(const std::string& name, std::optional<std::string> value);

    // ---- Transcript: everything the host's command line and the desktop show as text.
    void setTranscriptSink(std::function<void(const std::string&)> sink);
    void print(const std::string& text);
    // The last lines of the transcript, as the command-line window shows them.
    std::vector<std::string> recentLines(size_t count) const;

    // ---- Message boxes: queued answers (IDOK, IDYES, ...); none queued gives the default button.
    void queueAnswer(int id);
    void clearAnswers();
    int takeAnswer(UINT type);
    bool hasQueuedAnswer() const;
    struct ShownBox { std::string caption, text; UINT type; int answer; };
    const std::vector<ShownBox>& shownBoxes() const { return shownBoxes_; }
    void recordBox(ShownBox box) { shownBoxes_.push_back(std::move(box)); }
    // Interactive use: ask the terminal when nothing is queued.
    void setInteractive(bool on) { interactive_ = on; }
    bool interactive() const { return interactive_; }
    // Interactive use: one line from the person, after showing the prompt (the host's prompts,
    // message boxes, file questions). Nothing at the end of the input. The default reads standard
    // input; the program installs a terminal with line editing, or the live window's command line.
    using LineReader = std::function<std::optional<std::string>(const std::string& prompt)>;
    void setLineReader(LineReader reader);
    std::optional<std::string> readLine(const std::string& prompt);
    // The buttons of a message box of the given type, left to right, with their answers.
    static std::vector<std::pair<std::string, int>> boxButtons(UINT type);
    // Interactive use with a live window: shows a message box and returns the button the person
    // chose (the given default for Enter). Without it, the box asks on the command line.
    std::function<int(const std::string& caption, const std::string& text, UINT type, int defaultAnswer)> boxAsker;
    // Interactive use with a live pointer: DragDetect asks it whether the pointer leaves the drag
    // rectangle around the point before the button goes up (the scripted @drag needs none).
    std::function<bool(POINT screen)> dragDetector;

    // ---- System colours.
    COLORREF sysColor(int index) const;
    void setSysColor(int index, COLORREF colour);

    HWND focus = nullptr;
    // Keys held down (virtual-key codes) and the pointer, as the script set them.
    std::map<int, bool> keysDown;
    POINT cursor;
    // The next button press turns into a drag (the script's @drag says so).
    bool dragComing = false;
    // Memory status GlobalMemoryStatusEx reports instead of the real machine's (scripts, tests).
    std::optional<MEMORYSTATUSEX> memoryStatus;

    // Back to a fresh desktop (tests).
    void reset();

private:
    Desktop();
    // The clock is read on every cached settings access: lock-free reads.
    std::atomic<bool> realClock_{false};
    std::atomic<std::uint64_t> virtualMs_{0};
    std::atomic<std::uint64_t> realStartMs_{0};
    std::atomic<std::int64_t> epochBase_{0};
    std::function<void(std::uint64_t)> timerPump_;
    std::vector<std::function<void()>> clockListeners_;   // under mutex_
    void tellClockListeners();
    std::map<std::string, std::optional<std::string>> envOverrides_;
    std::function<void(const std::string&)> sink_;
    std::deque<std::string> recent_{""};
    std::deque<int> answers_;
    std::vector<ShownBox> shownBoxes_;
    bool interactive_ = false;
    LineReader lineReader_;
    std::map<int, COLORREF> colours_;
    mutable std::recursive_mutex mutex_;
};

}  // namespace sim

namespace sim {
// Start-ups of the canvas library not yet shut down (a load/unload cycle must end at zero).
int canvasLibraryUsers();
}  // namespace sim
