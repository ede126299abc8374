// Where the parts of one tab go: pure arithmetic from the style and the tab's rectangle, shared
// by painting and hit-testing so that what is clicked is what is drawn.
//
// Every rectangle comes out with no negative size, and the caption and glyphs stay inside the tab
// whatever the rectangle or the settings (a tab too small for a part gets it squeezed to nothing
// rather than spilling over its neighbours).
#pragma once
#include "settings/dockside.h"
#include "win/types.h"

// The file icon, its overlays and the glyph pictures are this square.
constexpr int kTabIconSize = 16;

// The action glyphs of a tab, from its top (a row) or from its foot (a column).
enum class KvTabGlyph { None = 0, Close = 1, Menu = 2, Link = 3 };

// What the geometry of a tab depends on.
struct KvTabStyle {
    int dockSide = kDockTop;
    bool vertical = false;   // docked left or right: the tabs run downward
    bool fileIcon = true, versionIcon = true, thumbnailIcon = false;
    bool showClose = true;    // the action glyphs at all
    int subControlSize = 6;   // the glyphs' side
    int fixedWidthX = 140;    // the thumbnail's width (its height is 90/120 of it)
};

struct KvTabLayout {
    // Laid out as in a row: row tabs, and thumbnail tabs on every side (their text stays upright).
    bool upright = true;
    // The file icon's top-left corner; the format strip goes right below it.
    bool hasIcon = false, hasStrip = false;
    POINT icon{}, strip{};
    // The drawing's picture, and where a link's overlay goes on it.
    bool hasThumbnail = false;
    RECT thumbnail{};
    POINT thumbnailLinkOverlay{};
    RECT caption{};
    // The glyphs the tab shows, indexed by KvTabGlyph - 1.
    bool shows[3] = {false, false, false};
    RECT glyphs[3]{};
    bool Shows(KvTabGlyph glyph) const;
    RECT Glyph(KvTabGlyph glyph) const;
};

// The layout of `tab` for an item that has a thumbnail picture (`hasThumbnail`) or is a link.
KvTabLayout KvLayoutTab(const KvTabStyle& style, const RECT& tab, bool hasThumbnail, bool isLink);
// The caption's part of `tab`: after the icon (or below the thumbnail), 4 pixels in without
// either, short of the glyphs when they are shown.
RECT KvTabCaptionRect(const KvTabStyle& style, const RECT& tab, bool hasThumbnail);
// A glyph's square in `tab`, shown or not.
RECT KvTabGlyphRect(const KvTabStyle& style, const RECT& tab, KvTabGlyph glyph);
// Which glyph square of `tab` holds `pt` (None when none does). All three squares answer,
// drawn or not (the link square of a plain tab closes its drawing to a link); whether glyphs
// act at all ('Show close button') is the caller's to decide.
KvTabGlyph KvTabGlyphAt(const KvTabStyle& style, const RECT& tab, POINT pt);

// The selected tab's outline (open toward the drawing) and the band along the bar's inner edge.
struct KvSelectionFrame {
    POINT outline[6];
    POINT band[2];
};
KvSelectionFrame KvLayoutSelection(int dockSide, const RECT& tab, const RECT& client);
