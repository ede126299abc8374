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

// The table: the entries of the current resource module, and the language pack the user was last
// told could not supply a resource. The module's root owns the one instance and attaches it from
// start-up to unload; the functions below reach it while it is attached.
class KvStringTable {
public:
    // Empties the table and fills it again from `module`, in the fixed id order.
    void Rebuild(HINSTANCE module);
    void Clear() { entries_.clear(); }
    // The text of `id`, or "Empty" when the table has no such id.
    std::string Text(UINT id) const;

    // Told once for each pack made current.
    HINSTANCE toldIncomplete = nullptr;

private:
    std::vector<_MyWordList> entries_;
};

// Makes `table` the one the functions below use.
void KvAttachStringTable(KvStringTable& table);
// Detaches `table` if it is the attached one; the texts then read as "Empty".
void KvDetachStringTable(const KvStringTable& table);
// Rebuilds the attached table from `module`; nothing when none is attached.
void KvRebuildStringTable(HINSTANCE module);
bool KvStringTableExists();
// The text of `id`, or "Empty" when no table is attached or it has no such id.
std::string KvResourceText(UINT id);
// Any string of the current resource module, loaded now (for ids outside the table); "\n" becomes
// a line feed. "Empty" when the module has no such string.
std::string KvLoadString(UINT id);
// True for the text a missing entry reads as.
inline bool KvIsEmptyText(const std::string& text) { return text == "Empty"; }
// The ids loaded into the table, in load order.
const std::vector<UINT>& KvStringTableIds();
