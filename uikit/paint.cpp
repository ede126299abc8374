#include "uikit/paint.h"

namespace kvui {

BufferedPaint::BufferedPaint(HDC target, const RECT& area) : target_(target), area_(area) {
    if (area.right <= area.left || area.bottom <= area.top) return;
    buffer_ = KvCreateBufferDC(target, area.right - area.left, area.bottom - area.top);
    if (buffer_) SetViewportOrgEx(buffer_, -area.left, -area.top, nullptr);
}

BufferedPaint::~BufferedPaint() {
    if (!buffer_) return;
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, buffer_, area_.left,
           area_.top, SRCCOPY);
    DeleteDC(buffer_);
}

void BufferedPaint::Discard() {
    if (!buffer_) return;
    DeleteDC(buffer_);
    buffer_ = nullptr;
    target_ = nullptr;   // nothing more reaches the target through this object
}

void FrameStyled(HDC dc, const RECT& rect, int lineStyle, int width, COLORREF colour) {
    if (width < 1 || lineStyle <= FrameNone || lineStyle > FrameDouble) return;
    static const int penStyles[] = {PS_NULL, PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_SOLID};
    const KVPEN pen{penStyles[lineStyle], width, colour, false};
    KvFrameRect(dc, rect, pen);
    if (lineStyle == FrameDouble) {
        const int d = 2 * width;
        KvFrameRect(dc, {rect.left + d, rect.top + d, rect.right - d, rect.bottom - d}, pen);
    }
}

}  // namespace kvui
