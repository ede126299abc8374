// Stored settings through the running plug-in: the numeric settings the tab bar reads and its two
// font records take their values from the input, stored in the settings file (whose values bypass
// the read check) or in the registry. The plug-in then starts over three drawings, the bar is laid
// out and painted, and a tab and the close glyph of another are clicked. Nothing may crash, and
// nothing may take unbounded time (run with -timeout to catch a paint that never ends).
//
// Input: byte 0 chooses the store (even: the settings file, odd: the registry); then, for each
// setting in kNumbers, one byte (odd: the setting is stored) and, when stored, four bytes of its
// value (little-endian); the rest is the two font records, separated by a line feed.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "arx/aced.h"
#include "core/app_state.h"
#include "core/wiring/lifecycle.h"
#include "res/embedded_resources.h"
#include "settings/settings.h"
#include "sim/desk/desktop.h"
#include "sim/desk/dialogs.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/machine.h"
#include "sim/pe/modules.h"
#include "sim/registry/registry.h"
#include "sim/script/runner.h"
#include "hosting/features.h"
#include "win/registry.h"

namespace {

namespace fs = std::filesystem;
using S = SettingId;

constexpr S kNumbers[] = {
    S::DockingPosition, S::MenuYPosition, S::OneTabHidden, S::FileIcon, S::ThumbnailIcon, S::VersionIcon,
    S::Extension, S::ShowCloseButton, S::FixedWidth, S::OpenSort, S::SelectedTabFontColor,
    S::UnselectedTabFontColor, S::BackgroundColorEffect, S::StartBgColor, S::MiddleBgColor, S::EndBgColor,
    S::TooltipEnable, S::FixedWidthX, S::UseBanner, S::SubControlSize, S::MaxCharLengthUse, S::MaxCharLength,
    S::TabBorderLinetype, S::EnableSdiMode, S::ThumbnailComment, S::OutlineColor, S::UseOutline, S::OutlineWidth,
};

struct Machine {
    sim::MachineLayout layout;
    std::vector<std::string> drawings;
};

// One machine for the whole run: its registry and data folder are emptied before every input.
Machine& TheMachine() {
    static Machine m = [] {
        Machine made;
        made.layout = sim::setupMachine(sim::makeTemporaryRoot(), KV_FUZZ_MODULE_DIR, KV_FUZZ_SHIPPED_DIR);
        for (const char* name : {"plan.dwg", "a-very-long-section-name.dwg", "site.dxf"}) {
            const std::string path = made.layout.drawings + name;
            sim::dwg::Drawing d;
            std::string err;
            sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013,
                                       std::string_view(name).ends_with(".dxf") ? sim::dwg::Kind::Dxf : sim::dwg::Kind::Dwg,
                                       &err);
            made.drawings.push_back(path);
        }
        return made;
    }();
    return m;
}

void Fresh(const sim::MachineLayout& m) {
    sim::Desktop::get().reset();
    sim::desk::WindowManager::get().reset();
    sim::desk::resetMenus();
    sim::host::reset();
    sim::Desktop::get().setTranscriptSink([](const std::string&) {});
    sim::Desktop::get().setEnv("APPDATA", m.appData.substr(0, m.appData.size() - 1));
    sim::registry::close();
    std::error_code ec;
    fs::remove_all(m.registry, ec);
    fs::remove_all(m.appData, ec);
    fs::create_directories(m.registry);
    fs::create_directories(m.appData);
    std::string err;
    sim::registry::open(m.root, &err);
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

void StoreRegistry(const char* name, DWORD type, const BYTE* data, DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane\\3.2", KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegSetValueEx(key, name, type, data, size);
    RegCloseKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Machine& machine = TheMachine();
    const sim::MachineLayout& m = machine.layout;
    Fresh(m);

    const bool fileMode = (data[0] & 1) == 0;
    std::size_t at = 1;
    std::string items;
    for (S id : kNumbers) {
        if (at >= size) break;
        const bool stored = data[at++] & 1;
        if (!stored || at + 4 > size) continue;
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i) raw |= std::uint32_t(data[at + std::size_t(i)]) << (8 * i);
        at += 4;
        const char* key = GetSettingDef(id).key;
        if (fileMode) {
            items += "<Item name=\"" + std::string(key) + "\" type=\"numeric\">" + std::to_string(std::int32_t(raw)) + "</Item>\r\n";
        } else {
            const BYTE bytes[4] = {BYTE(raw), BYTE(raw >> 8), BYTE(raw >> 16), BYTE(raw >> 24)};
            StoreRegistry(key, REG_DWORD, bytes, 4);
        }
    }
    const std::string_view rest(reinterpret_cast<const char*>(data) + std::min(at, size), size - std::min(at, size));
    const std::size_t split = rest.find('\n');
    const std::string_view fonts[2] = {rest.substr(0, split),
                                       split == std::string_view::npos ? std::string_view() : rest.substr(split + 1)};
    const S fontIds[2] = {S::SelectedTabFontStyle, S::UnselectedTabFontStyle};
    for (int i = 0; i < 2; ++i) {
        if (fonts[i].empty()) continue;
        const char* key = GetSettingDef(fontIds[i]).key;
        if (fileMode) {
            items += "<Item name=\"" + std::string(key) + "\" type=\"string\">" + Escaped(fonts[i]) + "</Item>\r\n";
        } else {
            const std::string text(fonts[i]);
            StoreRegistry(key, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
        }
    }
    const std::string dataFolder = m.appData + "Stavlo/Korvane/";
    fs::create_directories(dataFolder);
    std::ofstream(dataFolder + "korvane.xml", std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<Korvane>\r\n<config>\r\n"
        << items << "</config>\r\n</Korvane>\r\n";
    if (!fileMode) fs::remove(dataFolder + "korvane.xml");

    // The plug-in, started as the host starts it, over the drawings.
    App() = AppState{};
    HMODULE module = sim::pe::registerModuleBytes(
        m.moduleFolder + "Korvane.arx",
        std::vector<std::uint8_t>(kvEmbeddedResources, kvEmbeddedResources + kvEmbeddedResourcesSize));
    for (const std::string& path : machine.drawings) sim::host::openDrawing(path);
    int appId = 0;
    KvProcessHook(module, 1);
    KvEntryPoint(AcRx::kInitAppMsg, &appId);

    // Laid out and painted; then a plain click and a click on the close glyph.
    sim::script::Runner runner;
    sim::desk::registerDeskVerbs(runner);
    sim::desk::WindowManager::get().pump();
    AcKvUiTabCtrl& tabs = KvTabPanel().TabCtrl();
    if (tabs.GetSafeHwnd()) {
        sim::desk::renderWindow(tabs.GetSafeHwnd());
        runner.runLine("@click 0");
        if (tabs.GetItemCount() > 1) {
            const RECT r = tabs.GetItemRect(1);
            const RECT g = tabs.GlyphRect(r, 1);
            runner.runLine("@click 1 at=" + std::to_string((g.left + g.right) / 2 - r.left) + "," +
                           std::to_string((g.top + g.bottom) / 2 - r.top));
        }
        for (int i = 0; i < 5; ++i) {
            sim::desk::WindowManager::get().pump();
            sim::host::pump();
        }
        if (tabs.GetSafeHwnd()) sim::desk::renderWindow(tabs.GetSafeHwnd());
    }

    KvEntryPoint(AcRx::kUnloadAppMsg, &appId);
    KvProcessHook(module, 0);
    sim::pe::unregisterModule(module);
    sim::host::reset();
    ResetSettingsStore();
    return 0;
}
