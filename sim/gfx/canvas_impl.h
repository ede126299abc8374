// Internal to sim/gfx: the canvas record behind an HDC and helpers shared by the drawing files.
#pragma once
#include <cairo.h>

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

// Prepares the context for exact, non-antialiased pixel filling.
inline void pixelMode(cairo_t* cr) {
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

}  // namespace sim::gfx
