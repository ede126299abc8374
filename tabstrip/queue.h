// The pending-operation queue of an operation over several drawings: the tabs still to visit, in
// order, and the operation they are visited for. The work of each visit lives with the
// operations (menus/docops); this is only the bookkeeping, so that it can be reasoned about (and
// tested) without a window or a host.
#pragma once
#include <vector>
#include "tabstrip/itemdata.h"

// What an operation does with each drawing it visits. The numbers are the operation's "kind" as
// the rest of the plug-in has always reported it (-1 idle).
enum class KvQueueMode : int {
    Idle = -1,
    SaveAll = 0,
    SaveAllToFolder = 1,
    OnlyCurrent = 2,     // close every drawing but the marked ones
    CloseSelected = 3,   // close the marked drawings
    SaveCloseAll = 4,
    NoSaveCloseAll = 5,
    SaveCloseAllExit = 6,
    NoSaveCloseAllExit = 7,
    Script = 8,         // a script over the open drawings
    ChangeToLink = 9,   // close the drawings but the marked ones, keeping their tabs as links
};

// Operations that close drawings, and so ask about unsaved changes.
bool KvQueueClosesDrawings(KvQueueMode mode);
// Operations that close everything: a link tab has nothing to close and leaves the bar.
bool KvQueueClosesAll(KvQueueMode mode);
// The host command sent once after the last drawing of an operation (null: none). The close-all
// operations end by closing what is left, or by quitting when `quitInsteadOfCloseAll` (a host in
// single-document mode); the Exit variants always quit.
const char* KvQueueFinalCommand(KvQueueMode mode, bool quitInsteadOfCloseAll);

class KvOperationQueue {
public:
    // Replaces whatever was queued. An empty list, or the idle mode, leaves the queue idle.
    void Start(KvQueueMode mode, std::vector<CItemData*> items);
    void Clear();

    int Count() const { return int(items_.size()); }
    KvQueueMode Mode() const { return mode_; }
    bool IsIdle() const { return mode_ == KvQueueMode::Idle; }
    // The entry whose turn it is (null when idle).
    CItemData* Head() const { return items_.empty() ? nullptr : items_.front(); }
    bool Contains(const CItemData* item) const;

    // The head is done: the next entry's turn. The queue goes idle after the last one.
    void Pop();
    // Takes `item` out wherever it stands (its tab went); true when it was the head.
    bool Drop(const CItemData* item);

    // Whether the head's step has run: a step runs once per head, whatever else activates its
    // drawing meanwhile. Cleared whenever the head changes.
    bool HeadStepped() const { return headStepped_; }
    void SetHeadStepped(bool stepped) { headStepped_ = stepped; }

private:
    std::vector<CItemData*> items_;
    KvQueueMode mode_ = KvQueueMode::Idle;
    bool headStepped_ = false;
};
