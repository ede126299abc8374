// Simulator-side access to the canvases behind platform/gfx/canvas.h: the desktop creates one
// per window surface and composes them; tests read pixels and write PNG files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "gfx/canvas.h"

typedef struct _cairo_surface cairo_surface_t;

namespace sim::gfx {

// A canvas of the given size filled with a colour; null for a size out of range.
HDC createCanvas(int width, int height, COLORREF fill = RGB(255, 255, 255));
// The canvas's image surface (CAIRO_FORMAT_RGB24), owned by the canvas; null for an unknown
// handle. Call cairo_surface_flush before reading its data and cairo_surface_mark_dirty after
// writing it.
cairo_surface_t* canvasSurface(HDC dc);
// Pixels as 0x00RRGGBB, rows top-down; empty for an unknown handle.
std::vector<std::uint32_t> canvasPixels(HDC dc, int* width = nullptr, int* height = nullptr);
bool writePng(HDC dc, const std::string& path);
// Reads a PNG into a new canvas (null when the file is missing or not a PNG).
HDC readPng(const std::string& path);

std::size_t liveCanvasCount();
std::size_t liveFontCount();

// The family that replaces faces missing on the machine; the project installs it
// (Debian fonts-dejavu-core).
constexpr const char* kStandardFace = "DejaVu Sans";
// The family a face name resolves to on this machine. Characters the family lacks (Hangul, Han,
// kana) are drawn from "WenQuanYi Micro Hei" (Debian fonts-wqy-microhei), which the project installs.
std::string resolvedFamily(const std::string& face);

}  // namespace sim::gfx
