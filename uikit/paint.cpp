#include "uikit/paint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#include "gfx/bitmap.h"

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

void FrameRounded(HDC dc, const RECT& r, SIZE round, COLORREF colour, int thickness, COLORREF outside) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || thickness < 1) return;
    const double rx = std::max(0.0, std::min<double>(round.cx, w) / 2.0);
    const double ry = std::max(0.0, std::min<double>(round.cy, h) / 2.0);
    // How far a pixel (centre) lies outside the rounded outline, in pixels; negative inside.
    auto outsideBy = [&](int x, int y) {
        const double px = x + 0.5, py = y + 0.5;
        const double cx = px < rx ? rx : px > w - rx ? w - rx : px;
        const double cy = py < ry ? ry : py > h - ry ? h - ry : py;
        if ((cx == px || cy == py) || rx <= 0 || ry <= 0) {
            // Along a straight edge: the distance to the nearest side.
            return -std::min({px, py, w - px, h - py});
        }
        const double dx = (px - cx) / rx, dy = (py - cy) / ry;
        return (std::sqrt(dx * dx + dy * dy) - 1.0) * std::min(rx, ry);
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Only the border band needs looking at.
            if (x >= thickness + int(rx) && x < w - thickness - int(rx) && y >= thickness && y < h - thickness)
                continue;
            if (y >= thickness + int(ry) && y < h - thickness - int(ry) && x >= thickness && x < w - thickness)
                continue;
            const double d = outsideBy(x, y);
            if (d > 0) SetPixel(dc, r.left + x, r.top + y, outside);
            else if (d > -thickness) SetPixel(dc, r.left + x, r.top + y, colour);
        }
    }
}

HBITMAP ShrunkCopy(HBITMAP picture, int maxWidth, int maxHeight) {
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    if (!picture || maxWidth < 1 || maxHeight < 1 || !KvGetBitmapPixels(picture, &w, &h, &pixels) || w < 1 || h < 1)
        return nullptr;
    const double scale = std::min({1.0, double(maxWidth) / w, double(maxHeight) / h});
    const int cw = std::max(1, int(w * scale)), ch = std::max(1, int(h * scale));
    std::vector<std::uint32_t> out(size_t(cw) * size_t(ch));
    for (int y = 0; y < ch; ++y) {
        const int y0 = y * h / ch, y1 = std::max(y0 + 1, (y + 1) * h / ch);
        for (int x = 0; x < cw; ++x) {
            const int x0 = x * w / cw, x1 = std::max(x0 + 1, (x + 1) * w / cw);
            std::uint64_t sum[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const std::uint32_t p = pixels[size_t(sy) * size_t(w) + size_t(sx)];
                    for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 0xFF;
                }
            const std::uint64_t n = std::uint64_t(y1 - y0) * std::uint64_t(x1 - x0);
            std::uint32_t v = 0;
            for (int c = 0; c < 4; ++c) v |= std::uint32_t(sum[c] / n) << (8 * c);
            out[size_t(y) * size_t(cw) + size_t(x)] = v;
        }
    }
    return KvCreateBitmap(cw, ch, out.data());
}

}   // namespace kvui
