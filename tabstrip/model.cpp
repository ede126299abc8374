#include "tabstrip/model.h"

#include <algorithm>

int KvTabStripModel::IndexOf(const CItemData* item) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[size_t(i)].get() == item) return i;
    return -1;
}

std::vector<CItemData*> KvTabStripModel::Items() const {
    std::vector<CItemData*> out;
    out.reserve(items_.size());
    for (const auto& item : items_) out.push_back(item.get());
    return out;
}

int KvTabStripModel::Insert(int index, std::unique_ptr<CItemData> item) {
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, std::move(item));
    return index;
}

std::unique_ptr<CItemData> KvTabStripModel::Detach(int index) {
    if (index < 0 || index >= Count()) return nullptr;
    std::unique_ptr<CItemData> item = std::move(items_[size_t(index)]);
    items_.erase(items_.begin() + index);
    return item;
}

std::vector<CItemData*> KvTabStripModel::Marked() const {
    std::vector<CItemData*> out;
    for (const auto& item : items_)
        if (item->marked) out.push_back(item.get());
    return out;
}

int KvTabStripModel::MarkedCount() const {
    return int(std::count_if(items_.begin(), items_.end(), [](const auto& item) { return item->marked != 0; }));
}

void KvTabStripModel::MarkOnly(const std::vector<CItemData*>& items) {
    // Only the flags that change are written: marking one tab of a long bar touches no other.
    for (const auto& item : items_) {
        const int marked = std::find(items.begin(), items.end(), item.get()) != items.end() ? 1 : 0;
        if (item->marked != marked) item->marked = marked;
    }
}

void KvTabStripModel::Toggle(CItemData* item) {
    if (item && IndexOf(item) >= 0) item->marked = item->marked ? 0 : 1;
}

void KvTabStripModel::MarkRun(int from, int to) {
    const int low = std::min(from, to), high = std::max(from, to);
    for (int i = 0; i < Count(); ++i) items_[size_t(i)]->marked = i >= low && i <= high ? 1 : 0;
}

void KvTabStripModel::MarkAll() {
    for (const auto& item : items_) item->marked = 1;
}
