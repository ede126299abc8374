// The geometry of one tab without a window: where the icon, picture, caption and glyphs go on
// each side the bar docks to, and that no rectangle comes out inverted or outside the tab.
#include <gtest/gtest.h>

#include <climits>
#include "tabstrip/layout.h"

namespace {

KvTabStyle styleFor(int side) {
    KvTabStyle s;
    s.dockSide = side;
    s.vertical = side == kDockLeft || side == kDockRight;
    return s;
}

bool within(const RECT& r, const RECT& bounds) {
    return r.left >= bounds.left && r.top >= bounds.top && r.right <= bounds.right && r.bottom <= bounds.bottom;
}
bool sound(const RECT& r) { return r.right >= r.left && r.bottom >= r.top; }
bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(TabLayout, ARowTabHasTheIconAtTheLeftTheGlyphAtTheRightAndTheCaptionBetween) {
    const KvTabStyle s = styleFor(kDockTop);
    const RECT tab{100, 2, 220, 28};
    const KvTabLayout l = KvLayoutTab(s, tab, false, false);
    EXPECT_TRUE(l.upright);
    ASSERT_TRUE(l.hasIcon);
    EXPECT_EQ(l.icon.x, 102);
    EXPECT_EQ(l.icon.y, 5);   // a tab that does not stand at the top keeps its icon 5 down
    ASSERT_TRUE(l.hasStrip);
    EXPECT_EQ(l.strip.y, l.icon.y + kTabIconSize);
    EXPECT_TRUE((l.caption == RECT{120, 2, 214, 28}));
    EXPECT_TRUE(l.Shows(KvTabGlyph::Close));
    EXPECT_FALSE(l.Shows(KvTabGlyph::Menu));
    EXPECT_FALSE(l.Shows(KvTabGlyph::Link));
    EXPECT_TRUE((l.Glyph(KvTabGlyph::Close) == RECT{210, 4, 216, 10}));
    EXPECT_EQ(KvLayoutTab(s, RECT{100, 0, 220, 28}, false, false).icon.y, 3);   // the selected tab stands higher

    KvTabStyle plain = s;
    plain.versionIcon = false;
    plain.showClose = false;
    const KvTabLayout p = KvLayoutTab(plain, tab, false, false);
    EXPECT_EQ(p.icon.y, 2 + 13 - 8);   // centred
    EXPECT_FALSE(p.hasStrip);
    EXPECT_FALSE(p.Shows(KvTabGlyph::Close));
    EXPECT_EQ(p.caption.right, tab.right);   // no room kept for a glyph
}

TEST(TabLayout, ColumnTabsStackIconCaptionAndGlyphDownward) {
    for (int side : {kDockLeft, kDockRight}) {
        const KvTabStyle s = styleFor(side);
        const RECT tab{2, 50, 30, 170};
        const KvTabLayout l = KvLayoutTab(s, tab, false, false);
        EXPECT_FALSE(l.upright);
        EXPECT_EQ(l.icon.x, 5);
        EXPECT_EQ(l.icon.y, 52);
        EXPECT_TRUE((l.caption == RECT{2, 74, 30, 164}));
        EXPECT_TRUE((l.Glyph(KvTabGlyph::Close) == RECT{4, 160, 10, 166}));   // at the foot
        KvTabStyle noIcon = s;
        noIcon.fileIcon = false;
        EXPECT_EQ(KvTabCaptionRect(noIcon, tab, false).top, 50 + 2 + 6 + 6);
        EXPECT_FALSE(KvLayoutTab(noIcon, tab, false, false).hasIcon);
    }
}

TEST(TabLayout, ThumbnailTabsStayUprightWithThePictureOverTheCaptionAndThreeGlyphs) {
    for (int side : {kDockTop, kDockBottom, kDockLeft, kDockRight}) {
        KvTabStyle s = styleFor(side);
        s.fileIcon = false;
        s.thumbnailIcon = true;
        s.fixedWidthX = 120;
        const RECT tab{10, 2, 136, 116};
        const KvTabLayout l = KvLayoutTab(s, tab, true, false);
        EXPECT_TRUE(l.upright) << side;
        ASSERT_TRUE(l.hasThumbnail);
        EXPECT_TRUE((l.thumbnail == RECT{12, 4, 132, 94}));
        EXPECT_EQ(l.caption.top, 94);
        EXPECT_TRUE(l.Shows(KvTabGlyph::Menu) && l.Shows(KvTabGlyph::Link));
        EXPECT_EQ(l.Glyph(KvTabGlyph::Menu).top, l.Glyph(KvTabGlyph::Close).bottom + 4);
        EXPECT_EQ(l.Glyph(KvTabGlyph::Link).top, l.Glyph(KvTabGlyph::Menu).bottom + 4);
        // A link has no drawing to close to a link; a tab without a picture has its caption at the top.
        EXPECT_FALSE(KvLayoutTab(s, tab, true, true).Shows(KvTabGlyph::Link));
        EXPECT_FALSE(KvLayoutTab(s, tab, false, false).hasThumbnail);
        EXPECT_EQ(KvTabCaptionRect(s, tab, false).top, tab.top);
    }
}

TEST(TabLayout, GlyphSquaresAreHitDrawnOrNot) {
    const KvTabStyle s = styleFor(kDockTop);
    const RECT tab{0, 2, 120, 28};
    EXPECT_EQ(KvTabGlyphAt(s, tab, POINT{112, 6}), KvTabGlyph::Close);
    EXPECT_EQ(KvTabGlyphAt(s, tab, POINT{112, 16}), KvTabGlyph::Menu);   // not drawn without thumbnails
    EXPECT_EQ(KvTabGlyphAt(s, tab, POINT{112, 26}), KvTabGlyph::Link);
    EXPECT_EQ(KvTabGlyphAt(s, tab, POINT{116, 6}), KvTabGlyph::None);    // the square's right edge is out
    EXPECT_EQ(KvTabGlyphAt(s, tab, POINT{112, 12}), KvTabGlyph::None);   // between two squares
    EXPECT_EQ(KvTabGlyphAt(s, tab, POINT{112, 29}), KvTabGlyph::None);   // below the tab: cut off
    const KvTabStyle column = styleFor(kDockLeft);
    const RECT c{2, 50, 30, 170};
    EXPECT_EQ(KvTabGlyphAt(column, c, POINT{6, 162}), KvTabGlyph::Close);
    EXPECT_EQ(KvTabGlyphAt(column, c, POINT{6, 156}), KvTabGlyph::Menu);
}

TEST(TabLayout, TinyAndAbsurdRectanglesGiveNothingInvertedOrOutsideTheTab) {
    const RECT tabs[] = {{0, 0, 0, 0},       {5, 5, 8, 7},       {40, 40, 10, 10},
                         {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX - 3, INT_MAX - 3, INT_MAX, INT_MAX},
                         {INT_MIN, INT_MIN, INT_MIN + 2, INT_MIN + 2}};
    for (int side : {kDockTop, kDockBottom, kDockLeft, kDockRight})
        for (int glyphSide : {-50, 0, 6, INT_MAX})
            for (int width : {-200, 0, 120, INT_MAX})
                for (bool icon : {true, false})
                    for (const RECT& tab : tabs) {
                        KvTabStyle s = styleFor(side);
                        s.fileIcon = icon;
                        s.thumbnailIcon = !icon;
                        s.subControlSize = glyphSide;
                        s.fixedWidthX = width;
                        const KvTabLayout l = KvLayoutTab(s, tab, true, false);
                        RECT bounds = tab;
                        if (bounds.right < bounds.left) bounds.right = bounds.left;
                        if (bounds.bottom < bounds.top) bounds.bottom = bounds.top;
                        EXPECT_TRUE(sound(l.caption) && within(l.caption, bounds));
                        EXPECT_TRUE(sound(l.thumbnail));
                        for (const RECT& g : l.glyphs) EXPECT_TRUE(sound(g) && within(g, bounds));
                    }
}

TEST(TabLayout, TheSelectedTabsOutlineOpensTowardTheDrawing) {
    const RECT client{0, 0, 800, 40};
    const RECT t{100, 2, 200, 30};
    const KvSelectionFrame top = KvLayoutSelection(kDockTop, t, client);
    EXPECT_EQ(top.outline[0].y, t.bottom);   // the base line runs along the tab's lower edge
    EXPECT_EQ(top.outline[2].y, t.top + 1);
    EXPECT_EQ(top.band[0].y, t.bottom + 4);
    const KvSelectionFrame bottom = KvLayoutSelection(kDockBottom, t, client);
    EXPECT_EQ(bottom.outline[0].y, t.top);
    EXPECT_EQ(bottom.outline[2].y, t.bottom - 1);
    EXPECT_EQ(bottom.band[0].y, t.top - 4);
    const RECT column{0, 0, 40, 600};
    const RECT c{2, 100, 30, 200};
    EXPECT_EQ(KvLayoutSelection(kDockLeft, c, column).band[0].x, c.right + 4);
    EXPECT_EQ(KvLayoutSelection(kDockLeft, c, column).outline[0].x, c.right);
    EXPECT_EQ(KvLayoutSelection(kDockRight, c, column).band[0].x, c.left - 4);
    EXPECT_EQ(KvLayoutSelection(kDockRight, c, column).outline[2].x, c.right - 1);
    const KvSelectionFrame far = KvLayoutSelection(kDockTop, RECT{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, client);
    EXPECT_EQ(far.band[0].y, INT_MAX);   // clamped, not wrapped round
}

}  // namespace
