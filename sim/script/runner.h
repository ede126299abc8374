// The script language of korvane-host: lines typed on the host's command line, and `@` verbs that
// drive everything else. Verbs are registered by the simulator's parts (see register*Verbs).
#pragma once
#include <functional>
#include <istream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim::script {

// A verb's failure: printed as "script: LINE: message" (at the prompt, the message alone); the
// script goes on.
struct VerbError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Runner;
using Args = std::vector<std::string>;
using Verb = std::function<void(Runner&, const Args&)>;

class Runner {
public:
    Runner();
    // Runs every line; stops early at @exit. Returns false when a line failed.
    bool run(std::istream& in);
    // One line: a comment, a blank line, an @verb or text typed on the command line.
    bool runLine(const std::string& line);

    void addVerb(const std::string& name, Verb verb, std::string usage);
    bool hasVerb(const std::string& name) const { return verbs_.count(name) != 0; }
    // Text typed on the command line followed by Enter; set by the host.
    std::function<void(const std::string&)> typeLine;
    // The host's loop between two lines (a line is the user acting at that loop), set by the
    // host: what the line posted or queued runs before the next line. Without it, only posted
    // window messages are handled.
    std::function<void(Runner&)> afterLine;

    bool exitRequested = false;
    int lineNumber = 0;
    std::vector<std::string> usageLines() const;

    // "key=value" options after the positional arguments.
    static std::map<std::string, std::string> options(const Args& args, size_t firstOption);

private:
    struct Entry { Verb verb; std::string usage; };
    std::map<std::string, Entry> verbs_;
    bool failed_ = false;
    int scriptDepth_ = 0;   // lines come from a script (run), not from a person at the prompt
};

// Splits a line into words: blanks separate, double quotes keep blanks ("a b" is one word).
std::vector<std::string> splitWords(const std::string& line);

}  // namespace sim::script
