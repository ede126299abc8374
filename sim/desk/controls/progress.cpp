// The progress bar.
#include <algorithm>
#include <cmath>
#include "gfx/canvas.h"
#include "sim/desk/controls/control.h"
#include "win/system.h"

namespace sim::desk {
namespace {

struct Progress {
    int lo = 0, hi = 100, pos = 0, step = 10;
};

ControlStates<Progress>& states() {
    static ControlStates<Progress> t;
    return t;
}
Progress& ctl(HWND h) { return states()[h]; }

}  // namespace

LRESULT progressProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (commonMessage(h, msg, wp, lp, &result)) return result;
    Progress& c = ctl(h);
    const auto clampPos = [&](int p) { return std::clamp(p, std::min(c.lo, c.hi), std::max(c.lo, c.hi)); };
    switch (msg) {
    case WM_CREATE:
        c.lo = 0;
        c.hi = 100;
        c.step = 10;
        return 0;
    case PBM_SETRANGE: {
        LRESULT old = MAKELPARAM(WORD(c.lo), WORD(c.hi));
        c.lo = LOWORD(WPARAM(lp));
        c.hi = HIWORD(WPARAM(lp));
        c.pos = clampPos(c.pos);
        return old;
    }
    case PBM_SETRANGE32: {
        LRESULT old = MAKELPARAM(WORD(c.lo), WORD(c.hi));
        c.lo = int(wp);
        c.hi = int(lp);
        c.pos = clampPos(c.pos);
        return old;
    }
    case PBM_GETRANGE: return wp ? c.lo : c.hi;
    case PBM_SETPOS: {
        int old = c.pos;
        c.pos = clampPos(int(wp));
        return old;
    }
    case PBM_DELTAPOS: {
        int old = c.pos;
        c.pos = clampPos(c.pos + int(wp));
        return old;
    }
    case PBM_SETSTEP: {
        int old = c.step;
        c.step = int(wp);
        return old;
    }
    case PBM_STEPIT: {
        // Stepping past the end starts again from the beginning, as the control does.
        int old = c.pos;
        int next = c.pos + c.step;
        c.pos = next > std::max(c.lo, c.hi) ? std::min(c.lo, c.hi) + (next - std::max(c.lo, c.hi)) : clampPos(next);
        return old;
    }
    case PBM_GETPOS: return c.pos;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(h, &ps)) {
            const RECT r = clientOf(h);
            FillSolidRect(dc, r, RGB(230, 230, 230));
            KvFrameRect(dc, r, KVPEN{PS_SOLID, 1, RGB(188, 188, 188)});
            const int span = c.hi - c.lo;
            if (span > 0) {
                const double f = double(c.pos - c.lo) / span;
                const int w = int(std::lround((r.Width() - 2) * f));
                FillSolidRect(dc, RECT{r.left + 1, r.top + 1, r.left + 1 + w, r.bottom - 1}, RGB(6, 176, 37));
            }
        }
        EndPaint(h, &ps);
        return 0;
    }
    default: return 0;
    }
}

std::string describeProgress(HWND h) {
    const Progress c = states().copyOf(h);
    return " pos=" + std::to_string(c.pos) + " range=" + std::to_string(c.lo) + ".." + std::to_string(c.hi);
}

}  // namespace sim::desk
