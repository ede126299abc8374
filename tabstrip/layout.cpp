#include "tabstrip/layout.h"
#include "tabstrip/itemdata.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

using Wide = std::int64_t;

// Arithmetic is done wide so that no rectangle, however absurd, overflows.
LONG narrow(Wide v) {
    return LONG(std::clamp<Wide>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
}

// A rectangle with no negative size: an inverted one collapses onto its left and top edges.
RECT rectOf(Wide l, Wide t, Wide r, Wide b) {
    return {narrow(l), narrow(t), narrow(std::max(l, r)), narrow(std::max(t, b))};
}

// `r` cut to `bounds` (an empty rectangle on the boundary when they do not meet).
RECT inside(const RECT& r, const RECT& bounds) {
    const Wide l = std::clamp<Wide>(r.left, bounds.left, std::max(bounds.left, bounds.right));
    const Wide t = std::clamp<Wide>(r.top, bounds.top, std::max(bounds.top, bounds.bottom));
    const Wide rr = std::clamp<Wide>(r.right, l, std::max<Wide>(l, bounds.right));
    const Wide b = std::clamp<Wide>(r.bottom, t, std::max<Wide>(t, bounds.bottom));
    return rectOf(l, t, rr, b);
}

Wide glyphSide(const KvTabStyle& s) { return std::max(0, s.subControlSize); }
Wide thumbnailWidth(const KvTabStyle& s) { return std::max(0, s.fixedWidthX); }
Wide thumbnailHeight(const KvTabStyle& s) { return KvThumbnailHeight(thumbnailWidth(s)); }
bool upright(const KvTabStyle& s) { return !s.vertical || s.thumbnailIcon; }

}   // namespace

bool KvTabLayout::Shows(KvTabGlyph glyph) const {
    const int i = int(glyph) - 1;
    return i >= 0 && i < 3 && shows[i];
}

RECT KvTabLayout::Glyph(KvTabGlyph glyph) const {
    const int i = int(glyph) - 1;
    return i >= 0 && i < 3 ? glyphs[i] : RECT{};
}

RECT KvTabCaptionRect(const KvTabStyle& style, const RECT& tab, bool hasThumbnail) {
    Wide l = tab.left, t = tab.top, r = tab.right, b = tab.bottom;
    if (upright(style)) {
        l += 2;
        if (style.fileIcon) l += kTabIconSize;
        else if (style.thumbnailIcon && hasThumbnail) t += 2 + thumbnailHeight(style);   // below the picture
        l += 2;
        if (style.showClose) r -= glyphSide(style);
    } else {
        t += 2;
        if (style.fileIcon) t += kTabIconSize;
        else if (style.versionIcon) t += 6;
        t += 6;
        if (style.showClose) b -= glyphSide(style);
    }
    return inside(rectOf(l, t, r, b), tab);
}

RECT KvTabGlyphRect(const KvTabStyle& style, const RECT& tab, KvTabGlyph glyph) {
    if (glyph == KvTabGlyph::None) return inside(rectOf(tab.left, tab.top, tab.left, tab.top), tab);
    const Wide s = glyphSide(style);
    const Wide n = int(glyph);
    if (upright(style)) {
        // Down the right edge, the close glyph first.
        const Wide top = Wide(tab.top) + 2 + (n - 1) * (4 + s);
        return inside(rectOf(Wide(tab.right) - s - 4, top, Wide(tab.right) - 4, top + s), tab);
    }
    // Up from the foot, the close glyph lowest.
    const Wide top = Wide(tab.bottom) - n * s - 4;
    return inside(rectOf(Wide(tab.left) + 2, top, Wide(tab.left) + 2 + s, top + s), tab);
}

KvTabLayout KvLayoutTab(const KvTabStyle& style, const RECT& tab, bool hasThumbnail, bool isLink) {
    KvTabLayout out;
    out.upright = upright(style);
    if (out.upright) {
        const Wide left = Wide(tab.left) + 2;
        if (style.fileIcon) {
            // With the format strip the icon keeps to the top (the selected tab stands 2 higher);
            // without it, it is centred.
            const Wide y = style.versionIcon ? (tab.top == 0 ? 3 : 5) : (Wide(tab.bottom) - tab.top) / 2 - 8 + tab.top;
            out.hasIcon = true;
            out.icon = {narrow(left), narrow(y)};
        } else if (style.thumbnailIcon && hasThumbnail) {
            const Wide top = Wide(tab.top) + 2;
            out.hasThumbnail = true;
            out.thumbnail = rectOf(left, top, left + thumbnailWidth(style), top + thumbnailHeight(style));
            out.thumbnailLinkOverlay = {narrow(left + 2), narrow(top)};
        }
    } else if (style.fileIcon) {
        const Wide x = style.versionIcon ? (tab.left == 0 ? 3 : 5) : (Wide(tab.right) - tab.left) / 2 - 8 + tab.left;
        out.hasIcon = true;
        out.icon = {narrow(x), narrow(Wide(tab.top) + 2)};
    }
    if (out.hasIcon && style.versionIcon) {
        out.hasStrip = true;
        out.strip = {out.icon.x, narrow(Wide(out.icon.y) + kTabIconSize)};
    }
    out.caption = KvTabCaptionRect(style, tab, hasThumbnail);
    if (style.showClose) {
        out.shows[0] = true;
        // Thumbnail tabs have room for the item menu, and a drawing's for closing it to a link.
        out.shows[1] = style.thumbnailIcon;
        out.shows[2] = style.thumbnailIcon && !isLink;
    }
    for (int g = 0; g < 3; ++g) out.glyphs[g] = KvTabGlyphRect(style, tab, KvTabGlyph(g + 1));
    return out;
}

KvTabGlyph KvTabGlyphAt(const KvTabStyle& style, const RECT& tab, POINT pt) {
    for (int g = 1; g <= 3; ++g) {
        const RECT q = KvTabGlyphRect(style, tab, KvTabGlyph(g));
        if (pt.x >= q.left && pt.x < q.right && pt.y >= q.top && pt.y < q.bottom) return KvTabGlyph(g);
    }
    return KvTabGlyph::None;
}

KvSelectionFrame KvLayoutSelection(int dockSide, const RECT& t, const RECT& c) {
    auto at = [](Wide x, Wide y) { return POINT{narrow(x), narrow(y)}; };
    const Wide l = t.left, tp = t.top, r = t.right, b = t.bottom;
    KvSelectionFrame f{};
    POINT* o = f.outline;
    switch (dockSide) {
    case kDockBottom:
        o[0] = at(c.left, tp), o[1] = at(l + 1, tp), o[2] = at(l + 1, b - 1);
        o[3] = at(r - 1, b - 1), o[4] = at(r - 1, tp), o[5] = at(c.right, tp);
        f.band[0] = at(c.left, tp - 4), f.band[1] = at(c.right, tp - 4);
        break;
    case kDockLeft:
        o[0] = at(r, c.top), o[1] = at(r, tp + 1), o[2] = at(l + 1, tp + 1);
        o[3] = at(l + 1, b - 1), o[4] = at(r, b - 1), o[5] = at(r, c.bottom);
        f.band[0] = at(r + 4, c.top), f.band[1] = at(r + 4, c.bottom);
        break;
    case kDockRight:
        o[0] = at(l, c.top), o[1] = at(l, tp + 1), o[2] = at(r - 1, tp + 1);
        o[3] = at(r - 1, b - 1), o[4] = at(l, b - 1), o[5] = at(l, c.bottom);
        f.band[0] = at(l - 4, c.top), f.band[1] = at(l - 4, c.bottom);
        break;
    default:
        o[0] = at(c.left, b), o[1] = at(l + 1, b), o[2] = at(l + 1, tp + 1);
        o[3] = at(r - 1, tp + 1), o[4] = at(r - 1, b), o[5] = at(c.right, b);
        f.band[0] = at(c.left, b + 4), f.band[1] = at(c.right, b + 4);
        break;
    }
    return f;
}
