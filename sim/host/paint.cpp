// What the drawing area shows: the current drawing on a dark model-space background, its lines
// fitted to the window, and its name; the start page when that is the active window.
#include <algorithm>
#include <cmath>
#include "gfx/canvas.h"
#include "gfx/font.h"
#include "sim/host/host.h"
#include "sim/desk/windows.h"
#include "sim/host/host_internal.h"

namespace sim::host {
namespace {

HFONT uiFont(int height, int weight = FW_NORMAL) {
    LOGFONT lf;
    lf.lfHeight = -height;
    lf.lfWeight = weight;
    lf.lfFaceName = "DejaVu Sans";
    return CreateFontIndirect(&lf);
}

// Stand-in geometry for drawings made with a number of objects but no explicit lines: a simple
// plan whose shape depends on the file name, so that each drawing looks like itself.
std::vector<std::array<double, 6>> sketch(const SimDocument& doc) {
    std::vector<std::array<double, 6>> lines = doc.db->content.lines;
    if (!lines.empty() || doc.db->content.objects <= 0) return lines;
    unsigned seed = 2166136261u;
    for (char c : doc.path) seed = (seed ^ static_cast<unsigned char>(c)) * 16777619u;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return double((seed >> 8) % 1000) / 10.0;
    };
    lines.push_back({0, 0, 0, 100, 0, 0});
    lines.push_back({100, 0, 0, 100, 70, 0});
    lines.push_back({100, 70, 0, 0, 70, 0});
    lines.push_back({0, 70, 0, 0, 0, 0});
    for (int i = 0; i < doc.db->content.objects; ++i) {
        const double x = next(), y = next() * 0.7;
        if (i % 2) lines.push_back({x, 0, 0, x, y, 0});
        else lines.push_back({0, y, 0, x, y, 0});
    }
    return lines;
}

void paintDrawingArea(HDC dc, const RECT& area) {
    Host& h = Host::get();
    SimDocWindow* win = h.activeWin;
    if (win && !win->doc) {
        FillSolidRect(dc, area, RGB(245, 246, 248));
        HFONT big = uiFont(28, FW_BOLD);
        RECT r = area;
        r.bottom = area.top + area.Height() / 2;
        DrawText(dc, "Start", &r, DT_SINGLELINE | DT_CENTER | DT_BOTTOM, big, RGB(60, 70, 90));
        DeleteObject(big);
        return;
    }
    FillSolidRect(dc, area, RGB(33, 40, 48));
    SimDocument* doc = win ? win->doc : nullptr;
    if (!doc) return;
    const auto lines = sketch(*doc);
    const auto referenced = referencedLines(doc->db->content);
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const auto* set : {&lines, &referenced}) {
        for (const auto& l : *set) {
            minX = std::min({minX, l[0], l[3]});
            maxX = std::max({maxX, l[0], l[3]});
            minY = std::min({minY, l[1], l[4]});
            maxY = std::max({maxY, l[1], l[4]});
        }
    }
    // The drawing's own view when it has one (ZOOM, a view set by an application); otherwise
    // everything fitted.
    const ViewRecord& view = doc->db->content.view;
    double cx = (minX + maxX) / 2, cy = (minY + maxY) / 2, w = maxX - minX, hgt = maxY - minY;
    if (view.set) cx = view.centerX, cy = view.centerY, w = view.width, hgt = view.height;
    w = std::max(w, 1.0);
    hgt = std::max(hgt, 1.0);
    if (!lines.empty() || !referenced.empty()) {
        const double scale = std::min((area.Width() - 120) / w, (area.Height() - 120) / hgt);
        const double ox = area.left + area.Width() / 2.0, oy = area.top + area.Height() / 2.0;
        // Far outside the window a point only needs to stay on its side of it.
        auto pixel = [](double v) { return LONG(std::lround(std::clamp(v, -1e6, 1e6))); };
        auto at = [&](double x, double y) { return POINT{pixel(ox + (x - cx) * scale), pixel(oy - (y - cy) * scale)}; };
        // References are drawn dimmer than the drawing's own objects, as the host fades them.
        for (const auto& l : referenced)
            KvLine(dc, at(l[0], l[1]), at(l[3], l[4]), KVPEN{PS_SOLID, 1, RGB(150, 175, 205), true});
        for (const auto& l : lines) KvLine(dc, at(l[0], l[1]), at(l[3], l[4]), KVPEN{PS_SOLID, 1, RGB(230, 230, 230), true});
    }
    HFONT font = uiFont(13);
    RECT label{area.left + 10, area.bottom - 28, area.right - 10, area.bottom - 8};
    DrawText(dc, doc->docTitle() + (doc->readOnly ? "  [read-only]" : ""), &label, DT_SINGLELINE | DT_LEFT | DT_VCENTER,
             font, RGB(160, 170, 180));
    DeleteObject(font);
}

}  // namespace

// The frame's File Close (as its menu and the close box of a drawing window send it) closes the
// active drawing the way CLOSE does.
constexpr UINT kFileClose = 57602;

void installDrawingAreaPainter() {
    desk::frameCommandHandler() = [](UINT command) {
        if (command != kFileClose) return false;
        Host& h = Host::get();
        if (SimDocument* doc = h.active()) acDocManager->sendStringToExecute(doc, "_CLOSE ", true, false, false);
        return true;
    };
    desk::frameMovedHandler() = [](bool moved) {
        HWND frame = acedGetAcadFrame();
        Host& h = Host::get();
        h.fire(h.edReactors, [&](AcEditorReactor* r) { r->mainFrameMovedOrResized(frame, moved); });
    };
    desk::drawingAreaPainter() = paintDrawingArea;
    desk::statusProgress() = [] {
        const Progress p = progress();
        desk::StatusProgress s;
        s.shown = p.shown;
        s.label = p.label;
        s.fraction = p.maxPos > p.minPos ? double(p.pos - p.minPos) / double(p.maxPos - p.minPos) : 0.0;
        return s;
    };
}

}  // namespace sim::host
