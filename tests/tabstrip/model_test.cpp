// The tab strip's model without a window: order, ownership and the click rules over the marked set.
#include <gtest/gtest.h>

#include "tabstrip/model.h"

namespace {

struct Bar {
    KvTabStripModel model;
    std::vector<CItemData*> items;
    explicit Bar(int n) {
        for (int i = 0; i < n; ++i) {
            auto item = std::make_unique<CItemData>();
            item->SetPathName("d" + std::to_string(i) + ".dwg");
            items.push_back(item.get());
            model.Insert(i, std::move(item));
        }
    }
    std::vector<CItemData*> pick(std::initializer_list<int> indexes) const {
        std::vector<CItemData*> out;
        for (int i : indexes) out.push_back(items[size_t(i)]);
        return out;
    }
};

TEST(TabStripModel, InsertClampsAndDetachHandsTheItemOver) {
    Bar bar(3);
    auto extra = std::make_unique<CItemData>();
    CItemData* raw = extra.get();
    EXPECT_EQ(bar.model.Insert(99, std::move(extra)), 3);   // past the end: appended
    EXPECT_EQ(bar.model.IndexOf(raw), 3);
    EXPECT_EQ(bar.model.At(4), nullptr);
    EXPECT_EQ(bar.model.At(-1), nullptr);
    std::unique_ptr<CItemData> back = bar.model.Detach(0);
    EXPECT_EQ(back.get(), bar.items[0]);
    EXPECT_EQ(bar.model.Count(), 3);
    EXPECT_EQ(bar.model.At(0), bar.items[1]);
    EXPECT_EQ(bar.model.Detach(7), nullptr);
    EXPECT_EQ(bar.model.IndexOf(back.get()), -1);
}

TEST(TabStripModel, TheMarkedSetIsTheFlagsInBarOrder) {
    Bar bar(5);
    bar.model.MarkOnly(bar.pick({3, 1}));
    EXPECT_EQ(bar.model.Marked(), bar.pick({1, 3}));   // bar order, whatever order they came in
    bar.model.Toggle(bar.items[1]);
    bar.model.Toggle(bar.items[4]);
    EXPECT_EQ(bar.model.Marked(), bar.pick({3, 4}));
    EXPECT_EQ(bar.items[1]->marked, 0);

    // A run replaces the set whichever way it is given; the ends are included.
    bar.model.MarkRun(3, 0);
    EXPECT_EQ(bar.model.Marked(), bar.pick({0, 1, 2, 3}));
    bar.model.MarkRun(2, 2);
    EXPECT_EQ(bar.model.Marked(), bar.pick({2}));
    // A run from no selection (-1) starts at the first tab.
    bar.model.MarkRun(1, -1);
    EXPECT_EQ(bar.model.Marked(), bar.pick({0, 1}));

    bar.model.MarkAll();
    EXPECT_EQ(bar.model.MarkedCount(), 5);
    bar.model.MarkOnly({});
    EXPECT_EQ(bar.model.MarkedCount(), 0);
}

TEST(TabStripModel, ADetachedItemLeavesTheMarkedSetAndAForeignOneNeverJoins) {
    Bar bar(3);
    bar.model.MarkAll();
    std::unique_ptr<CItemData> gone = bar.model.Detach(1);
    EXPECT_EQ(bar.model.Marked(), bar.pick({0, 2}));
    bar.model.Toggle(gone.get());   // not in the bar: nothing changes
    EXPECT_EQ(bar.model.Marked(), bar.pick({0, 2}));
    bar.model.MarkOnly({gone.get()});
    EXPECT_EQ(bar.model.MarkedCount(), 0);
}

}  // namespace
