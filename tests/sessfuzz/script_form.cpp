// A session as a korvane-host script and back.
#include <sstream>
#include "sessfuzz/session.h"

namespace sessfuzz {

std::vector<Step> stepsOfScript(const std::string& text) {
    std::vector<Step> steps;
    const bool marked = text.find("# step") != std::string::npos;
    std::stringstream ss(text);
    std::string line;
    while (std::getline(ss, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# end", 0) == 0) break;
        if (line.rfind("# step", 0) == 0) {
            steps.push_back({});
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (!marked || steps.empty()) steps.push_back({});
        steps.back().lines.push_back(line);
    }
    return steps;
}

std::string scriptOfSteps(const std::vector<Step>& steps, const std::string& header) {
    std::string out = header;
    for (size_t i = 0; i < steps.size(); ++i) {
        out += "# step " + std::to_string(i + 1) + "\n";
        for (const auto& l : steps[i].lines) out += l + "\n";
    }
    return out + "# end of the session: the state it left\n@docs\n@tabs\n";
}

}  // namespace sessfuzz
