#include "sim/desk/desktop.h"

#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <cctype>
#include <iostream>
#include "win/input.h"
#include "win/system.h"
#include "win/window.h"

namespace sim {
namespace {
std::uint64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
// A fixed start for the virtual clock, so that transcripts and files are repeatable:
// 2026-01-05 09:00:00 UTC.
constexpr std::int64_t kVirtualEpoch = 1767603600;
}  // namespace

Desktop& Desktop::get() {
    static Desktop desktop;
    return desktop;
}

Desktop::Desktop() { reset(); }

void Desktop::reset() {
    std::lock_guard lock(mutex_);
    realClock_ = false;
    virtualMs_ = 0;
    realStartMs_ = steadyMs();
    epochBase_ = kVirtualEpoch;
    envOverrides_.clear();
    answers_.clear();
    shownBoxes_.clear();
    interactive_ = false;
    lineReader_ = nullptr;
    dragDetector = nullptr;
    boxAsker = nullptr;
    focus = nullptr;
    keysDown.clear();
    dragComing = false;
    memoryStatus.reset();
    recent_ = {""};
    cursor = POINT{};
    colours_ = {{COLOR_BTNFACE, RGB(240, 240, 240)},   {COLOR_BTNSHADOW, RGB(160, 160, 160)},
                {COLOR_BTNTEXT, RGB(0, 0, 0)},         {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
                {COLOR_WINDOW, RGB(255, 255, 255)},    {COLOR_WINDOWTEXT, RGB(0, 0, 0)},
                {COLOR_HIGHLIGHT, RGB(0, 120, 215)}};
}

void Desktop::useRealClock(bool real) {
    std::lock_guard lock(mutex_);
    if (real && !realClock_) {
        realStartMs_ = steadyMs() - virtualMs_;
        using namespace std::chrono;
        epochBase_ = duration_cast<seconds>(system_clock::now().time_since_epoch()).count() -
                     std::int64_t(virtualMs_ / 1000);
    }
    realClock_ = real;
}

void Desktop::addClockListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    clockListeners_.push_back(std::move(listener));
}

void Desktop::tellClockListeners() {
    std::vector<std::function<void()>> listeners;
    {
        std::lock_guard lock(mutex_);
        listeners = clockListeners_;
    }
    for (auto& l : listeners) l();
}

std::uint64_t Desktop::nowMs() const {
    return realClock_.load(std::memory_order_relaxed) ? steadyMs() - realStartMs_.load(std::memory_order_relaxed)
                                                      : virtualMs_.load(std::memory_order_relaxed);
}

std::int64_t Desktop::epochSeconds() const { return epochBase_ + std::int64_t(nowMs() / 1000); }

void Desktop::setEpochSeconds(std::int64_t seconds) {
    std::lock_guard lock(mutex_);
    epochBase_ = seconds - std::int64_t(nowMs() / 1000);
}

void Desktop::advance(std::uint64_t ms) {
    // Step in small increments so that timers fire at their own times and in order.
    const std::uint64_t end = nowMs() + ms;
    while (true) {
        std::uint64_t next;
        {
            std::lock_guard lock(mutex_);
            if (realClock_ || virtualMs_ >= end) break;
            next = std::min<std::uint64_t>(end, virtualMs_ + 10);
            virtualMs_ = next;
        }
        if (timerPump_) timerPump_(next);
    }
    tellClockListeners();
}

std::optional<std::string> Desktop::env(const std::string& name) const {
    std::lock_guard lock(mutex_);
    if (auto it = envOverrides_.find(name); it != envOverrides_.end()) return it->second;
    if (const char* v = std::getenv(name.c_str())) return std::string(v);
    return std::nullopt;
}

void Desktop::setEnv(const std::string& name, std::optional<std::string> value) {
    std::lock_guard lock(mutex_);
    envOverrides_[name] = std::move(value);
}

void Desktop::setTranscriptSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

void Desktop::setLineReader(LineReader reader) {
    std::lock_guard lock(mutex_);
    lineReader_ = std::move(reader);
}

std::optional<std::string> Desktop::readLine(const std::string& prompt) {
    LineReader reader;
    {
        std::lock_guard lock(mutex_);
        reader = lineReader_;
    }
    if (reader) return reader(prompt);
    print(prompt);
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // No terminal shows piped input: the transcript shows the line after its prompt.
    if (isatty(STDIN_FILENO) != 1) print(line + "\n");
    return line;
}

std::vector<std::pair<std::string, int>> Desktop::boxButtons(UINT type) {
    static const std::vector<std::pair<std::string, int>> byType[] = {
        {{"OK", IDOK}}, {{"OK", IDOK}, {"Cancel", IDCANCEL}}, {}, {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}},
        {{"Yes", IDYES}, {"No", IDNO}}};
    const UINT buttons = type & 0xF;
    return buttons < 5 ? byType[buttons] : std::vector<std::pair<std::string, int>>{};
}

std::vector<std::string> Desktop::recentLines(size_t count) const {
    std::lock_guard lock(mutex_);
    const size_t from = recent_.size() > count ? recent_.size() - count : 0;
    return std::vector<std::string>(recent_.begin() + long(from), recent_.end());
}

void Desktop::print(const std::string& text) {
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard lock(mutex_);
        sink = sink_;
        for (char c : text) {
            if (c == '\n') {
                recent_.emplace_back();
                if (recent_.size() > 50) recent_.pop_front();
            } else if (c != '\r') {
                recent_.back() += c;
            }
        }
    }
    if (sink) {
        sink(text);
    } else {
        std::cout << text << std::flush;
    }
}

void Desktop::queueAnswer(int id) {
    std::lock_guard lock(mutex_);
    answers_.push_back(id);
}

void Desktop::clearAnswers() {
    std::lock_guard lock(mutex_);
    answers_.clear();
}

bool Desktop::hasQueuedAnswer() const {
    std::lock_guard lock(mutex_);
    return !answers_.empty();
}

int Desktop::takeAnswer(UINT type) {
    std::lock_guard lock(mutex_);
    if (!answers_.empty()) {
        int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    const UINT buttons = type & 0xF;
    const bool second = (type & MB_DEFBUTTON2) != 0;
    switch (buttons) {
    case MB_OKCANCEL: return second ? IDCANCEL : IDOK;
    case MB_YESNOCANCEL:
    case MB_YESNO: return second ? IDNO : IDYES;
    default: return IDOK;
    }
}

COLORREF Desktop::sysColor(int index) const {
    std::lock_guard lock(mutex_);
    auto it = colours_.find(index);
    return it == colours_.end() ? RGB(0, 0, 0) : it->second;
}

void Desktop::setSysColor(int index, COLORREF colour) {
    std::lock_guard lock(mutex_);
    colours_[index] = colour;
}

}  // namespace sim

// ---- The boundary functions ------------------------------------------------------------------

bool GetEnvironmentVariable(const std::string& name, std::string* value) {
    auto v = sim::Desktop::get().env(name);
    if (!v) return false;
    if (value) *value = *v;
    return true;
}

std::int64_t _time64(std::int64_t* out) {
    std::int64_t t = sim::Desktop::get().epochSeconds();
    if (out) *out = t;
    return t;
}

ULONGLONG GetTickCount64() { return sim::Desktop::get().nowMs(); }

COLORREF GetSysColor(int index) { return sim::Desktop::get().sysColor(index); }

namespace {
// Interactive use: the person answers a box that the script did not. The box shows once, with its
// buttons as its own prompt ("[Yes/No/Cancel] "); only an answer closes it (a button's name or
// first letter, or Enter for the default button), so a line meant for the command line is never
// taken as the answer. At the end of the input the default button answers.
int askPerson(const std::string& box, UINT type, int fallback) {
    const auto choices = sim::Desktop::boxButtons(type);
    if (choices.empty()) return fallback;
    std::string names;
    for (const auto& [name, id] : choices) names += (names.empty() ? "" : "/") + name;
    auto& desk = sim::Desktop::get();
    desk.print(box + "\n");
    while (true) {
        auto line = desk.readLine("[" + names + "] ");
        if (!line) return fallback;
        std::string word;
        for (char c : *line)
            if (c != ' ' && c != '\t' && c != '\r') word += char(std::toupper(static_cast<unsigned char>(c)));
        if (word.empty()) return fallback;
        for (const auto& [name, id] : choices) {
            std::string upperName = name;
            for (char& c : upperName) c = char(std::toupper(static_cast<unsigned char>(c)));
            if (word == upperName || (word.size() == 1 && word[0] == upperName[0])) return id;
        }
        std::string defaultName = choices.front().first;
        for (const auto& [name, id] : choices)
            if (id == fallback) defaultName = name;
        desk.print("The message box waits for its answer: " + names + " (Enter: " + defaultName + ").\n");
    }
}
}  // namespace

int MessageBox(HWND, const std::string& text, const std::string& caption, UINT type) {
    auto& desk = sim::Desktop::get();
    const bool scripted = desk.hasQueuedAnswer();
    int answer = desk.takeAnswer(type);
    static const char* const names[] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    const std::string box = "[MessageBox] " + (caption.empty() ? std::string() : caption + ": ") + text;
    if (!scripted && desk.interactive() && desk.boxAsker && !sim::Desktop::boxButtons(type).empty()) {
        answer = desk.boxAsker(caption, text, type, answer);
        desk.print(box + " -> " + (answer >= 0 && answer <= 7 ? names[answer] : "?") + "\n");
    } else if (!scripted && desk.interactive()) {
        answer = askPerson(box, type, answer);
        desk.print(std::string("-> ") + (answer >= 0 && answer <= 7 ? names[answer] : "?") + "\n");
    } else {
        desk.print(box + " -> " + (answer >= 0 && answer <= 7 ? names[answer] : "?") + "\n");
    }
    desk.recordBox({caption, text, type, answer});
    return answer;
}

HWND SetFocus(HWND wnd) {
    auto& desk = sim::Desktop::get();
    HWND old = desk.focus;
    desk.focus = wnd;
    return old;
}

HWND GetFocus() { return sim::Desktop::get().focus; }

short GetKeyState(int virtualKey) {
    auto& keys = sim::Desktop::get().keysDown;
    auto it = keys.find(virtualKey);
    return it != keys.end() && it->second ? short(0x8000) : short(0);
}

BOOL GetCursorPos(POINT* point) {
    if (!point) return FALSE;
    *point = sim::Desktop::get().cursor;
    return TRUE;
}

BOOL DragDetect(HWND wnd, POINT pt) {
    auto& desk = sim::Desktop::get();
    if (desk.dragDetector) {
        ClientToScreen(wnd, &pt);
        return desk.dragDetector(pt) ? TRUE : FALSE;
    }
    const bool drag = desk.dragComing;
    desk.dragComing = false;
    return drag;
}
