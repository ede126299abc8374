#include "sim/machine.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include "sim/desk/desktop.h"
#include "sim/registry/registry.h"

namespace fs = std::filesystem;

namespace sim {
namespace {
MachineLayout g_machine;

std::string slash(std::string p) {
    if (!p.empty() && p.back() != '/') p += '/';
    return p;
}

void install(const fs::path& from, const fs::path& toFolder) {
    std::error_code ec;
    if (!fs::exists(from, ec)) return;
    fs::copy_file(from, toFolder / from.filename(), fs::copy_options::update_existing, ec);
}
}  // namespace

std::string makeTemporaryRoot() {
    std::string tmpl = (fs::temp_directory_path() / "korvane-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a temporary root");
    return slash(tmpl);
}

MachineLayout setupMachine(const std::string& rootIn, const std::string& buildModuleDir, const std::string& shippedDir) {
    MachineLayout m;
    m.root = slash(fs::absolute(rootIn).lexically_normal().string());
    m.appData = m.root + "AppData/Roaming/";
    m.moduleFolder = m.root + "Program Files/Korvane/";
    m.registry = m.root + "registry/";
    m.drawings = m.root + "Drawings/";
    for (const auto& d : {m.appData, m.moduleFolder, m.registry, m.drawings}) fs::create_directories(d);

    // The installer's part: the module, the native libraries beside it, the shipped files.
    std::error_code ec;
    for (fs::directory_iterator it(buildModuleDir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) install(it->path(), m.moduleFolder);
    for (fs::directory_iterator it(shippedDir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) install(it->path(), m.moduleFolder);

    auto& desk = Desktop::get();
    if (!desk.env("APPDATA")) desk.setEnv("APPDATA", m.appData.substr(0, m.appData.size() - 1));
    std::string error;
    if (!registry::open(m.root, &error)) throw std::runtime_error("registry: " + error);
    g_machine = m;
    return m;
}

const MachineLayout& machine() { return g_machine; }

}  // namespace sim
