#include "sessfuzz/writes.h"

#include <cctype>
#include <filesystem>
#include "sim/script/runner.h"

namespace fs = std::filesystem;

namespace sessfuzz {

namespace {
std::string absolute(const std::string& path) {
    std::error_code ec;
    return fs::absolute(path, ec).lexically_normal().string();
}
}  // namespace

WritePolicy WritePolicy::of(const std::vector<std::string>& lines, const std::string& transcript) {
    WritePolicy p;
    for (const auto& line : lines) {
        std::vector<std::string> words;
        try {
            words = sim::script::splitWords(line);
        } catch (const std::exception&) {
            continue;
        }
        if (words.empty()) continue;
        // Typed commands with their prefixes (_QSAVE, .SAVE) and verbs, in capitals.
        std::string verb = words[0];
        while (!verb.empty() && std::string("_.'-").find(verb[0]) != std::string::npos) verb.erase(0, 1);
        for (auto& c : verb) c = char(std::toupper(static_cast<unsigned char>(c)));
        if (verb == "QSAVE" || verb == "SAVE" || verb == "SAVEAS" || verb == "CLOSE" || verb == "CLOSEALL" ||
            verb == "QUIT" || verb == "@AUTOSAVE")
            p.saves = true;
        if (verb == "@MENU" && line.find("Save") != std::string::npos && line.find("Don't") == std::string::npos)
            p.saves = true;
        if (verb == "@MAKE-DRAWING" || verb == "@WRITE-FILE" || verb == "@FILES" || verb == "SAVE" || verb == "SAVEAS")
            for (size_t i = 1; i < words.size(); ++i) p.targets.insert(absolute(words[i]));
        if (verb == "@FOLDER" && words.size() == 2) p.folders.insert(absolute(words[1]));
    }
    // A Yes to a save question, or a saving entry picked from a menu queued earlier.
    for (const char* sign : {"-> Yes", "[menu] Save", "[menu] User Command>Save drawing"})
        if (transcript.find(sign) != std::string::npos) p.saves = true;
    return p;
}

bool WritePolicy::allows(std::string path) const {
    // A file is written through a temporary one beside it (".NAME.kvtmp-XXXXXX").
    const fs::path file(path);
    const std::string name = file.filename().string();
    if (const auto tmp = name.find(".kvtmp-"); name.size() > 1 && name[0] == '.' && tmp != std::string::npos)
        path = (file.parent_path() / name.substr(1, tmp - 1)).string();
    for (const auto& t : targets)
        if (path == t || path == t + ".dwg") return true;   // the save dialog's default extension
    for (const auto& f : folders)
        if (path.rfind(f + "/", 0) == 0) return true;
    if (!saves) return false;
    for (const auto& s : saveable) {
        const std::string full = absolute(s);
        if (path == full || path == full.substr(0, full.rfind('.')) + ".bak") return true;
    }
    return false;
}

bool userDeclinedSaving(const std::string& transcript) {
    return transcript.find("-> No\n") != std::string::npos || transcript.find("[menu] Don't Save") != std::string::npos;
}

}  // namespace sessfuzz
