// Buffered painting and the tab strip's framed line styles.
#pragma once
#include "gfx/canvas.h"

namespace kvui {

// Paints into an off-screen canvas the size of `area` and copies it to the target once, when
// the object goes out of scope. dc() is addressed in the target's own logical coordinates, so
// painting code does not change. When no buffer can be made (an empty area, for instance), dc()
// is the target itself and painting goes straight to it.
class BufferedPaint {
public:
    BufferedPaint(HDC target, const RECT& area);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;

    HDC dc() const { return buffer_ ? buffer_ : target_; }
    bool buffered() const { return buffer_ != nullptr; }
    // Drops what was painted: nothing is copied to the target.
    void Discard();

private:
    HDC target_;
    HDC buffer_ = nullptr;
    RECT area_;
};

// Line styles of the tab strip's frames, as the options dialog numbers them.
enum FrameLineStyle {
    FrameNone = 0,
    FrameSolid,
    FrameDash,
    FrameDot,
    FrameDashDot,
    FrameDashDotDot,
    FrameDouble,   // a second frame inside the first, offset by twice the width
};

// A frame inside the rectangle in one of the styles above. Style 0, an unknown style or a width
// below 1 draws nothing.
void FrameStyled(HDC dc, const RECT& rect, int lineStyle, int width, COLORREF colour);

// A frame `thickness` pixels wide just inside the rectangle, its corners rounded as an ellipse of
// `round` (width, height) rounds them; the pixels outside the rounding take the colour `outside`.
void FrameRounded(HDC dc, const RECT& rect, SIZE round, COLORREF colour, int thickness, COLORREF outside);

// A copy of a picture shrunk to fit within maxWidth by maxHeight, keeping its proportions (each
// pixel the average of the pixels it covers); a picture that already fits is copied as it is.
// Null for a null or unreadable picture. The caller deletes the copy.
HBITMAP ShrunkCopy(HBITMAP picture, int maxWidth, int maxHeight);

}   // namespace kvui
