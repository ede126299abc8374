// Which files a step may write: the ones it names, and for a step that saves, the drawings that
// were open or had tabs around it.
#pragma once
#include <set>
#include <string>
#include <vector>

namespace sessfuzz {

struct WritePolicy {
    std::set<std::string> targets;    // files the step named (absolute)
    std::set<std::string> folders;    // folders it named: anything inside may be written
    bool saves = false;               // the step saves drawings
    std::set<std::string> saveable;   // the drawings it may then save (set by the caller)

    // From the step's lines and the transcript they printed.
    static WritePolicy of(const std::vector<std::string>& lines, const std::string& transcript);
    bool allows(std::string path) const;
};

// The transcript shows the user declining to save: a No to a save question, or an operation that
// closes without saving.
bool userDeclinedSaving(const std::string& transcript);

}  // namespace sessfuzz
