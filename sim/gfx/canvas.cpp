// Canvases over Cairo image surfaces: the handle table, buffers, origin and clip, pixels,
// rectangles, lines, gradients, bitmaps and PNG files. Text lives in text.cpp, hatch patterns in
// hatch.cpp.
//
// Exactness: everything that GDI draws without antialiasing (fills, frames, 3-D frames,
// non-antialiased lines) is drawn with CAIRO_ANTIALIAS_NONE on whole-pixel geometry, so tests can
// compare pixels exactly.
#include "sim/gfx/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>
#include "sim/gfx/canvas_impl.h"

namespace sim::gfx {
namespace {

constexpr int kMaxSide = 16384;

struct Table {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::unique_ptr<Canvas>> canvases;
    std::uintptr_t next = 0xDC0010;
};

Table& table() {
    static Table* t = new Table;   // never destroyed: canvases may be released during exit
    return *t;
}

void destroy(Canvas& c) {
    if (c.cr) cairo_destroy(c.cr);
    if (c.surface) cairo_surface_destroy(c.surface);
    c.cr = nullptr;
    c.surface = nullptr;
}

// Dash pattern of a pen style in pixels for a pen of width 1; empty for a solid line.
std::vector<double> dashPattern(int style) {
    switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

// Whether position p (in pixels along the path) falls on a dash of the pattern.
bool dashOn(const std::vector<double>& pattern, double period, long p) {
    if (pattern.empty()) return true;
    double at = std::fmod(double(p), period);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (at < pattern[i]) return i % 2 == 0;
        at -= pattern[i];
    }
    return false;
}

// Premultiplied ARGB32 copy of a bitmap's pixels after keying and colour conversion.
cairo_surface_t* bitmapSurface(HBITMAP bitmap, UINT flags) {
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;
    if (!KvGetBitmapPixels(bitmap, &w, &h, &px) || w <= 0 || h <= 0) return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < w; ++x) {
            std::uint32_t p = px[std::size_t(y) * w + x];
            unsigned a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if ((flags & KVBMP_KEYED) && r == 255 && g == 0 && b == 255) {
                row[x] = 0;
                continue;
            }
            if (flags & KVBMP_GREY) {
                unsigned l = (r * 299 + g * 587 + b * 114 + 500) / 1000;
                r = g = b = l;
            } else if (flags & KVBMP_LIGHTEN) {
                r += (255 - r) / 4;
                g += (255 - g) / 4;
                b += (255 - b) / 4;
            }
            r = (r * a + 127) / 255;
            g = (g * a + 127) / 255;
            b = (b * a + 127) / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace

Canvas* lookup(HDC dc) {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.canvases.find(reinterpret_cast<std::uintptr_t>(dc));
    return it == t.canvases.end() ? nullptr : it->second.get();
}

HDC createCanvas(int width, int height, COLORREF fill) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return nullptr;
    auto c = std::make_unique<Canvas>();
    c->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(c->surface) != CAIRO_STATUS_SUCCESS) {
        destroy(*c);
        return nullptr;
    }
    c->cr = cairo_create(c->surface);
    c->width = width;
    c->height = height;
    setColour(c->cr, fill);
    cairo_paint(c->cr);
    Table& t = table();
    std::lock_guard lock(t.mutex);
    std::uintptr_t id = t.next;
    do {
        id += 4;
        if (id > 0xFFFFFFF0u) id = 0xDC0014;
    } while (t.canvases.count(id));
    t.next = id;
    t.canvases.emplace(id, std::move(c));
    return reinterpret_cast<HDC>(id);
}

cairo_surface_t* canvasSurface(HDC dc) {
    Canvas* c = lookup(dc);
    return c ? c->surface : nullptr;
}

std::vector<std::uint32_t> canvasPixels(HDC dc, int* width, int* height) {
    std::vector<std::uint32_t> out;
    Canvas* c = lookup(dc);
    if (width) *width = c ? c->width : 0;
    if (height) *height = c ? c->height : 0;
    if (!c) return out;
    cairo_surface_flush(c->surface);
    const unsigned char* data = cairo_image_surface_get_data(c->surface);
    const int stride = cairo_image_surface_get_stride(c->surface);
    out.resize(std::size_t(c->width) * c->height);
    for (int y = 0; y < c->height; ++y) {
        auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < c->width; ++x) out[std::size_t(y) * c->width + x] = row[x] & 0xFFFFFF;
    }
    return out;
}

bool writePng(HDC dc, const std::string& path) {
    Canvas* c = lookup(dc);
    if (!c) return false;
    cairo_surface_flush(c->surface);
    return cairo_surface_write_to_png(c->surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

HDC readPng(const std::string& path) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    HDC dc = createCanvas(cairo_image_surface_get_width(s), cairo_image_surface_get_height(s));
    if (Canvas* c = lookup(dc)) {
        cairo_set_source_surface(c->cr, s, 0, 0);
        cairo_set_operator(c->cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(c->cr);
        cairo_set_operator(c->cr, CAIRO_OPERATOR_OVER);
    }
    cairo_surface_destroy(s);
    return dc;
}

std::size_t liveCanvasCount() {
    Table& t = table();
    std::lock_guard lock(t.mutex);
    return t.canvases.size();
}

}  // namespace sim::gfx

using sim::gfx::Canvas;
using sim::gfx::lookup;
using sim::gfx::pixelMode;
using sim::gfx::setColour;

HDC KvCreateBufferDC(HDC, int width, int height) { return sim::gfx::createCanvas(width, height); }

BOOL DeleteDC(HDC dc) {
    auto& t = sim::gfx::table();
    std::unique_ptr<Canvas> gone;
    {
        std::lock_guard lock(t.mutex);
        auto it = t.canvases.find(reinterpret_cast<std::uintptr_t>(dc));
        if (it == t.canvases.end()) return FALSE;
        gone = std::move(it->second);
        t.canvases.erase(it);
    }
    sim::gfx::destroy(*gone);
    return TRUE;
}

SIZE KvGetCanvasSize(HDC dc) {
    Canvas* c = lookup(dc);
    return c ? SIZE{c->width, c->height} : SIZE{};
}

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC source, int xSrc, int ySrc, DWORD) {
    Canvas* d = lookup(dest);
    Canvas* s = lookup(source);
    if (!d || !s || cx <= 0 || cy <= 0) return FALSE;
    cairo_surface_t* from = s->surface;
    cairo_surface_t* copy = nullptr;
    if (d == s) {   // overlapping copy within one canvas: go through a snapshot
        copy = cairo_surface_create_similar_image(s->surface, CAIRO_FORMAT_RGB24, s->width, s->height);
        cairo_t* cr = cairo_create(copy);
        cairo_set_source_surface(cr, s->surface, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        from = copy;
    }
    cairo_t* cr = d->cr;
    cairo_save(cr);
    pixelMode(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, from, x - (xSrc + s->origin.x), y - (ySrc + s->origin.y));
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, x, y, cx, cy);
    cairo_fill(cr);
    cairo_restore(cr);
    if (copy) cairo_surface_destroy(copy);
    return TRUE;
}

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous) {
    Canvas* c = lookup(dc);
    if (!c) return FALSE;
    if (previous) *previous = c->origin;
    c->origin = {x, y};
    cairo_identity_matrix(c->cr);
    cairo_translate(c->cr, x, y);
    return TRUE;
}

int SaveDC(HDC dc) {
    Canvas* c = lookup(dc);
    if (!c) return 0;
    cairo_save(c->cr);
    c->saved.push_back(c->origin);
    return int(c->saved.size());
}

BOOL RestoreDC(HDC dc, int saved) {
    Canvas* c = lookup(dc);
    if (!c || saved == 0) return FALSE;
    const int depth = int(c->saved.size());
    const int target = saved < 0 ? depth + saved : saved - 1;   // depth to return to
    if (target < 0 || target >= depth) return FALSE;
    while (int(c->saved.size()) > target) {
        c->origin = c->saved.back();
        c->saved.pop_back();
        cairo_restore(c->cr);
    }
    return TRUE;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom) {
    Canvas* c = lookup(dc);
    if (!c) return ERROR_REGION;
    cairo_rectangle(c->cr, left, top, std::max(0, right - left), std::max(0, bottom - top));
    cairo_clip(c->cr);
    double x1, y1, x2, y2;
    cairo_clip_extents(c->cr, &x1, &y1, &x2, &y2);
    return (x2 <= x1 || y2 <= y1) ? NULLREGION : SIMPLEREGION;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Canvas* c = lookup(dc);
    if (!c) return CLR_INVALID;
    const int dx = x + c->origin.x, dy = y + c->origin.y;
    if (dx < 0 || dy < 0 || dx >= c->width || dy >= c->height) return CLR_INVALID;
    if (!cairo_in_clip(c->cr, x + 0.5, y + 0.5)) return CLR_INVALID;
    cairo_surface_flush(c->surface);
    const unsigned char* data = cairo_image_surface_get_data(c->surface);
    std::uint32_t p;
    std::memcpy(&p, data + std::size_t(dy) * cairo_image_surface_get_stride(c->surface) + std::size_t(dx) * 4, 4);
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    if (GetPixel(dc, x, y) == CLR_INVALID) return CLR_INVALID;
    FillSolidRect(dc, RECT{x, y, x + 1, y + 1}, colour);
    return colour & 0xFFFFFF;
}

void FillSolidRect(HDC dc, const RECT& whole, COLORREF colour) {
    Canvas* c = lookup(dc);
    RECT r;
    if (!c || !sim::gfx::partOnSurface(*c, whole, &r)) return;
    cairo_save(c->cr);
    pixelMode(c->cr);
    setColour(c->cr, colour);
    cairo_rectangle(c->cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(c->cr);
    cairo_restore(c->cr);
}

void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    FillSolidRect(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillSolidRect(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillSolidRect(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillSolidRect(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

void KvFrameRect(HDC dc, const RECT& r, const KVPEN& pen) {
    Canvas* c = lookup(dc);
    if (!c || pen.style == PS_NULL || r.right <= r.left || r.bottom <= r.top) return;
    const int w = std::max(1, pen.width);
    std::vector<double> pattern = sim::gfx::dashPattern(pen.style);
    double period = 0;
    for (double& d : pattern) period += (d *= w);
    cairo_t* cr = c->cr;
    cairo_save(cr);
    pixelMode(cr);
    setColour(cr, pen.colour);
    // Walk the frame clockwise one pixel step at a time and add each run of "on" steps as one
    // rectangle of the side's band; the dash pattern continues round the corners. Only the steps
    // that land on the surface are walked: the others just move the pattern on.
    const long long L = r.left, T = r.top, R = r.right, B = r.bottom;
    const long long x0 = -1LL - c->origin.x, x1 = c->width + 1LL - c->origin.x;
    const long long y0 = -1LL - c->origin.y, y1 = c->height + 1LL - c->origin.y;
    long long p = 0;
    // steps: the side's length; [from, to): the steps on the surface; shows: its band does.
    auto side = [&](long long steps, long long from, long long to, bool shows, auto band) {
        from = std::clamp(from, 0LL, steps);
        to = shows ? std::clamp(to, from, steps) : from;
        long long runStart = -1;
        for (long long i = from; i <= to; ++i) {
            const bool on = i < to && sim::gfx::dashOn(pattern, period, p + i);
            if (on && runStart < 0) runStart = i;
            if (!on && runStart >= 0) {
                band(double(runStart), double(i));
                runStart = -1;
            }
        }
        p += steps;
    };
    const bool topShows = T < y1 && T + w > y0, bottomShows = B - w < y1 && B > y0;
    const bool rightShows = R - w < x1 && R > x0, leftShows = L < x1 && L + w > x0;
    side(R - L, x0 - L, x1 - L, topShows, [&](double a, double b) { cairo_rectangle(cr, L + a, T, b - a, w); });
    side(B - T, y0 - T, y1 - T, rightShows, [&](double a, double b) { cairo_rectangle(cr, R - w, T + a, w, b - a); });
    side(R - L, R - x1, R - x0, bottomShows, [&](double a, double b) { cairo_rectangle(cr, R - b, B - w, b - a, w); });
    side(B - T, B - y1, B - y0, leftShows, [&](double a, double b) { cairo_rectangle(cr, L, B - b, w, b - a); });
    cairo_fill(cr);
    cairo_restore(cr);
}

void KvPolyline(HDC dc, const POINT* points, int count, const KVPEN& pen) {
    Canvas* c = lookup(dc);
    if (!c || !points || count < 2 || pen.style == PS_NULL) return;
    const int w = std::max(1, pen.width);
    cairo_t* cr = c->cr;
    cairo_save(cr);
    cairo_set_antialias(cr, pen.antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, w);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    std::vector<double> pattern = sim::gfx::dashPattern(pen.style);
    for (double& d : pattern) d *= w;
    if (!pattern.empty()) cairo_set_dash(cr, pattern.data(), int(pattern.size()), 0);
    setColour(cr, pen.colour);
    // End points are included: the open ends are pushed out by half a pixel.
    auto extend = [](POINT from, POINT to, double* x, double* y) {
        double dx = to.x - from.x, dy = to.y - from.y, len = std::hypot(dx, dy);
        *x = to.x + 0.5 + (len > 0 ? 0.5 * dx / len : 0.5);
        *y = to.y + 0.5 + (len > 0 ? 0.5 * dy / len : 0);
    };
    double x, y;
    extend(points[1], points[0], &x, &y);
    cairo_move_to(cr, x, y);
    for (int i = 1; i + 1 < count; ++i) cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
    extend(points[count - 2], points[count - 1], &x, &y);
    cairo_line_to(cr, x, y);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void KvLine(HDC dc, POINT from, POINT to, const KVPEN& pen) {
    const POINT pts[2] = {from, to};
    KvPolyline(dc, pts, 2, pen);
}

void KvGradientFill(HDC dc, const RECT& r, const COLORREF* colours, const float* positions, int count,
                    DWORD mode) {
    Canvas* c = lookup(dc);
    RECT shown;
    if (!c || !colours || count < 1 || !sim::gfx::partOnSurface(*c, r, &shown)) return;
    if (count == 1) return FillSolidRect(dc, r, colours[0]);
    // From the centre of the first pixel to the centre of the last one, so that the end colours
    // are exact.
    const double x0 = r.left + 0.5, y0 = r.top + 0.5;
    const double w1 = double(r.right) - r.left - 1, h1 = double(r.bottom) - r.top - 1;
    cairo_pattern_t* g;
    if (mode == KV_GRADIENT_DIAGONAL) {
        const double d = (w1 + h1) / 2;   // isolines at 45 degrees, corner to corner
        g = cairo_pattern_create_linear(x0, y0, x0 + d, y0 + d);
    } else if (mode == GRADIENT_FILL_RECT_V) {
        g = cairo_pattern_create_linear(x0, y0, x0, y0 + h1);
    } else {
        g = cairo_pattern_create_linear(x0, y0, x0 + w1, y0);
    }
    for (int i = 0; i < count; ++i) {
        const double at = positions ? std::clamp(double(positions[i]), 0.0, 1.0) : double(i) / (count - 1);
        cairo_pattern_add_color_stop_rgb(g, at, GetRValue(colours[i]) / 255.0, GetGValue(colours[i]) / 255.0,
                                         GetBValue(colours[i]) / 255.0);
    }
    cairo_pattern_set_extend(g, CAIRO_EXTEND_PAD);
    cairo_save(c->cr);
    pixelMode(c->cr);
    cairo_set_source(c->cr, g);
    cairo_rectangle(c->cr, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top);
    cairo_fill(c->cr);
    cairo_restore(c->cr);
    cairo_pattern_destroy(g);
}

BOOL KvDrawBitmap(HDC dc, int x, int y, int cx, int cy, HBITMAP bitmap, int xSrc, int ySrc, int cxSrc,
                  int cySrc, UINT flags) {
    Canvas* c = lookup(dc);
    if (!c) return FALSE;
    cairo_surface_t* img = sim::gfx::bitmapSurface(bitmap, flags);
    if (!img) return FALSE;
    const int bw = cairo_image_surface_get_width(img), bh = cairo_image_surface_get_height(img);
    // Keep the source rectangle inside the bitmap.
    const int sx0 = std::clamp(xSrc, 0, bw), sy0 = std::clamp(ySrc, 0, bh);
    const int sx1 = std::clamp(xSrc + cxSrc, 0, bw), sy1 = std::clamp(ySrc + cySrc, 0, bh);
    const RECT dest{x, y, LONG(std::min<long long>(0x7FFFFFFF, 0LL + x + cx)), LONG(std::min<long long>(0x7FFFFFFF, 0LL + y + cy))};
    RECT shown;
    if (cx > 0 && cy > 0 && sx1 > sx0 && sy1 > sy0 && sim::gfx::partOnSurface(*c, dest, &shown)) {
        cairo_surface_t* part = cairo_surface_create_for_rectangle(img, sx0, sy0, sx1 - sx0, sy1 - sy0);
        const double scaleX = double(cx) / (sx1 - sx0), scaleY = double(cy) / (sy1 - sy0);
        cairo_t* cr = c->cr;
        cairo_save(cr);
        cairo_rectangle(cr, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top);
        cairo_clip(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, scaleX, scaleY);
        cairo_set_source_surface(cr, part, 0, 0);
        const bool same = cx == sx1 - sx0 && cy == sy1 - sy0;
        cairo_pattern_set_filter(cairo_get_source(cr), same ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BEST);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(part);
    }
    cairo_surface_destroy(img);
    return TRUE;
}

BOOL KvDrawBitmap(HDC dc, int x, int y, HBITMAP bitmap, UINT flags) {
    BITMAP info;
    if (!GetObject(bitmap, &info)) return FALSE;
    return KvDrawBitmap(dc, x, y, info.bmWidth, info.bmHeight, bitmap, 0, 0, info.bmWidth, info.bmHeight, flags);
}

BOOL KvDrawBitmapFit(HDC dc, const RECT& r, HBITMAP bitmap, UINT flags) {
    BITMAP info;
    if (!GetObject(bitmap, &info) || r.right <= r.left || r.bottom <= r.top) return FALSE;
    const double scale = std::min(double(r.right - r.left) / info.bmWidth, double(r.bottom - r.top) / info.bmHeight);
    const int w = std::max(1, int(std::lround(info.bmWidth * scale)));
    const int h = std::max(1, int(std::lround(info.bmHeight * scale)));
    const int x = r.left + (r.right - r.left - w) / 2, y = r.top + (r.bottom - r.top - h) / 2;
    return KvDrawBitmap(dc, x, y, w, h, bitmap, 0, 0, info.bmWidth, info.bmHeight, flags);
}
