#include "tabstrip/painting.h"

#include <algorithm>

#include "uikit/effects.h"
#include "uikit/paint.h"
#include "win/system.h"

namespace {

constexpr COLORREF kBarBackground = RGB(138, 138, 138);

HBITMAP picture(const KvTabLook& look, int p) {
    return look.pictures && size_t(p) < look.pictures->size() ? (*look.pictures)[size_t(p)] : nullptr;
}

}   // namespace

bool KvIsDxfFormatCode(int code) {
    switch (code) {
    case 1:
    case 3:
    case 5:
    case 9:
    case 13:
    case 25:
    case 37:
    case 49:
    case 61:
    case 65: return true;
    default: return false;
    }
}

KvFileIcon KvFileIconFor(int code) {
    if (KvIsDxfFormatCode(code)) return KvFileIcon::Dxf;
    switch (code) {
    case -1: return KvFileIcon::Generic;
    case 2: return KvFileIcon::R12;
    case 4: return KvFileIcon::R13;
    case 8: return KvFileIcon::R14;
    case 12:
    case 14:
    case 15:
    case 16: return KvFileIcon::R2000;
    case 24:
    case 26:
    case 27:
    case 28: return KvFileIcon::R2004;
    case 36:
    case 38:
    case 39:
    case 40: return KvFileIcon::R2007;
    case 48:
    case 50:
    case 51:
    case 52: return KvFileIcon::R2010;
    case 60:
    case 62:
    case 63: return KvFileIcon::R2013;
    case 64:
    case 66:
    case 67: return KvFileIcon::R2018;
    default: return KvFileIcon::Unknown;
    }
}

KvFormatStrip KvFormatStripFor(int code) {
    if (code >= 1 && code <= 3) return KvFormatStrip::R12;
    if (code >= 4 && code <= 5) return KvFormatStrip::R13;
    if (code >= 8 && code <= 9) return KvFormatStrip::R14;
    if (code >= 12 && code <= 15) return KvFormatStrip::R2000;
    if (code >= 24 && code <= 27) return KvFormatStrip::R2004;
    if (code >= 36 && code <= 39) return KvFormatStrip::R2007;
    if (code >= 48 && code <= 51) return KvFormatStrip::R2010;
    if (code >= 60 && code <= 63) return KvFormatStrip::R2013;
    if (code == 64) return KvFormatStrip::R2018;
    return KvFormatStrip::Unknown;
}

void KvPaintTab(HDC dc, const KvTabStyle& style, const KvTabLook& look, const KvTabFace& face, const RECT& tab) {
    const KvTabLayout layout = KvLayoutTab(style, tab, face.thumbnail != nullptr, face.isLink);
    if (face.selected || face.marked) {
        const bool reversed = style.dockSide == kDockBottom;
        kvui::FillEffect(dc, tab, look.bgEffect, reversed ? look.endColor : look.startColor, look.middleColor,
                         reversed ? look.startColor : look.endColor);
    } else {
        FillSolidRect(dc, tab, GetSysColor(COLOR_BTNFACE));
    }

    if (layout.hasIcon) {
        const POINT at = layout.icon;
        const UINT tone = face.marked ? KVBMP_LIGHTEN : KVBMP_GREY;
        KvDrawBitmap(dc, at.x, at.y, picture(look, kTabFirstIcon + int(KvFileIconFor(face.formatCode))),
                     KVBMP_KEYED | tone);
        if (face.readOnly) KvDrawBitmap(dc, at.x + 1, at.y + 1, picture(look, kTabOverlayReadOnly), KVBMP_KEYED);
        else if (face.modified) KvDrawBitmap(dc, at.x + 1, at.y + 1, picture(look, kTabOverlayModified), KVBMP_KEYED);
        if (face.isLink) KvDrawBitmap(dc, at.x, at.y, picture(look, kTabOverlayLink), KVBMP_KEYED);
        if (layout.hasStrip)
            KvDrawBitmap(dc, layout.strip.x, layout.strip.y,
                         picture(look, kTabFirstStrip + int(KvFormatStripFor(face.formatCode))), KVBMP_KEYED);
    } else if (layout.hasThumbnail) {
        KvDrawBitmapFit(dc, layout.thumbnail, face.thumbnail,
                        (face.selected || face.marked) ? KVBMP_NORMAL : KVBMP_GREY);
        if (face.isLink)
            KvDrawBitmap(dc, layout.thumbnailLinkOverlay.x, layout.thumbnailLinkOverlay.y,
                         picture(look, kTabOverlayLink), KVBMP_KEYED);
    }

    RECT text = layout.caption;
    const HFONT font = face.selected ? look.selFont : look.unselFont;
    const COLORREF colour = face.readOnly ? look.readOnlyColor
        : face.selected                   ? look.selTextColor
                                          : look.unselTextColor;
    const UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX;
    if (look.useOutline) {
        KvDrawTextHalo(dc, face.caption, &text, format, font, colour, look.outlineColor, look.outlineWidth);
    } else {
        DrawText(dc, face.caption, &text, format, font, colour);
    }

    auto drawGlyph = [&](KvTabGlyph glyph, int pictureIndex, UINT tone) {
        if (!layout.Shows(glyph)) return;
        const RECT g = layout.Glyph(glyph);
        // Sunken while the mouse button is held on it, raised otherwise.
        const bool pressed = face.pressed == glyph;
        FillSolidRect(dc, g, GetSysColor(COLOR_BTNFACE));
        KvDrawBitmap(dc, g.left, g.top, g.right - g.left, g.bottom - g.top, picture(look, pictureIndex), 0, 0,
                     kTabIconSize, kTabIconSize, KVBMP_KEYED | tone);
        Draw3dRect(dc, g, GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT),
                   GetSysColor(pressed ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW));
    };
    const bool closeLit = face.marked || face.pressed == KvTabGlyph::Close;
    drawGlyph(KvTabGlyph::Close, kTabGlyphClose, closeLit ? KVBMP_LIGHTEN : KVBMP_GREY);
    drawGlyph(KvTabGlyph::Menu, kTabGlyphMenu, KVBMP_NORMAL);
    drawGlyph(KvTabGlyph::Link, kTabGlyphLink, KVBMP_NORMAL);
}

void KvPaintLookPreview(HDC dc, const RECT& area, const KvLookPreview& look) {
    FillSolidRect(dc, area, GetSysColor(COLOR_BTNFACE));
    const RECT tab{area.left + 4, area.top + 3, area.right - 4, area.bottom - 1};
    kvui::FillEffect(dc, tab, look.bgEffect, look.startColor, look.middleColor, look.endColor);
    const int line = look.borderLineType;
    if (line > 0) {
        static constexpr int kStyles[] = {PS_NULL, PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_SOLID};
        constexpr COLORREF kFrame = RGB(64, 64, 64);
        KvFrameRect(dc, tab, KVPEN{kStyles[std::min(line, 6)], 1, kFrame});
        if (line == 6)
            KvFrameRect(dc, RECT{tab.left + 2, tab.top + 2, tab.right - 2, tab.bottom - 2}, KVPEN{PS_SOLID, 1, kFrame});
    }
    if (look.useOutline) {
        const int w = look.outlineWidth;
        FillSolidRect(dc, RECT{tab.left + 1, tab.top + 1, tab.right - 1, tab.top + 1 + w / 2 + 1}, look.outlineColor);
    }
    RECT caption = tab;
    DrawText(dc, look.text, &caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE, look.font, look.textColor);
}

void KvPaintBar(HDC target, const RECT& client, const KvTabStyle& style, const KvTabLook& look, const KvTabBarView& bar,
                const RECT& dropMarker) {
    const int count = bar.Count();
    if (count == 0) return;
    kvui::BufferedPaint buffer(target, client);
    HDC dc = buffer.dc();
    FillSolidRect(dc, client, kBarBackground);
    const int selected = bar.Selected();
    const bool vertical = style.vertical;
    auto outside = [&](const RECT& r) {
        return vertical ? (r.bottom <= client.top || r.top >= client.bottom)
                        : (r.right <= client.left || r.left >= client.right);
    };
    // A long row costs no more than what shows. Its tabs follow one another, so the last one
    // that starts inside the client area is found by halving.
    int last = count - 1;
    if (!vertical) {
        int lo = 0, hi = count - 1;
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (bar.ItemRect(mid).left < client.right) lo = mid;
            else hi = mid - 1;
        }
        last = lo;
    }
    for (int i = last; i >= 0; --i) {
        if (i == selected) continue;
        const RECT r = bar.ItemRect(i);
        if (!vertical && r.right <= client.left) break;   // so do all tabs before it
        if (outside(r)) continue;
        KvPaintTab(dc, style, look, bar.Face(i, false), r);
        kvui::FrameStyled(dc, r, look.borderLineType, 1, look.startColor);
    }
    if (selected < 0) return;
    const RECT t = bar.ItemRect(selected);
    KvPaintTab(dc, style, look, bar.Face(selected, true), t);
    const KvSelectionFrame frame = KvLayoutSelection(style.dockSide, t, client);
    KvLine(dc, frame.band[0], frame.band[1], KVPEN{PS_SOLID, 8, look.endColor, true});
    KvPolyline(dc, frame.outline, 6, KVPEN{PS_SOLID, 2, look.startColor, true});
    if (dropMarker.right > dropMarker.left) KvFrameRect(dc, dropMarker, KVPEN{PS_SOLID, 1, RGB(255, 0, 0)});
}
