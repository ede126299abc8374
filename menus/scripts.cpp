#include "menus/scripts.h"

#include <filesystem>
#include <stdexcept>
#include <vector>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/files.h"
#include "core/guard.h"
#include "core/paths.h"
#include "menus/docops.h"
#include "menus/tabmenus.h"
#include "settings/settings.h"
#include "tabstrip/tabctrl.h"

namespace {

// The command that ends each drawing's script, with the line end of a text file on the host.
constexpr std::string_view kChainLine = "KV_COMMANDLOOP\r\n";

bool endsAWord(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// `name` in `folder`, spelt as it is on disk when it exists in another letter case.
std::string entryPath(const std::string& folder, const char* name) {
    return FindFileNoCase(folder, name).value_or(JoinPath(folder, name));
}

}   // namespace

std::string KvChainedScript(std::string_view script) {
    std::string text(script);
    if (!text.empty() && !endsAWord(text.back())) text += "\r\n";
    text += kChainLine;
    return text;
}

std::string KvWriteTempScript(const std::string& dataFolder, const std::string& scriptFile) {
    std::error_code ec;
    std::optional<std::string> script;
    if (std::filesystem::is_regular_file(scriptFile, ec)) script = ReadFileBytes(scriptFile);
    if (!script) throw std::runtime_error("the script cannot be read");
    const std::string text = KvChainedScript(*script);
    const std::string folder = entryPath(dataFolder, "Script");
    // Names of this host's own, so that another host never runs (or overwrites) this one's copy.
    for (int which : {0, 1}) {
        const std::string path = entryPath(folder, KvHostOwnFileName(folder, "temp", ".scr", which).c_str());
        if (WriteFileAtomic(path, text)) return path;
    }
    throw std::runtime_error("the temporary script cannot be written");
}

void KvTabMenus::OnKvScript() {
    KvGuardLine("\nException error : OnKvScript", [&] {
        const std::vector<CItemData*> items = tab_.AllItems();
        int marked = 0;
        for (const CItemData* item : items) marked += item->marked ? 1 : 0;
        const CItemData* clicked = menuItem ? menuItem : tab_.GetItem(0);
        if (!clicked || clicked->isWindow()) return;

        resbuf chosen;
        if (acedGetFileD("Select Script File", GetSettingText(SettingId::ScriptPath), "scr", 2, &chosen) != RTNORM)
            return;
        const std::string script = chosen.resval.rstring;
        SetSettingText(SettingId::ScriptPath, FolderOf(script));
        // Nothing runs unless the whole copy was written: a stale copy from an earlier run must not
        // be taken for this one.
        scriptPath = KvWriteTempScript(App().dataFolder, script);

        // One marked tab is the selection alone: the script goes to every tab.
        std::vector<CItemData*> queue;
        for (CItemData* item : items)
            if (marked == 1 || item->marked) queue.push_back(item);
        operations_.StartOperation(KvQueueMode::Script, queue);
    });
}
