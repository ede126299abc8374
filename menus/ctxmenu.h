// The tab context menu, the item menu of similar drawings and the commands of their fixed entries.
// Each menu is built from scratch at every opening; entries only dispatch to the work done
// elsewhere (the operations over several drawings, favourites, host commands, the tab control).
#pragma once
#include <string>
#include <vector>
#include "win/menu.h"
#include "win/types.h"

// Fixed entries that are not operations over several drawings (see menus/docops.h for those).
constexpr UINT ID_KV_ARRANGE_ICONS = 10001;
constexpr UINT ID_KV_CASCADE = 10002;
constexpr UINT ID_KV_LINK_FILE_OPEN = 10006;
constexpr UINT ID_KV_CLOUDFOLD_OPEN = 10007;
constexpr UINT ID_KV_CLOUDFOLD_INSERT = 10008;
constexpr UINT ID_KV_CLOUDFOLD_SAVE = 10009;
constexpr UINT ID_KV_CLOUDFOLD_SAVEAS = 10010;
constexpr UINT ID_KV_FAVORITES_ADD = 10011;
constexpr UINT ID_KV_FAVORITES_REMOVE = 10012;
constexpr UINT ID_KV_FAVORITES_OPEN_ALL = 10013;
constexpr UINT ID_KV_FAVORITES_NEW_APPEND = 10014;
constexpr UINT ID_KV_TILE_HORZ = 10015;
constexpr UINT ID_KV_TILE_VERT = 10016;
constexpr UINT ID_KV_SCRIPT = 10018;
constexpr UINT ID_KV_SORT_ASCENDING = 10021;
constexpr UINT ID_KV_SORT_DESCENDING = 10022;
constexpr UINT ID_KV_LINK_FOLDER_OPEN = 10030;
constexpr UINT ID_KV_COMBINE_DWG = 10036;
constexpr UINT ID_KV_BATCH_SCRIPT = 10037;
constexpr UINT ID_KV_CONFIG = 32804;
constexpr UINT ID_KV_OPEN_CONTAINING_FOLDER = 32806;

// The host frame's window commands.
constexpr UINT kCmdWindowArrange = 57649;
constexpr UINT kCmdWindowCascade = 57650;
constexpr UINT kCmdWindowTileHorz = 57651;
constexpr UINT kCmdWindowTileVert = 57652;

// Builds a popup the way every menu of the tab strip is built: into a popup that starts with one
// separator, each entry before it; with the bar docked at the bottom every entry goes to the top,
// so the finished menu reads upwards from the bar. Numbered entries carry "&1 ".."&9 ".
class KvMenuBuilder {
public:
    explicit KvMenuBuilder(bool reversed);
    ~KvMenuBuilder();
    KvMenuBuilder(const KvMenuBuilder&) = delete;
    KvMenuBuilder& operator=(const KvMenuBuilder&) = delete;

    HMENU menu() const { return menu_; }
    HMENU release();
    // Inserts at the insertion position. Returns the position used.
    int insert(UINT flags, UINT_PTR id, const std::string& text);
    // A numbered entry from a label; nothing when the label reads "Empty".
    void numbered(UINT id, UINT labelId);
    void numberedText(UINT id, const std::string& text, UINT flags = 0);
    // The separator that opens a group, unless the group's first label reads "Empty".
    void separatorFor(UINT firstLabelId);
    void separator();
    // A title entry, replaced by its submenu once the sections are done; left out when its text
    // is "Empty".
    void title(const std::string& text);
    // The first entry takes the place of the starting separator.
    void replaceSeparator(UINT id, const std::string& text);
    int lastPosition() const { return last_; }

private:
    HMENU menu_;
    bool reversed_;
    int position_ = -1;
    int last_ = -1;
    int counter_ = 1;
};

// "&N text" as every numbered list shows its entries.
std::string KvNumbered(int number, const std::string& text);
// A path shortened to `maxChars` characters for a menu.
std::string KvCompactPath(const std::string& path, int maxChars);
// The drawing-history date as shown before a recent file: "[2026-Dec-08 14:05(Tue)] ".
std::string KvHistoryDate(std::int64_t secondsSince1970);
