// What the desktop's control classes share, one class to a file beside this one: the window
// lookup, the per-window state tables, the messages every control answers alike, the entry list
// of list and combo boxes, and each class's part of the user's actions.
#pragma once
#include <map>
#include <mutex>
#include <string>
#include <vector>
#include "sim/desk/controls_internal.h"
#include "sim/desk/windows.h"

namespace sim::desk {

inline Window* win(HWND h) { return WindowManager::get().find(h); }

int utf8Length(const std::string& s);
// Text kept to at most `limit` code points.
std::string clipCodePoints(const std::string& s, size_t limit);
bool equalsNoCase(const std::string& a, const std::string& b);
bool startsWithNoCase(const std::string& s, const std::string& prefix);
// A list or tree view's own font, else the default.
inline HFONT fontOf(HFONT f) { return f ? f : defaultControlFont(); }

// One table of per-window state. Every table made is known here, so that a destroyed control
// leaves none behind and forgetControls empties them all.
class StateTable {
public:
    StateTable();
    virtual ~StateTable();
    StateTable(const StateTable&) = delete;
    StateTable& operator=(const StateTable&) = delete;
    virtual bool contains(HWND h) = 0;
    virtual void erase(HWND h) = 0;
    virtual void clear() = 0;
};

// The state of each window of one control class, made on first use.
template <class State>
class ControlStates : public StateTable {
public:
    State& operator[](HWND h) {
        std::lock_guard lock(mutex_);
        return map_[h];
    }
    // The window's state as it stands, or the state of a fresh control; makes no entry.
    State copyOf(HWND h) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(h);
        return it != map_.end() ? it->second : State{};
    }
    bool contains(HWND h) override {
        std::lock_guard lock(mutex_);
        return map_.count(h) != 0;
    }
    void erase(HWND h) override {
        std::lock_guard lock(mutex_);
        map_.erase(h);
    }
    void clear() override {
        std::lock_guard lock(mutex_);
        map_.clear();
    }

private:
    std::recursive_mutex mutex_;
    std::map<HWND, State> map_;
};

// Messages every control answers the same way (the font, the text, destruction).
bool commonMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
void storeText(HWND h, LPARAM lp);
RECT clientOf(HWND h);

// ---- The entries of list boxes and combo boxes ---------------------------------------------------

struct Entry {
    std::string text;
    LPARAM data = 0;
    bool selected = false;
};
struct Entries {
    std::vector<Entry> entries;
    int cur = -1;
    int top = 0;
};
// Messages shared by list boxes and combo boxes, given as list box messages.
LRESULT entriesMessage(Entries& c, UINT msg, WPARAM wp, LPARAM lp, bool sorted, bool multi);
bool listMulti(HWND h);
// The entry an index or text names (the exact text first, then ignoring case); ActionError if none.
int entryIndex(HWND h, const Entries& c, const std::string& arg);
std::string describeEntries(HWND h, const Entries& c);

// ---- Each class: its window procedure and its part of the user's actions -------------------------

LRESULT buttonProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
void buttonCheck(HWND h, bool on);
std::string describeButton(HWND h);

LRESULT editProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
void editSetText(HWND h, const std::string& text);
std::string describeEdit(HWND h);

LRESULT staticProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

LRESULT listBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
void listBoxSelect(HWND h, const std::string& arg);
std::string describeListBox(HWND h);

LRESULT comboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
void comboSetText(HWND h, const std::string& text);
void comboSelect(HWND h, const std::string& arg);
std::string describeCombo(HWND h);

LRESULT progressProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
std::string describeProgress(HWND h);

LRESULT upDownProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
void upDownSetText(HWND h, const std::string& text);
std::string describeUpDown(HWND h);

LRESULT listViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
bool isListView(HWND h);
void forgetListViews();
void listViewCheck(HWND h, bool on, const std::string& row);
void listViewSelect(HWND h, const std::string& arg);
void listViewDoubleClick(HWND h, const std::string& row);
void listViewRightClick(HWND h, const std::string& row);
void listViewColumnClick(HWND h, int column);
std::string describeListView(HWND h);

LRESULT treeViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
bool isTreeView(HWND h);
void forgetTreeViews();
void treeViewCheck(HWND h, bool on, const std::string& row);
void treeViewSelect(HWND h, const std::string& arg);
void treeViewDoubleClick(HWND h, const std::string& row);
void treeViewRightClick(HWND h, const std::string& row);
std::string describeTreeView(HWND h);

}  // namespace sim::desk
