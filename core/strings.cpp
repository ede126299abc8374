#include "core/strings.h"

#include <iterator>
#include "arx/aced.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "res/resource.h"
#include "win/module.h"
#include "win/system.h"

namespace {

// Not an owner: the module's root owns the table and attaches it while loaded.
KvStringTable* g_table = nullptr;

// The texts the table holds, in load order.
// clang-format off
constexpr UINT kTableIds[] = {
    IDS_DESC_TITLE, IDS_DESC_SUBJECT, IDS_DESC_AUTHOR, IDS_DESC_KEYWORDS, IDS_DESC_COMMENTS,
    IDS_DESC_HYPERLINK, IDS_DESC_LAST_SAVED_BY, IDS_DESC_REVISION, IDS_DESC_NO_SUMMARY,
    IDS_DESC_CUSTOM_HEADER, IDS_DESC_CUSTOM_NAME, IDS_DESC_CUSTOM_VALUE, IDS_DESC_NO_CUSTOM,
    IDS_DESC_FILE_SIZE, IDS_DESC_FILE_DATE, IDS_DESC_FORMAT, IDS_CLOSE, IDS_SELECTED_FILE_CLOSE,
    IDS_OPEN_FROM_OTHER_HOST, IDS_SAVE_CLOSE_ALL, IDS_OPEN_ONLY_CURRENT, IDS_COMBINE_DWG,
    IDS_NOSAVE_CLOSE_ALL, IDS_SAVE_CLOSE_ALL_EXIT, IDS_NOSAVE_CLOSE_ALL_EXIT, IDS_MENU_VIEW,
    IDS_MENU_LAYER_STATES, IDS_OPEN_CONTAINING_FOLDER, IDS_LINK_FILE_OPEN, IDS_CLOUDFOLD_OPEN,
    IDS_CLOUDFOLD_INSERT, IDS_CLOUDFOLD_SAVE, IDS_CLOUDFOLD_SAVEAS, IDS_MENU_FAVORITES,
    IDS_FAVORITES_ADD, IDS_FAVORITES_REMOVE, IDS_FAVORITES_OPEN_ALL, IDS_FAVORITES_NEW_APPEND,
    IDS_MENU_DRAWING_HISTORY, IDS_WINDOW_CASCADE, IDS_WINDOW_TILE_HORZ, IDS_WINDOW_TILE_VERT,
    IDS_WINDOW_ARRANGE_ICONS, IDS_SCRIPT, IDS_SORT_ASCENDING, IDS_SORT_DESCENDING, IDS_FIND_DOCUMENT,
    IDS_CONFIG_SETTING, IDS_MENU_SIMILAR, IDS_MENU_USER_COMMAND, IDS_MENU_TEMPLATES, IDS_SAVE_ALL,
    IDS_SAVE_ALL_TO_FOLDER, IDS_COPY_PATHS, IDS_INSERT_DWG, IDS_BATCH_SCRIPT, IDS_MENU_LAYOUTS,
    IDS_NEW_FROM_TEMPLATE, IDS_CLOUDFOLD_UNREACHABLE, IDS_CLOUDFOLD_LOGIN_FAILED,
    IDS_CLOUDFOLD_UPLOAD_FAILED, IDS_CLOUDFOLD_DOWNLOAD_FAILED, IDS_CLOUDFOLD_SAVE_FIRST,
    IDS_CLOUDFOLD_SERVER, IDS_SELECT_FOLDER, IDS_SAVE_CHANGES, IDS_APPLY_ALL, IDS_SELECT_SCRIPT_FILE,
    IDS_FIND_TITLE, IDS_FIND_FILE_NAME, IDS_FILE_NOT_FOUND, IDS_FILE_READ_ONLY, IDS_OPEN_FAILED,
    IDS_SAVE_FAILED, IDS_DRAWING_UNNAMED, IDS_NO_DRAWINGS_MARKED, IDS_BATCH_NO_SCRIPTS,
    IDS_BATCH_NO_DRAWINGS, IDS_BATCH_NO_CONSOLE, IDS_HELP_NOT_FOUND, IDS_COMMAND_RUNNING,
    IDS_ASK_CLOSE_WITHOUT_SAVE, IDS_LINK_FOLDER_OPEN, IDS_CHANGE_TO_LINK_TAB, IDS_MULTI_MONITOR,
    IDS_OPEN_WITH_ADDON, IDS_MENU_WINDOW,
};
// clang-format on

std::string expandNewlines(std::string text) {
    for (size_t p = 0; (p = text.find("\\n", p)) != std::string::npos;) {
        text.replace(p, 2, "\n");
        ++p;
    }
    return text;
}

}  // namespace

const std::vector<UINT>& KvStringTableIds() {
    static const std::vector<UINT> ids(std::begin(kTableIds), std::end(kTableIds));
    return ids;
}

void KvStringTable::Rebuild(HINSTANCE module) {
    entries_.clear();
    KvGuard("ReadCfg", [&] {
        KvResourceScope scope(module);
        for (UINT id : KvStringTableIds()) {
            std::string text;
            // An id the module lacks stays out of the table, so that it reads as "Empty".
            if (LoadString(module, id, &text) > 0) entries_.push_back({id, expandNewlines(std::move(text))});
        }
    });
}

std::string KvStringTable::Text(UINT id) const {
    for (const auto& entry : entries_)
        if (entry.id == id) return entry.text;
    return "Empty";
}

void KvAttachStringTable(KvStringTable& table) { g_table = &table; }

void KvDetachStringTable(const KvStringTable& table) {
    if (g_table == &table) g_table = nullptr;
}

void KvRebuildStringTable(HINSTANCE module) {
    if (g_table) g_table->Rebuild(module);
}

bool KvStringTableExists() { return g_table != nullptr; }

std::string KvResourceText(UINT id) { return g_table ? g_table->Text(id) : "Empty"; }

std::string KvLoadString(UINT id) {
    HINSTANCE module = App().resourceModule;
    KvResourceScope scope(module);
    std::string text;
    if (LoadString(module, id, &text) <= 0) return "Empty";
    return expandNewlines(std::move(text));
}

void KvTellPackIncomplete() {
    // Once for each pack made current (remembered by the table, which lives as long as the module).
    if (App().resourceModule == App().ownModule) return;
    if (g_table) {
        if (App().resourceModule == g_table->toldIncomplete) return;
        g_table->toldIncomplete = App().resourceModule;
    }
    std::string text = KvLoadString(IDS_LANGPACK_INCOMPLETE);
    if (KvIsEmptyText(text)) {
        KvResourceScope scope(App().ownModule);
        LoadString(App().ownModule, IDS_LANGPACK_INCOMPLETE, &text);
    }
    MessageBox(acedGetAcadFrame(), text, "Korvane", MB_OK | MB_ICONWARNING);
}
