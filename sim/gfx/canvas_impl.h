// Internal to sim/gfx: the canvas record behind an HDC and helpers shared by the drawing files.
#pragma once
#include <cairo.h>

#include <algorithm>
#include <vector>
#include "gfx/canvas.h"

namespace sim::gfx {

struct Canvas {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0;
    int height = 0;
    POINT origin;                 // viewport origin
    std::vector<POINT> saved;     // origins of SaveDC calls (cairo keeps the clip)
};

// The canvas behind a handle, null for an unknown one. Canvases belong to the thread that
// paints with them; the table itself is locked.
Canvas* lookup(HDC dc);

inline void setColour(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// The part of a rectangle (logical coordinates) that can touch the surface, with a pixel to
// spare on each side; false when none does. Painting works on this part only, so that its cost
// follows the surface and not the rectangle, and no size overflows.
inline bool partOnSurface(const Canvas& c, const RECT& r, RECT* out) {
    const long long left = std::max<long long>(r.left, -1LL - c.origin.x);
    const long long top = std::max<long long>(r.top, -1LL - c.origin.y);
    const long long right = std::min<long long>(r.right, c.width + 1LL - c.origin.x);
    const long long bottom = std::min<long long>(r.bottom, c.height + 1LL - c.origin.y);
    if (right <= left || bottom <= top) return false;
    *out = RECT{LONG(left), LONG(top), LONG(right), LONG(bottom)};
    return true;
}

// Prepares the context for exact, non-antialiased pixel filling.
inline void pixelMode(cairo_t* cr) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

}  // namespace sim::gfx
