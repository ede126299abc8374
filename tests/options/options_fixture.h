// The options dialog driven through KV_CFG over a started plug-in: the dialog answered by script
// lines, how it ended, the message boxes it showed, and the settings as stored.
#pragma once
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include "core/registry.h"
#include "menus/menu_fixture.h"
#include "res/resource.h"
#include "settings/settings.h"

namespace kvtest {

class OptionsFixture : public MenuFixture {
protected:
    using S = SettingId;
    // KV_CFG with the dialog answered by the lines.
    void configure(std::initializer_list<std::string> lines) {
        feed.assign(lines.begin(), lines.end());
        sim::host::typeLine("KV_CFG");
        settle();
        EXPECT_TRUE(feed.empty()) << transcript;
        feed.clear();
    }
    // How the last options dialog ended.
    INT_PTR lastResult() {
        for (auto it = sim::desk::closedDialogs().rbegin(); it != sim::desk::closedDialogs().rend(); ++it)
            if (it->templateId == IDD_OPTIONS) return it->result;
        return -100;
    }
    int optionsShown() {
        return int(std::count_if(sim::desk::closedDialogs().begin(), sim::desk::closedDialogs().end(),
                                 [](const auto& d) { return d.templateId == IDD_OPTIONS; }));
    }
    // A value as the registry holds it now, bypassing the cache.
    bool stored(const std::string& key, const std::string& name, std::string* text = nullptr) {
        CRegistry reg(HKEY_CURRENT_USER);
        if (!reg.Open(key)) return false;
        std::string t;
        if (reg.Read(name, &t)) {
            if (text) *text = t;
            return true;
        }
        CRegistry::Value v;
        return reg.Read(name, &v);
    }
    // Whether a setting has been written: an `Item` of the settings file in file mode, a registry
    // value otherwise.
    bool storedSetting(S id) {
        if (IsFileMode()) {
            std::ifstream in(SettingsFilePath());
            const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return xml.find("name=\"" + std::string(GetSettingDef(id).key) + "\"") != std::string::npos;
        }
        return stored("SOFTWARE\\Stavlo\\Korvane\\3.2", GetSettingDef(id).key);
    }
    // The settings as they are read afresh from the registry.
    int reread(S id) {
        ResetSettingsStore();
        return GetSettingNumber(id);
    }
    std::string rereadText(S id) {
        ResetSettingsStore();
        return GetSettingText(id);
    }
    std::vector<std::string> boxes() {
        std::vector<std::string> out;
        for (const auto& b : sim::Desktop::get().shownBoxes()) out.push_back(b.text);
        return out;
    }
};

}  // namespace kvtest
