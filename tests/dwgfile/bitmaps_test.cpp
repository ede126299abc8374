// The bitmap handle table.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <thread>

#include "sim/gfx/bitmaps.h"

TEST(DwgBitmaps, HandlesAreValidatedAndResolvableFromHex) {
    const std::uint32_t px[6] = {1, 2, 3, 4, 5, 6};
    HBITMAP b = KvCreateBitmap(3, 2, px);
    ASSERT_TRUE(b);
    BITMAP info;
    EXPECT_EQ(GetObject(b, &info), int(sizeof(BITMAP)));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmHeight, 2);
    int w = 0, h = 0;
    std::vector<std::uint32_t> out;
    ASSERT_TRUE(KvGetBitmapPixels(b, &w, &h, &out));
    EXPECT_EQ(out, std::vector<std::uint32_t>(px, px + 6));

    // Printed as the tooltip markup prints it ("0x%X" of the handle).
    char text[32];
    std::snprintf(text, sizeof text, "0x%X", unsigned(reinterpret_cast<std::uintptr_t>(b)));
    EXPECT_EQ(sim::gfx::bitmapFromHex(text), b);
    EXPECT_EQ(sim::gfx::bitmapFromHex(text + 2), b);
    EXPECT_EQ(sim::gfx::bitmapFromHex("0x"), nullptr);
    EXPECT_EQ(sim::gfx::bitmapFromHex("0xZZ"), nullptr);
    EXPECT_EQ(sim::gfx::bitmapFromHex("0"), nullptr);

    EXPECT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_EQ(GetObject(b, &info), 0);
    EXPECT_FALSE(KvGetBitmapPixels(b, &w, &h, &out));
    EXPECT_EQ(sim::gfx::bitmapFromHex(text), nullptr);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HBITMAP>(std::uintptr_t(0xDEAD))));

    EXPECT_EQ(KvCreateBitmap(0, 5, nullptr), nullptr);
    EXPECT_EQ(KvCreateBitmap(5, -1, nullptr), nullptr);
    EXPECT_EQ(KvCreateBitmap(1 << 16, 1 << 16, nullptr), nullptr);   // refused, not allocated
}

TEST(DwgBitmaps, ConcurrentUseGivesDistinctHandles) {
    const std::size_t before = sim::gfx::liveBitmapCount();
    std::vector<std::vector<HBITMAP>> made(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                HBITMAP b = KvCreateBitmap(4, 4, nullptr);
                if (i % 2) DeleteObject(b);
                else made[t].push_back(b);
            }
        });
    for (auto& th : threads) th.join();
    std::set<HBITMAP> all;
    for (auto& v : made) all.insert(v.begin(), v.end());
    EXPECT_EQ(all.size(), 1000u);
    EXPECT_EQ(sim::gfx::liveBitmapCount(), before + 1000);
    for (HBITMAP b : all) EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(sim::gfx::liveBitmapCount(), before);
}
