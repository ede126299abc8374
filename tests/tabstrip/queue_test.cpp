// The pending-operation queue without a window: its order, when it goes idle, and what each
// operation ends with.
#include <gtest/gtest.h>

#include <array>
#include "tabstrip/queue.h"

namespace {

struct Items {
    std::array<CItemData, 3> items;
    CItemData* operator[](int i) { return &items[size_t(i)]; }
    std::vector<CItemData*> all() { return {&items[0], &items[1], &items[2]}; }
};

TEST(OperationQueue, VisitsInOrderAndGoesIdleAfterTheLast) {
    Items d;
    KvOperationQueue queue;
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_EQ(queue.Head(), nullptr);
    queue.Pop();   // nothing to pop: still idle
    EXPECT_TRUE(queue.IsIdle());

    queue.Start(KvQueueMode::SaveAll, d.all());
    EXPECT_EQ(queue.Mode(), KvQueueMode::SaveAll);
    EXPECT_EQ(queue.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(queue.Head(), d[i]);
        EXPECT_FALSE(queue.IsIdle());
        queue.Pop();
    }
    EXPECT_EQ(queue.Count(), 0);
    EXPECT_TRUE(queue.IsIdle());
}

TEST(OperationQueue, NothingToVisitIsIdleAndAStartReplacesTheRun) {
    Items d;
    KvOperationQueue queue;
    queue.Start(KvQueueMode::CloseSelected, {});
    EXPECT_TRUE(queue.IsIdle());
    queue.Start(KvQueueMode::Idle, d.all());
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_EQ(queue.Count(), 0);

    queue.Start(KvQueueMode::Script, d.all());
    queue.SetHeadStepped(true);
    queue.Start(KvQueueMode::ChangeToLink, {d[2]});
    EXPECT_EQ(queue.Mode(), KvQueueMode::ChangeToLink);
    EXPECT_EQ(queue.Count(), 1);
    EXPECT_FALSE(queue.HeadStepped());
    queue.Clear();
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_EQ(queue.Head(), nullptr);
}

TEST(OperationQueue, DropTellsWhetherTheHeadWentAndTheStepFlagFollowsTheHead) {
    Items d;
    KvOperationQueue queue;
    queue.Start(KvQueueMode::SaveCloseAll, d.all());
    queue.SetHeadStepped(true);

    EXPECT_FALSE(queue.Drop(d[1]));   // behind the head: the head's step stands
    EXPECT_TRUE(queue.HeadStepped());
    EXPECT_FALSE(queue.Contains(d[1]));
    EXPECT_FALSE(queue.Drop(d[1]));   // not queued (any more)
    EXPECT_EQ(queue.Count(), 2);

    EXPECT_TRUE(queue.Drop(d[0]));
    EXPECT_FALSE(queue.HeadStepped());
    EXPECT_EQ(queue.Head(), d[2]);
    EXPECT_EQ(queue.Mode(), KvQueueMode::SaveCloseAll);

    queue.SetHeadStepped(true);
    EXPECT_TRUE(queue.Drop(d[2]));
    EXPECT_TRUE(queue.IsIdle());
    EXPECT_FALSE(queue.HeadStepped());
}

TEST(OperationQueue, OnlyTheCloseAllOperationsEndWithAHostCommand) {
    EXPECT_STREQ(KvQueueFinalCommand(KvQueueMode::SaveCloseAll, false), "_CLOSEALL ");
    EXPECT_STREQ(KvQueueFinalCommand(KvQueueMode::NoSaveCloseAll, false), "_CLOSEALL ");
    EXPECT_STREQ(KvQueueFinalCommand(KvQueueMode::SaveCloseAll, true), "_QUIT ");
    EXPECT_STREQ(KvQueueFinalCommand(KvQueueMode::NoSaveCloseAll, true), "_QUIT ");
    EXPECT_STREQ(KvQueueFinalCommand(KvQueueMode::SaveCloseAllExit, false), "_QUIT ");
    EXPECT_STREQ(KvQueueFinalCommand(KvQueueMode::NoSaveCloseAllExit, false), "_QUIT ");
    for (KvQueueMode mode : {KvQueueMode::Idle, KvQueueMode::SaveAll, KvQueueMode::SaveAllToFolder,
                             KvQueueMode::OnlyCurrent, KvQueueMode::CloseSelected, KvQueueMode::Script,
                             KvQueueMode::ChangeToLink})
        EXPECT_EQ(KvQueueFinalCommand(mode, true), nullptr) << int(mode);
}

TEST(OperationQueue, WhichOperationsCloseDrawings) {
    // Closing asks about changes; only the operations over everything take link tabs off the bar.
    for (KvQueueMode mode : {KvQueueMode::Idle, KvQueueMode::SaveAll, KvQueueMode::SaveAllToFolder, KvQueueMode::Script}) {
        EXPECT_FALSE(KvQueueClosesDrawings(mode)) << int(mode);
        EXPECT_FALSE(KvQueueClosesAll(mode)) << int(mode);
    }
    EXPECT_TRUE(KvQueueClosesDrawings(KvQueueMode::ChangeToLink));
    EXPECT_FALSE(KvQueueClosesAll(KvQueueMode::ChangeToLink));
    for (int m = 2; m <= 7; ++m) {
        EXPECT_TRUE(KvQueueClosesDrawings(KvQueueMode(m))) << m;
        EXPECT_TRUE(KvQueueClosesAll(KvQueueMode(m))) << m;
    }
}

}  // namespace
