#include "tabstrip/queue.h"

#include <algorithm>

bool KvQueueClosesDrawings(KvQueueMode mode) {
    switch (mode) {
    case KvQueueMode::OnlyCurrent:
    case KvQueueMode::CloseSelected:
    case KvQueueMode::SaveCloseAll:
    case KvQueueMode::NoSaveCloseAll:
    case KvQueueMode::SaveCloseAllExit:
    case KvQueueMode::NoSaveCloseAllExit:
    case KvQueueMode::ChangeToLink: return true;
    default: return false;
    }
}

bool KvQueueClosesAll(KvQueueMode mode) { return KvQueueClosesDrawings(mode) && mode != KvQueueMode::ChangeToLink; }

const char* KvQueueFinalCommand(KvQueueMode mode, bool quitInsteadOfCloseAll) {
    switch (mode) {
    case KvQueueMode::SaveCloseAll:
    case KvQueueMode::NoSaveCloseAll: return quitInsteadOfCloseAll ? "_QUIT " : "_CLOSEALL ";
    case KvQueueMode::SaveCloseAllExit:
    case KvQueueMode::NoSaveCloseAllExit: return "_QUIT ";
    default: return nullptr;
    }
}

void KvOperationQueue::Start(KvQueueMode mode, std::vector<CItemData*> items) {
    Clear();
    if (mode == KvQueueMode::Idle || items.empty()) return;
    items_ = std::move(items);
    mode_ = mode;
}

void KvOperationQueue::Clear() {
    items_.clear();
    mode_ = KvQueueMode::Idle;
    headStepped_ = false;
}

bool KvOperationQueue::Contains(const CItemData* item) const {
    return std::find(items_.begin(), items_.end(), item) != items_.end();
}

void KvOperationQueue::Pop() {
    if (items_.empty()) return;
    items_.erase(items_.begin());
    headStepped_ = false;
    if (items_.empty()) Clear();
}

bool KvOperationQueue::Drop(const CItemData* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return false;
    const bool head = it == items_.begin();
    items_.erase(it);
    if (head) headStepped_ = false;
    if (items_.empty()) Clear();
    return head;
}
