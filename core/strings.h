// The resource string table: the menu and message texts (ids 32xxx) of the current resource
// module, loaded once at start-up and again whenever the language changes.
#pragma once
#include <string>
#include <vector>
#include "win/types.h"

struct _MyWordList {
    UINT id = 0;
    std::string text;
};

// Creates the (empty) table. False when it cannot be created.
bool KvCreateStringTable();
// Empties the table and fills it again from `module`, in the fixed id order.
void KvRebuildStringTable(HINSTANCE module);
// Deletes every entry and the table itself.
void KvDestroyStringTable();
bool KvStringTableExists();
// The text of `id`, or "Empty" when the table does not exist or has no such id.
std::string KvResourceText(UINT id);
// Any string of the current resource module, loaded now (for ids outside the table); "\n" becomes
// a line feed. "Empty" when the module has no such string.
std::string KvLoadString(UINT id);
// True for the text a missing entry reads as.
inline bool KvIsEmptyText(const std::string& text) { return text == "Empty"; }
// The ids loaded into the table, in load order.
const std::vector<UINT>& KvStringTableIds();
