// One session in the child process: the simulated machine set up as korvane-host sets it up, steps
// generated from what the host shows (or replayed from a script), and the checks after each step.
#include "sessfuzz/session.h"
#include "sessfuzz/writes.h"

#include <unistd.h>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include "apps/korvane-host/app_verbs.h"
#include "arx/aced.h"
#include "arx/docman.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/machine.h"
#include "sim/script/runner.h"
#include "win/tabctrl.h"
#include "win/window.h"

namespace sim::desk {
HWND findByClass(HWND root, const std::string& className);   // sim/desk/verbs.cpp
}

namespace fs = std::filesystem;

namespace sessfuzz {
namespace {

// ---- Reporting to the parent ------------------------------------------------------------------

int g_fd = -1;

void report(const std::string& text) {
    std::string line = text + "\n";
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t n = ::write(g_fd, p, left);
        if (n <= 0) return;
        p += n;
        left -= size_t(n);
    }
}

// ---- What the host shows ----------------------------------------------------------------------

struct Tab {
    std::string caption, kind, flags, path;
    bool has(const std::string& flag) const { return ("," + flags + ",").find("," + flag + ",") != std::string::npos; }
};

struct Doc {
    const void* id = nullptr;
    std::string path;
    int dbmod = 0;
    bool readOnly = false;
};

struct State {
    bool loaded = false;
    bool bar = false;                       // the plug-in shows a tab strip
    bool sdi = false;                       // the host runs in single-document mode
    bool sdiFollowed = false;               // and the bar follows it ('Enable SDIMode')
    std::vector<Tab> tabs;
    std::vector<int> markedSet;             // the tabs of the plug-in's marked set (-1: not a tab)
    int controlItems = -1, controlSelection = -1;   // the tab control's own view, by its messages
    std::vector<Doc> docs;
    std::vector<const void*> pages;         // windows without a drawing (the start page)
    std::map<std::string, std::size_t> files;   // path under the root -> size and content hash
};

std::string g_capture;   // the transcript since the capture was last cleared

std::string captured(const std::function<void()>& fn) {
    const size_t from = g_capture.size();
    fn();
    return g_capture.substr(from);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream ss(text);
    std::string line;
    while (std::getline(ss, line)) out.push_back(line);
    return out;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return out;
        start = tab + 1;
    }
}

// Files of the machine that the user's work may touch: everything under the root but the
// plug-in's data folder, the registry, the module folder and the simulator's own bookkeeping (the
// logs of the programs it started, the files behind named mutexes).
std::map<std::string, std::size_t> fileSnapshot(const std::string& root) {
    static const std::set<std::string> skipped = {"AppData", "registry", "Program Files", "processes", "locks"};
    std::map<std::string, std::size_t> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string rel = it->path().lexically_relative(root).string();
        if (it->is_directory() && skipped.count(rel)) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file()) continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        out[it->path().string()] = std::hash<std::string>{}(bytes.str()) ^ (bytes.str().size() << 1);
    }
    return out;
}

class Session {
public:
    Session(const SessionPlan& plan) : plan_(plan), rng_(plan.seed) {}
    int run();

private:
    // Machine and observation
    void setUp();
    State observe();
    // Steps
    Step generate(const State& s);
    void runStep(const Step& step);
    void runLine(const std::string& line);
    // Checks
    std::optional<std::string> check(const State& before, const State& after, const Step& step,
                                     const std::string& transcript);
    std::optional<std::string> checkSettings();

    // Random choices
    int pick(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    template <class T> const T& any(const std::vector<T>& v) { return v[size_t(pick(int(v.size())))]; }
    std::string quoted(const std::string& s) { return "\"" + s + "\""; }
    std::string tabIndex(const State& s) { return std::to_string(pick(int(s.tabs.size()) + (chance(0.05) ? 1 : 0))); }
    std::string answer() { return any<std::string>({"Yes", "No", "Cancel", "Yes", "No"}); }
    void saveQuestionAnswers(std::vector<std::string>& lines);
    void optionsDialog(std::vector<std::string>& lines);
    void batchRun(std::vector<std::string>& lines);
    std::optional<std::string> checkOptions(const Step& step, const std::string& transcript);

    SessionPlan plan_;
    std::mt19937_64 rng_;
    sim::script::Runner runner_;
    sim::MachineLayout machine_;
    std::deque<std::string> pending_;     // lines of the running step not yet run
    std::vector<std::string> made_;       // drawing files the session made (relative to the root)
    std::set<std::string> foreign_;       // drawings another program wrote: never written over
    std::map<std::string, std::string> settings_;   // setting key -> value read back after writing
    // Drawings opened in single-document mode that the bar did not follow, and windows without a
    // drawing that were open when the plug-in was loaded.
    std::set<const void*> untracked_;
    int autoCancels_ = 0;
};

// ---- The machine -------------------------------------------------------------------------------

void Session::setUp() {
    auto& desk = sim::Desktop::get();
    desk.useRealClock(false);
    desk.setInteractive(false);
    desk.setTranscriptSink([](const std::string& text) {
        g_capture += text;
        std::cerr << text;
    });
    const std::string root = sim::makeTemporaryRoot();
    machine_ = sim::setupMachine(root, plan_.moduleDir, plan_.shippedDir);
    fs::current_path(machine_.root);
    report("R " + machine_.root);

    sim::desk::registerDeskVerbs(runner_);
    sim::desk::registerDialogVerbs(runner_);
    sim::host::registerHostVerbs(runner_);
    kvapp::registerAppVerbs(runner_, machine_);
    // A modal dialog runs the step's next lines; when the step has none left, the user closes it.
    sim::desk::setScriptFeed([this]() {
        if (!pending_.empty()) {
            std::string line = pending_.front();
            pending_.pop_front();
            runLine(line);
            return true;
        }
        if (sim::desk::topDialog() && autoCancels_ < 3) {
            ++autoCancels_;
            runLine("@cancel-dialog");
            return true;
        }
        return false;
    });
    sim::host::loadModule(machine_.moduleFolder + "Korvane.arx");
}

State Session::observe() {
    State s;
    s.loaded = !sim::host::loadedModules().empty();
    for (AcApDocWindow* w : sim::host::windows()) {
        AcApDocument* d = w->document();
        if (!d) {
            s.pages.push_back(w);
            continue;
        }
        s.docs.push_back({d, d->fileName(), acdbGetDbmod(d->database()), d->isReadOnly()});
    }
    resbuf sdi;
    s.sdi = acedGetVar("SDI", &sdi) == RTNORM && sdi.resval.rint != 0;
    if (s.loaded) {
        if (s.sdi) {
            const std::string out = captured([&] { runner_.runLine("@setting \"Enable SDIMode\""); });
            s.sdiFollowed = out.find("= 0\n") == std::string::npos;
        }
        const std::string out = captured([&] { runner_.runLine("@tabs"); });
        s.bar = out.find("script:") == std::string::npos;
        for (const auto& line : splitLines(out)) {
            auto cols = splitTabs(line);
            if (cols.size() == 5) s.tabs.push_back({cols[1], cols[2], cols[3], cols[4]});
        }
        const std::string marked = captured([&] { runner_.runLine("@marked"); });
        if (marked.rfind("marked: ", 0) == 0 && marked.find("none") == std::string::npos) {
            std::stringstream ss(marked.substr(8));
            int index;
            while (ss >> index) s.markedSet.push_back(index);
        }
    }
    if (HWND control = sim::desk::findByClass(acedGetAcadFrame(), WC_TABCONTROL)) {
        s.controlItems = int(SendMessage(control, TCM_GETITEMCOUNT, 0, 0));
        s.controlSelection = int(SendMessage(control, TCM_GETCURSEL, 0, 0));
    }
    s.files = fileSnapshot(machine_.root);
    return s;
}

// ---- Steps -------------------------------------------------------------------------------------

void Session::runLine(const std::string& line) {
    report("L " + line);
    bool ok = true;
    const std::string out = captured([&] { ok = runner_.runLine(line); });
    // What a setting reads back right after it was written is what it must read from now on.
    std::vector<std::string> words;
    try {
        words = sim::script::splitWords(line);
    } catch (const std::exception&) {
    }
    if (words.size() == 3 && words[0] == "@setting") {
        const std::string head = "setting \"" + words[1] + "\" = ";
        auto at = out.find(head);
        if (at != std::string::npos) {
            auto end = out.find('\n', at);
            settings_[words[1]] = out.substr(at + head.size(), end - at - head.size());
        }
    }
    if (line.rfind("@make-drawing", 0) == 0 && words.size() >= 2) {
        std::error_code ec;
        const std::string path = fs::absolute(words[1], ec).lexically_normal().string();
        const bool readOnly = std::find(words.begin(), words.end(), "readonly") != words.end();
        // A drawing that could not be made (its file is in use, say) leaves the file as it was.
        if (ok && readOnly) foreign_.insert(path);
        if (ok && !readOnly) foreign_.erase(path);
    }
}

void Session::runStep(const Step& step) {
    report("S");
    autoCancels_ = 0;
    pending_.assign(step.lines.begin(), step.lines.end());
    while (!pending_.empty()) {
        std::string line = pending_.front();
        pending_.pop_front();
        runLine(line);
        if (sim::host::quitRequested()) break;
    }
    pending_.clear();
}

// Answers for the save questions an operation over several drawings may ask, in the order a
// person might give them: Yes, No, Cancel, with "Apply All" ticked now and then.
void Session::saveQuestionAnswers(std::vector<std::string>& lines) {
    for (int n = pick(4); n > 0; --n) {
        if (chance(0.2)) lines.push_back("@dialog check 1012 on");
        lines.push_back(any<std::string>({"@dialog press 6", "@dialog press 7", "@dialog press Cancel"}));
    }
}

Step Session::generate(const State& s) {
    static const std::vector<std::string> names = {
        "plan", "n00922", "n01844", "n02766", "plan 1", "평면도", "도면 2", "Σχέδιο", "ΠΛΑΝΟ β", "A-101", "x"};
    static const std::vector<std::string> exts = {".dwg", ".dwg", ".dwg", ".dxf", ".dwt"};
    static const std::vector<std::string> formats = {"R12", "R13", "R14", "2000", "2004", "2007", "2010", "2013", "2018"};
    static const std::vector<std::string> menus = {
        "#0", "Open Only Current Document", "Save All", "Save All to Other Folder", "Save and Close All",
        "Don't Save and Close All", "Save and Close All - Exit", "Don't Save and Close All - Exit",
        "Change to link tab", "Add to Favorites", "Remove from Favorites", "Open All Favorites",
        "Favorites new append", "Window>Cascade", "Window>Tile Horizontally", "Window>Tile Vertically",
        "Window>Arrange Icons", "Sort Ascending", "Sort Descending", "Link File Open...",
        "Link Folder Open...", "User Command>Save drawing", "User Command>Line", "User Command>Zoom>Extents",
        "Open Containing Folder..."};
    static const std::vector<std::string> keys = {
        "Ctrl+Right", "Ctrl+Left", "Right", "Left", "Home", "End", "Ctrl+A", "Ctrl+C", "Shift+Right",
        "Shift+Left", "Up", "Down", "Enter", "Esc", "Tab", "Ctrl+Shift+Right"};
    static const std::vector<std::pair<std::string, std::vector<std::string>>> settingValues = {
        {"Open sort", {"0", "1"}},           {"fixed width", {"0", "1"}},     {"Extention", {"0", "1"}},
        {"Show close button", {"0", "1"}},   {"version icon", {"0", "1"}},    {"file icon", {"0", "1"}},
        {"Menu Y-position", {"1", "20", "200"}}, {"One tab hidden", {"0", "1"}}, {"Tooltip enable", {"0", "1"}},
        {"Link tab close", {"0", "1"}},      {"Script path", {"", "Drawings", "도면"}}};

    auto newName = [&]() {
        std::string name = any(names);
        if (chance(0.5)) name += std::to_string(pick(40));
        return "Drawings/" + name + any(exts);
    };
    auto existing = [&]() { return made_.empty() || chance(0.08) ? newName() : any(made_); };
    Step st;
    auto& L = st.lines;
    if (!s.loaded) {
        if (chance(0.7)) {
            L.push_back("@load");
            return st;
        }
    }
    // Kinds by weight (out of 100); a session with few drawings makes and opens more.
    const int k = made_.size() < 3 && chance(0.4) ? 0 : s.docs.size() < 3 && chance(0.25) ? 10 : pick(100);
    if (k < 6) {
        std::string path = newName();
        std::string line = "@make-drawing " + quoted(path) + " format=" + any(formats);
        if (chance(0.15)) line += " readonly";
        if (chance(0.2)) line += " layouts=A,B views=V1";
        L.push_back(line);
        made_.push_back(path);
    } else if (k < 20) {
        if (s.docs.size() == 1 && chance(0.5)) L.push_back("@answer " + answer());
        if (chance(0.8)) L.push_back("@open " + quoted(existing()));
        else L.push_back("OPEN " + quoted(existing()));
    } else if (k < 22) {
        L.push_back("@new");
    } else if (k < 25) {
        // A dozen drawings with names of one length opened one after another.
        for (int n = 4 + pick(12); n > 0; --n) {
            char name[32];
            std::snprintf(name, sizeof name, "Drawings/n%05d.dwg", pick(100000));
            L.push_back("@make-drawing " + std::string(name) + " format=" + any(formats));
            L.push_back("@open " + std::string(name));
            made_.push_back(name);
        }
    } else if (k < 30) {
        L.push_back("@answer " + answer());
        L.push_back("@close " + std::to_string(1 + pick(int(s.docs.size() + s.pages.size()))));
    } else if (k < 34) {
        L.push_back("@activate " + std::to_string(1 + pick(int(s.docs.size() + s.pages.size()))));
    } else if (k < 42) {
        L.push_back("LINE 0,0 " + std::to_string(1 + pick(50)) + "," + std::to_string(pick(50)) + " ");
    } else if (k < 47) {
        const int what = pick(4);
        if (what == 0) L.push_back("_QSAVE");
        else if (what == 1) L.push_back("SAVE " + quoted(newName()));
        else L.push_back("SAVEAS " + any(formats) + " " + quoted(chance(0.7) ? newName() : existing()));
        if (chance(0.3)) L.insert(L.begin(), "@files " + quoted(newName()));
    } else if (k < 57) {
        std::string extra = any<std::string>({"", "", " ctrl", " shift"});
        L.push_back("@click " + tabIndex(s) + extra);
    } else if (k < 59) {
        L.push_back("@mclick " + tabIndex(s));
    } else if (k < 70) {
        const std::string entry = any(menus);
        if (entry == "Save All to Other Folder" || entry == "Link Folder Open...")
            L.push_back("@folder " + quoted(chance(0.8) ? "Drawings/out" : "Drawings"));
        if (entry == "Link File Open...") L.push_back("@files " + quoted(existing()));
        if (entry.find("Close") != std::string::npos || entry == "#0" || entry == "Change to link tab" ||
            entry == "Open Only Current Document")
            if (chance(0.3)) L.push_back("@answer " + answer());
        L.push_back("@menu " + quoted(entry));
        L.push_back("@rclick " + tabIndex(s));
        saveQuestionAnswers(L);
    } else if (k < 73) {
        int from = -1;
        for (size_t i = 0; i < s.tabs.size(); ++i)
            if (s.tabs[i].has("selected")) from = int(i);
        L.push_back("@drag " + std::to_string(from < 0 ? 0 : from) + " " + tabIndex(s));
    } else if (k < 79) {
        L.push_back("@key " + any(keys) + (chance(0.5) ? " over=bar" : ""));
    } else if (k < 81) {
        L.push_back(std::string("@wheel ") + (chance(0.5) ? "+1" : "-1") + (chance(0.3) ? " over=drawing" : ""));
    } else if (k < 83) {
        L.push_back("@key Ctrl+F over=bar");
        L.push_back("@dialog set 1001 " + any<std::string>({"*.dwg", "n0*", "평*", "*", "zz"}));
        L.push_back(chance(0.8) ? "@dialog press OK" : "@dialog press Cancel");
    } else if (k < 86) {
        L.push_back("@keydown Ctrl");
        for (int n = 1 + pick(3); n > 0; --n) L.push_back("@key Tab");
        L.push_back("@keyup Ctrl");
    } else if (k < 88) {
        if (chance(0.5) && s.docs.size() == 1) L.push_back("@answer " + answer());
        L.push_back(std::string("@set SDI ") + (chance(0.5) ? "1" : "0"));
    } else if (k < 90) {
        L.push_back("@link " + quoted(existing()));
    } else if (k < 92) {
        L.push_back("@answer " + answer());
        L.push_back("@glyph " + tabIndex(s) + " " + any<std::string>({"close", "link"}));
    } else if (k < 94) {
        L.push_back("@wait " + std::to_string(pick(3000)));
    } else if (k < 95) {
        L.push_back("@hover " + tabIndex(s) + " ms=" + std::to_string(50 + pick(1000)));
    } else if (k < 97) {
        const auto& [key, values] = any(settingValues);
        L.push_back("@setting " + quoted(key) + " " + quoted(any(values)));
    } else if (k < 98) {
        if (chance(0.5)) L.push_back(s.loaded ? "@unload" : "@load");
        else batchRun(L);
    } else if (k < 99) {
        if (chance(0.6)) optionsDialog(L);
        else {
            // A script over the open drawings.
            L.push_back("@write-file Drawings/work.scr \"ZOOM E\\nLINE 0,0 3,3 \\n\"");
            L.push_back("@files Drawings/work.scr");
            L.push_back("@menu \"Script...\"");
            L.push_back("@rclick " + tabIndex(s));
            saveQuestionAnswers(L);
        }
    } else {
        L.push_back(chance(0.5) ? "@startpage" : "@answer " + answer());
        if (L.back() != "@startpage") L.push_back(chance(0.7) ? "CLOSE" : "CLOSEALL");
    }
    return st;
}

// The options dialog with random choices on its first two pages, ended with OK or Cancel.
void Session::optionsDialog(std::vector<std::string>& lines) {
    lines.push_back("KV_CFG");
    if (chance(0.5)) {
        lines.push_back("@dialog select 242 \"Korvane Shape\"");
        if (chance(0.5)) lines.push_back("@dialog check " + std::to_string(1101 + pick(4)) + " on");
        if (chance(0.5)) lines.push_back("@dialog set 1105 " + any<std::string>({"1", "20", "77", "200", "0", "9999"}));
    } else {
        lines.push_back("@dialog select 242 \"Tab Item\"");
        for (int n = 1 + pick(4); n > 0; --n) {
            const int id = any<int>({1110, 1112, 1113, 1114, 1115, 1117, 1119, 1121, 1122});
            lines.push_back("@dialog check " + std::to_string(id) + (chance(0.5) ? " on" : " off"));
        }
        if (chance(0.3)) lines.push_back("@dialog set 1118 " + any<std::string>({"40", "120", "300", "0"}));
    }
    lines.push_back(chance(0.8) ? "@dialog press OK" : "@dialog press Cancel");
}

// The batch script dialog over a few drawing files, with a script that succeeds, one that waits
// for input nobody gives (the console hangs until its time-out) and a file that is no drawing.
void Session::batchRun(std::vector<std::string>& lines) {
    std::vector<std::string> scripts = {"Drawings/ok.scr"};
    lines.push_back("@write-file Drawings/ok.scr \"ZOOM E\\nQSAVE\\nQUIT\\n\"");
    if (chance(0.4)) {
        lines.push_back("@write-file Drawings/hang.scr \"-LAYOUT\\nS\\nNoSuchLayout\\nQSAVE\\nQUIT\\n\"");
        scripts.push_back("Drawings/hang.scr");
    }
    std::vector<std::string> drawings;
    for (int n = 1 + pick(3); n > 0 && !made_.empty(); --n) {
        const std::string d = any(made_);
        if (d.rfind("Drawings/", 0) == 0 && d.find('/', 9) == std::string::npos &&
            std::find(drawings.begin(), drawings.end(), d) == drawings.end())
            drawings.push_back(d);
    }
    if (chance(0.3) || drawings.empty()) {
        lines.push_back("@write-file Drawings/broken.dwg \"not a drawing\"");
        drawings.push_back("Drawings/broken.dwg");
    }
    lines.push_back("KV_BSCRIPT");
    std::string files = "@files";
    for (const auto& f : scripts) files += " " + quoted(f);
    lines.push_back(files);
    lines.push_back("@dialog press 297");
    files = "@files";
    for (const auto& f : drawings) files += " " + quoted(f);
    lines.push_back(files);
    lines.push_back("@dialog press 299");
    lines.push_back("@dialog press 300");
    // One console per drawing, one after another; programs are numbered over the whole session.
    const std::string listed = captured([&] { runner_.runLine("@processes"); });
    int started = 0;
    for (size_t at = 0; (at = listed.find("[process ", at)) != std::string::npos; ++at) ++started;
    if (chance(0.2)) {
        lines.push_back("@await-process " + std::to_string(started + 1) + " 10000");
        lines.push_back("@dialog press 3");   // Stop
    } else {
        for (size_t n = 1; n <= drawings.size(); ++n) {
            lines.push_back("@await-process " + std::to_string(started + int(n)) + " 10000");
            if (scripts.size() > 1) lines.push_back("@wait 1200100");   // past the time-out
        }
    }
    lines.push_back("@await-work 10000");
    lines.push_back("@dialog press 1");
}

// ---- Checks ------------------------------------------------------------------------------------

bool contains(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines)
        if (l.find(text) != std::string::npos) return true;
    return false;
}

std::string describe(const std::multiset<std::string>& paths) {
    std::string out;
    for (const auto& p : paths) out += (out.empty() ? "" : ", ") + p;
    return "{" + out + "}";
}

std::optional<std::string> Session::check(const State& before, const State& after, const Step& step,
                                          const std::string& transcript) {
    // The tabs are exactly the open documents' windows plus the link tabs.
    if (after.loaded && after.bar) {
        std::multiset<std::string> tabPaths, docPaths;
        int windowTabs = 0, selected = -1;
        for (size_t i = 0; i < after.tabs.size(); ++i) {
            const Tab& t = after.tabs[i];
            if (t.kind == "drawing") tabPaths.insert(t.path);
            if (t.kind == "window") ++windowTabs;
            if (t.has("selected")) selected = int(i);
        }
        // Drawings opened while the host ran in single-document mode without the bar following it
        // have no tab; none may have a tab that outlived it.
        std::multiset<std::string> untrackedPaths;
        for (const auto& d : after.docs) (untracked_.count(d.id) ? untrackedPaths : docPaths).insert(d.path);
        for (const auto& p : untrackedPaths)
            if (tabPaths.count(p)) tabPaths.erase(tabPaths.find(p));
        if (tabPaths != docPaths)
            return "tabs: the drawing tabs " + describe(tabPaths) + " are not the open drawings " + describe(docPaths);
        // The marked set agrees with the tabs' flags.
        std::vector<int> flagged, set = after.markedSet;
        for (size_t i = 0; i < after.tabs.size(); ++i)
            if (after.tabs[i].has("marked")) flagged.push_back(int(i));
        std::sort(set.begin(), set.end());
        if (set != flagged) {
            std::string a, b;
            for (int i : set) a += " " + std::to_string(i);
            for (int i : flagged) b += " " + std::to_string(i);
            return "marked: the marked set holds tabs {" + a + " } but the flags mark {" + b + " }";
        }
        // A window that was there when the plug-in started has no tab: only drawings are announced
        // to a module as it loads.
        int pages = 0;
        for (const void* w : after.pages) pages += untracked_.count(w) ? 0 : 1;
        if (windowTabs != pages)
            return "tabs: " + std::to_string(windowTabs) + " window tabs for " + std::to_string(pages) +
                   " windows without a drawing";
        // The control is found only while it shows (a bar with one tab may hide it).
        if (after.controlItems >= 0 && after.controlItems != int(after.tabs.size()))
            return "tabs: the tab control holds " + std::to_string(after.controlItems) + " items, the bar lists " +
                   std::to_string(after.tabs.size());
        if (after.controlItems >= 0 && after.controlSelection != selected)
            return "tabs: the tab control selects " + std::to_string(after.controlSelection) +
                   ", the bar flags " + std::to_string(selected);
    }

    const bool userSaidNo = userDeclinedSaving(transcript);
    const bool quitting = sim::host::quitRequested();
    auto written = [&](const std::string& path) {
        auto b = before.files.find(path), a = after.files.find(path);
        return a != after.files.end() && (b == before.files.end() || b->second != a->second);
    };
    std::set<const void*> stillOpen;
    for (const auto& d : after.docs) stillOpen.insert(d.id);

    // No drawing with unsaved changes is closed unless the user answered No. A read-only drawing
    // cannot be saved where it is: the operations over several drawings drop its changes.
    for (const auto& d : before.docs) {
        if (d.dbmod == 0 || d.readOnly || stillOpen.count(d.id)) continue;
        std::error_code ec;
        const bool titled = fs::path(d.path).is_absolute();
        if (titled && written(d.path)) continue;
        if (!userSaidNo)
            return "closed: " + d.path + " had unsaved changes and was closed without a No" +
                   (quitting ? " (host quit)" : "");
    }

    // No file is written that no step asked to write.
    WritePolicy policy = WritePolicy::of(step.lines, transcript);
    for (const State* s : {&before, &after}) {
        for (const auto& d : s->docs) policy.saveable.insert(d.path);
        for (const auto& t : s->tabs) policy.saveable.insert(t.path);
    }
    for (const auto& [path, hash] : after.files) {
        if (!written(path)) continue;
        if (foreign_.count(path) && !policy.targets.count(path))
            return "written: " + path + " (another program's drawing)";
        if (!policy.allows(path)) return "written: " + path + " (no step asked to write it)";
    }
    for (const auto& [path, hash] : before.files)
        if (!after.files.count(path)) return "deleted: " + path;
    // Drawings opened read-only are another program's: never written over.
    for (const auto& d : after.docs)
        if (d.readOnly) foreign_.insert(d.path);
    return std::nullopt;
}

// Settings read back as they were written, also after the plug-in was unloaded and loaded again.
std::optional<std::string> Session::checkSettings() {
    if (sim::host::loadedModules().empty()) return std::nullopt;
    // Start-up gives an empty folder setting its default folder (and makes the folder).
    static const std::set<std::string> filledAtStartUp = {"Script path", "Cache Path"};
    for (auto& [key, value] : settings_) {
        const std::string out = captured([&] { runner_.runLine("@setting " + quoted(key)); });
        const std::string head = "setting \"" + key + "\" = ";
        if (value.empty() && filledAtStartUp.count(key) && out.rfind(head, 0) == 0) {
            value = out.substr(head.size(), out.find('\n') - head.size());
            if (value.empty()) return "setting: " + key + " is still empty after start-up";
            continue;
        }
        const std::string expected = head + value + "\n";
        if (out.find(expected) == std::string::npos)
            return "setting: " + key + " was written as '" + value + "' but reads " + out;
    }
    return std::nullopt;
}

// What the options dialog stored on OK: its independent boxes read back as they were left.
std::optional<std::string> Session::checkOptions(const Step& step, const std::string& transcript) {
    if (transcript.find("[dialog] Korvane [3.2] -> OK") == std::string::npos) return std::nullopt;
    static const std::map<std::string, std::string> checks = {
        {"1114", "Extention"}, {"1115", "Show close button"}, {"1121", "Open sort"}, {"1122", "One tab hidden"}};
    static const std::map<std::string, std::string> sides = {
        {"1101", "8192"}, {"1102", "32768"}, {"1103", "4096"}, {"1104", "16384"}};
    std::map<std::string, std::string> expected;
    for (const auto& line : step.lines) {
        std::vector<std::string> w;
        try {
            w = sim::script::splitWords(line);
        } catch (const std::exception&) {
            continue;
        }
        if (w.size() == 4 && w[0] == "@dialog" && w[1] == "check" && checks.count(w[2]))
            expected[checks.at(w[2])] = w[3] == "on" ? "1" : "0";
        if (w.size() == 4 && w[0] == "@dialog" && w[1] == "check" && sides.count(w[2]) && w[3] == "on")
            expected["Docking position"] = sides.at(w[2]);
        if (w.size() == 4 && w[0] == "@dialog" && w[1] == "set" && w[2] == "1105") {
            const int y = std::atoi(w[3].c_str());
            if (y >= 1 && y <= 200) expected["Menu Y-position"] = std::to_string(y);
        }
    }
    for (const auto& [key, value] : expected) {
        const std::string out = captured([&] { runner_.runLine("@setting " + quoted(key)); });
        if (out.find("setting \"" + key + "\" = " + value + "\n") == std::string::npos)
            return "options: " + key + " was left at " + value + " on OK but reads " + out;
        settings_[key] = value;
    }
    return std::nullopt;
}

int Session::run() {
    setUp();
    State before = observe();
    const int count = plan_.replaying ? int(plan_.replay.size()) : plan_.steps;
    int status = 0;
    for (int i = 0; i < count; ++i) {
        const Step step = plan_.replaying ? plan_.replay[size_t(i)] : generate(before);
        g_capture.clear();
        runStep(step);
        const std::string transcript = g_capture;
        State after = observe();
        // In single-document mode without 'Enable SDIMode' no tab follows the drawings by design.
        std::set<const void*> known, open;
        for (const auto& d : before.docs) known.insert(d.id);
        for (const auto& d : after.docs) open.insert(d.id);
        for (const void* w : after.pages) open.insert(w);
        std::erase_if(untracked_, [&](const void* id) { return !open.count(id); });
        if (after.loaded && !before.loaded) untracked_.insert(after.pages.begin(), after.pages.end());
        if (after.loaded && after.sdi && !after.sdiFollowed)
            for (const auto& d : after.docs)
                if (!known.count(d.id)) untracked_.insert(d.id);
        auto failure = check(before, after, step, transcript);
        if (!failure && contains(step.lines, "KV_CFG")) failure = checkOptions(step, transcript);
        if (!failure && contains(step.lines, "@load")) failure = checkSettings();
        if (failure) {
            report("F " + *failure);
            status = 3;
            break;
        }
        report("E");
        if (sim::host::quitRequested()) {
            report("Q");
            break;
        }
        before = std::move(after);
    }
    if (!sim::host::quitRequested() && !sim::host::loadedModules().empty()) sim::host::unloadModule();
    sim::host::reset();
    sim::Desktop::get().setTranscriptSink(nullptr);
    std::error_code ec;
    fs::current_path("/", ec);
    fs::remove_all(machine_.root, ec);
    report("X");
    return status;
}

}  // namespace

int runSession(const SessionPlan& plan, int fd) {
    g_fd = fd;
    Session session(plan);
    return session.run();
}

}  // namespace sessfuzz
