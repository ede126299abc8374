// Painting the tab strip from the layout: one tab (background, file icon with its overlays and
// format strip or the drawing's picture, caption, action glyphs) and the whole bar (the tabs that
// show, then the selected one with its outline and band). Nothing here knows the window: the
// control hands over what each tab shows and where it is.
#pragma once
#include <string>
#include <vector>
#include "gfx/canvas.h"
#include "settings/applied.h"
#include "tabstrip/layout.h"

// The pictures a tab shows for a format code.
enum class KvFileIcon { Generic, Dxf, R12, R13, R14, R2000, R2004, R2007, R2010, R2013, R2018, Unknown };
KvFileIcon KvFileIconFor(int formatCode);
// The format codes of DXF files, one per release.
bool KvIsDxfFormatCode(int formatCode);
enum class KvFormatStrip { R12, R13, R14, R2000, R2004, R2007, R2010, R2013, R2018, Unknown };
KvFormatStrip KvFormatStripFor(int formatCode);

// The picture table, in the order of the resources: the file icons (by KvFileIcon), the format
// strips (by KvFormatStrip), then the overlays and glyphs.
enum KvTabPicture {
    kTabFirstIcon = 0,
    kTabFirstStrip = kTabFirstIcon + int(KvFileIcon::Unknown) + 1,
    kTabOverlayModified = kTabFirstStrip + int(KvFormatStrip::Unknown) + 1,
    kTabOverlayReadOnly,
    kTabOverlayLink,
    kTabGlyphClose,
    kTabGlyphMenu,
    kTabGlyphLink,
    kTabPictureCount
};

// How the tabs look, beyond where their parts go.
struct KvTabLook {
    COLORREF startColor = 0, middleColor = 0, endColor = 0;
    int bgEffect = 0;
    int borderLineType = 0;
    bool useOutline = true;
    COLORREF outlineColor = 0;
    int outlineWidth = 0;
    COLORREF selTextColor = 0, unselTextColor = 0, readOnlyColor = 0;
    HFONT selFont = nullptr, unselFont = nullptr;
    // The picture table (a missing picture draws nothing).
    const std::vector<HBITMAP>* pictures = nullptr;
};

// What one tab shows.
struct KvTabFace {
    std::string caption;
    int formatCode = -1;
    bool selected = false, marked = false, modified = false, readOnly = false, isLink = false;
    HBITMAP thumbnail = nullptr;
    KvTabGlyph pressed = KvTabGlyph::None;   // the glyph the mouse button is held on
};

void KvPaintTab(HDC dc, const KvTabStyle& style, const KvTabLook& look, const KvTabFace& face, const RECT& tab);

// The Options dialog's preview of a look over `area`: the selected tab's background effect, a
// frame in the border's line type, the outline's colour along the top edge, and the text in the
// selected tab's font and colour.
void KvPaintLookPreview(HDC dc, const RECT& area, const KvLookPreview& look);

// The bar as the control sees it.
class KvTabBarView {
public:
    virtual ~KvTabBarView() = default;
    virtual int Count() const = 0;
    virtual int Selected() const = 0;
    virtual RECT ItemRect(int index) const = 0;
    virtual KvTabFace Face(int index, bool selected) const = 0;
};

// Paints the bar over `client`: the background, the tabs that show (the selected one last, with
// its outline and band) and, when it is not empty, the marker where a dragged tab would drop.
void KvPaintBar(HDC dc, const RECT& client, const KvTabStyle& style, const KvTabLook& look, const KvTabBarView& bar,
                const RECT& dropMarker);
