#include "sim/script/runner.h"

#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/desk/dialogs.h"

namespace sim::script {

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string cur;
    bool inQuote = false, have = false;
    for (char c : line) {
        if (c == '"') {
            inQuote = !inQuote;
            have = true;
        } else if (!inQuote && (c == ' ' || c == '\t' || c == '\r')) {
            if (have) words.push_back(cur);
            cur.clear();
            have = false;
        } else {
            cur += c;
            have = true;
        }
    }
    if (inQuote) throw VerbError("unterminated quotation mark");
    if (have) words.push_back(cur);
    return words;
}

std::map<std::string, std::string> Runner::options(const Args& args, size_t first) {
    std::map<std::string, std::string> out;
    for (size_t i = first; i < args.size(); ++i) {
        auto eq = args[i].find('=');
        if (eq == std::string::npos) {
            out[args[i]] = "";
        } else {
            out[args[i].substr(0, eq)] = args[i].substr(eq + 1);
        }
    }
    return out;
}

Runner::Runner() {
    addVerb("print", [](Runner&, const Args& a) {
        std::string text;
        for (size_t i = 0; i < a.size(); ++i) text += (i ? " " : "") + a[i];
        Desktop::get().print(text + "\n");
    }, "@print TEXT");
    addVerb("exit", [](Runner& r, const Args&) { r.exitRequested = true; }, "@exit");
    addVerb("wait", [](Runner&, const Args& a) {
        if (a.size() != 1) throw VerbError("usage: @wait MS");
        Desktop::get().advance(std::stoull(a[0]));
    }, "@wait MS");
    addVerb("answer", [](Runner&, const Args& a) {
        static const std::map<std::string, int> ids = {{"OK", 1}, {"Cancel", 2}, {"Yes", 6}, {"No", 7}};
        for (const auto& w : a) {
            auto it = ids.find(w);
            if (it == ids.end()) throw VerbError("unknown answer '" + w + "' (Yes, No, Cancel, OK)");
            Desktop::get().queueAnswer(it->second);
        }
    }, "@answer Yes|No|Cancel|OK ...");
}

void Runner::addVerb(const std::string& name, Verb verb, std::string usage) {
    verbs_[name] = {std::move(verb), std::move(usage)};
}

std::vector<std::string> Runner::usageLines() const {
    std::vector<std::string> out;
    for (const auto& [name, e] : verbs_) out.push_back(e.usage);
    return out;
}

bool Runner::runLine(const std::string& rawLine) {
    ++lineNumber;
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') return true;
    bool ok = true;
    try {
        if (line[start] == '@') {
            auto words = splitWords(line.substr(start + 1));
            if (words.empty()) throw VerbError("empty verb");
            auto it = verbs_.find(words[0]);
            if (it == verbs_.end()) throw VerbError("unknown verb @" + words[0] + " (try @help)");
            Args args(words.begin() + 1, words.end());
            it->second.verb(*this, args);
        } else if (typeLine) {
            typeLine(line.substr(start));
        } else {
            throw VerbError("no host to type into");
        }
    } catch (const std::exception& e) {
        // A line number helps in a script; at the prompt the person just typed the line.
        const std::string where = scriptDepth_ ? "script: " + std::to_string(lineNumber) + ": " : "";
        Desktop::get().print(where + e.what() + "\n");
        failed_ = true;
        ok = false;
    }
    // What the line posted or queued (frame layout, deferred notifications, commands sent to the
    // command line) is handled before the next line, failed or not.
    if (afterLine) {
        afterLine(*this);
    } else {
        desk::WindowManager::get().pump();
    }
    return ok;
}

bool Runner::run(std::istream& in) {
    // A modal dialog opened by a line runs the lines after it until it closes.
    auto previous = desk::setScriptFeed([this, &in]() {
        std::string next;
        if (exitRequested || !std::getline(in, next)) return false;
        runLine(next);
        return true;
    });
    std::string line;
    ++scriptDepth_;
    while (!exitRequested && std::getline(in, line)) runLine(line);
    --scriptDepth_;
    desk::setScriptFeed(std::move(previous));
    return !failed_;
}

}  // namespace sim::script
