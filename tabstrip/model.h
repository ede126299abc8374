// The tab strip's model: the items in bar order and the marked set.
//
// The model owns every item. The marked set is the items whose `marked` flag is set, listed in
// bar order: there is no second list to fall out of step with the flags. The control mirrors the
// order into the platform tab control and keeps the selection there (a click selects before the
// plug-in hears of it).
#pragma once
#include <memory>
#include <vector>
#include "tabstrip/itemdata.h"

class KvTabStripModel {
public:
    int Count() const { return int(items_.size()); }
    // The item at `index`, or null outside the bar.
    CItemData* At(int index) const { return index >= 0 && index < Count() ? items_[size_t(index)].get() : nullptr; }
    int IndexOf(const CItemData* item) const;
    // Every item, in bar order.
    std::vector<CItemData*> Items() const;

    // Puts `item` at `index` (clamped to the bar) and returns where it went.
    int Insert(int index, std::unique_ptr<CItemData> item);
    // Takes the item at `index` out of the bar and hands it over (null outside the bar).
    std::unique_ptr<CItemData> Detach(int index);
    void Clear() { items_.clear(); }

    // The click rules. A plain click marks the clicked tab alone; Ctrl toggles one tab; Shift marks
    // the run between two tabs alone; Ctrl+A marks everything.
    std::vector<CItemData*> Marked() const;
    int MarkedCount() const;
    void MarkOnly(const std::vector<CItemData*>& items);
    void Toggle(CItemData* item);
    void MarkRun(int from, int to);
    void MarkAll();

private:
    std::vector<std::unique_ptr<CItemData>> items_;
};
