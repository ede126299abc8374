#!/usr/bin/env python3
"""Compares the oracle's output from a real Win32 desktop (Wine) with the simulator's.

Both outputs come from the same script, so they have the same lines in the same order. A line
that differs is either explained by one of the kept differences below (each documented in
docs/simulator.md, "Checked against a real desktop") or reported. Exit status 1 when any
difference is unexplained.

Usage: compare.py WINE.txt SIM.txt
"""
import re
import sys
from collections import Counter

WS_VSCROLL, WS_HSCROLL, WS_BORDER = 0x00200000, 0x00100000, 0x00800000
WS_CLIPSIBLINGS = 0x04000000
WS_EX_NOPARENTNOTIFY, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE = 0x4, 0x200, 0x20000
SS_ETCHEDHORZ = 0x10
TCS_VERTICAL, TCS_FIXEDWIDTH = 0x80, 0x400
MF_SEPARATOR, MF_GRAYED_DISABLED = 0x800, 0x3

# The kept differences: name -> why the simulator keeps its own behaviour.
KEPT = {
    "row-margin": "the real row starts 2 pixels in from the control's edges (room for the selected "
                  "tab to grow); the simulator's row touches them. Widths and heights agree.",
    "scrolled-off": "a tab scrolled out of a row reports an empty rectangle on Windows; the "
                    "simulator reports where it would be, left of the control. Neither is hit.",
    "arrows-up-front": "the simulator creates the arrows with the control and hides them; Windows "
                       "creates them when first needed, and never for vertical bars.",
    "vertical-columns": "multi-line vertical bars: Windows stretches each column to the bar's "
                        "height and moves the selected tab's column next to the page; the "
                        "simulator keeps tabs at their own length, in order. Hit testing agrees "
                        "with each desktop's own rectangles.",
    "vertical-scroll": "a vertical bar whose columns do not fit in its width: Windows stacks them "
                       "past the control's edge with no arrows (tabs there cannot be clicked); the "
                       "simulator scrolls one column with an up-down pair, so every tab stays "
                       "reachable.",
    "row-position": "Windows keeps a row's scroll position when tabs are deleted or the control "
                    "grows, so the row may end short of the arrows with tabs hidden on the left; "
                    "the simulator brings the row back to end beside the arrows.",
    "caption-row-height": "with no item size set, the row height comes from the font: the "
                          "simulator adds the vertical padding twice, Windows once.",
    "stale-scroll": "after deleting tabs Wine keeps the scroll position even past the last tab "
                    "(showing none); the simulator brings the row back.",
    "fixed-min-width": "with TCS_FIXEDWIDTH Wine ignores the minimum tab width; the simulator "
                       "applies it, as the plug-in's fixed-width option expects.",
    "dialog-exstyle": "Windows gives every dialog control WS_EX_NOPARENTNOTIFY and turns "
                      "WS_BORDER into WS_EX_CLIENTEDGE; the simulator keeps the template's bits.",
    "scrollbar-bits": "Windows sets WS_VSCROLL/WS_HSCROLL only while a scroll bar shows; the "
                      "simulator keeps the template's bits.",
    "tab-clipsiblings": "comctl32 adds WS_CLIPSIBLINGS to a tab control.",
    "integral-height": "a list box without LBS_NOINTEGRALHEIGHT is shortened to whole items.",
    "etched-line": "an SS_ETCHEDHORZ line is 2 pixels wider on Windows, with WS_EX_STATICEDGE.",
    "progress-frame": "a progress bar draws its own frame on Windows and drops WS_BORDER.",
    "separator-grey": "Windows reports a template separator as greyed and disabled.",
    "first-selected": "Windows selects the first tab inserted into an empty control; the simulator "
                      "leaves none (the plug-in's link tabs open on the click that selects them).",
}

NUM = re.compile(r"-?\d+")


def ints(text):
    return [int(x) for x in NUM.findall(text)]


class Comparison:
    def __init__(self):
        self.used = Counter()
        self.unexplained = []
        self.case = ""
        self.style = 0
        self.last_op = ""
        self.min_width_set = False
        self.unselected = False
        self.columns_scroll = False   # the simulator scrolls one column where Windows stacks columns
        self.row_behind = False       # the simulator's row rests further back than the Windows one
        self.row_offset = None        # then: how far, in pixels, where both show a tab
        self.count_n = self.sel = 0
        self.items = ({}, {})         # this block's tabs: index -> rectangle and hit, Windows and simulator
        self.arrows_left = (None, None)

    def keep(self, rule):
        self.used[rule] += 1
        return True

    def line(self, n, w, s):
        kind = w.split(" ", 1)[0]
        if kind in ("case", "dialog", "menu"):
            self.case = w
            self.min_width_set = False
        elif kind == "minwidth":
            self.min_width_set = True
        elif kind in ("tab", "style"):
            self.style = int(w.split()[1], 16)
        if kind in ("insert", "delete", "select", "size", "click", "clicktab", "scroll", "step"):
            self.last_op = w if kind != "step" else w.split(": ", 1)[1]
        if kind == "count" and w.split()[3] == s.split()[3]:
            self.unselected = False   # the selections agree again
        if kind == "count" and s.startswith("count"):
            self.count_n, self.sel = int(w.split()[1]), int(s.split()[3])
            self.columns_scroll = self.row_behind = False
            self.row_offset = None
            self.items = ({}, {})
        elif kind == "arrows" and s.startswith("arrows"):
            self.arrows_left = tuple(int(v.split()[2]) if v.split()[1] == "visible" else None for v in (w, s))
        elif kind == "item" and s.startswith("item"):
            a, b = ints(w), ints(s)
            self.items[0][a[0]], self.items[1][b[0]] = a, b
            if self.row_behind and b[0] == self.count_n - 1 and not self.rows_sound():
                self.unexplained.append((n, self.case, w, s + "   (a row left short of its arrows, or the selection out of view)"))
        if w == s:
            return
        explained = False
        if kind == "count" and s.startswith("count"):
            explained = self.count(w, s)
        elif kind == "arrows" and s.startswith("arrows"):
            explained = self.arrows(w, s)
        elif kind == "item" and s.startswith("item"):
            explained = self.item(w, s)
        elif kind == "control" and s.startswith("control"):
            explained = self.control(w, s)
        elif kind == "entry" and s.startswith("entry"):
            explained = self.entry(w, s)
        elif kind == "select" and s.startswith("select"):
            explained = (s.rsplit(" ", 1)[1] == "-1" and (w.rsplit(" ", 1)[1] == "0" or self.unselected)
                         and self.keep("first-selected"))
        if not explained:
            self.unexplained.append((n, self.case, w, s))

    def count(self, w, s):
        wv, sv = w.split(), s.split()
        fields_w, fields_s = dict(zip(wv[::2], wv[1::2])), dict(zip(sv[::2], sv[1::2]))
        for key in set(fields_w) | set(fields_s):
            a, b = fields_w.get(key), fields_s.get(key)
            if a == b:
                continue
            if key == "sel" and b == "-1" and (a == "0" or self.unselected):
                # The tab Windows selected by itself, wherever inserts moved it since.
                self.unselected = self.keep("first-selected")
            elif key == "rows" and self.style & TCS_VERTICAL:
                self.keep("vertical-columns")
                self.columns_scroll = b == "1" and int(a) > 1
            elif key == "first" and int(a) > int(b):
                # Checked at the block's last tab: the simulator's row cannot go further.
                self.row_behind = self.keep("row-position")
            elif key == "first" and self.last_op.startswith("delete"):
                self.keep("stale-scroll")
            else:
                return False
        return True

    def arrows(self, w, s):
        ws, ss = w.split()[1], s.split()[1]
        if {ws, ss} == {"none", "hidden"}:
            return self.keep("arrows-up-front")
        if ss == "visible" and self.style & TCS_FIXEDWIDTH and self.min_width_set:
            return self.keep("fixed-min-width")   # wider tabs that no longer fit
        if ws == "none" and ss == "visible" and self.columns_scroll:
            return self.keep("vertical-scroll")
        return False

    def rows_sound(self):
        """Where the two rows rest apart: the simulator's could not come back by one more tab, and
        both show the selected tab whole beside their arrows."""
        sim, arrows = self.items[1], self.arrows_left[1]
        last = sim.get(self.count_n - 1)
        shown = [i for i, r in sim.items() if r[3] > 0]
        before = sim.get(min(shown) - 1) if shown else None
        if last is None or arrows is None or before is None or last[3] - before[1] <= arrows:
            return False
        if self.sel < 0:
            return True
        for rects, right, margin in ((self.items[0], self.arrows_left[0], 2), (sim, arrows, 0)):
            r = rects.get(self.sel)
            if r is None or right is None or r[1] < 0 or r[3] > right + margin:
                return False
        return True

    def item(self, w, s):
        a, b = ints(w), ints(s)   # index, left, top, right, bottom, hit
        if a[0] != b[0]:
            return False
        if self.style & TCS_VERTICAL:
            # Each desktop hits a tab at its own centre; the rectangles differ by design.
            return a[5] in (a[0], -1) and b[5] in (b[0], -1) and self.keep("vertical-columns")
        w_off = a[1] == a[3]
        s_off = b[3] <= 0
        if w_off or s_off:
            if w_off and not s_off and self.row_behind:
                return a[5] == -1 and b[5] == b[0] and self.keep("row-position")
            if w_off and not s_off and self.last_op.startswith("delete"):
                return self.keep("stale-scroll")
            return w_off and s_off and self.keep("scrolled-off")
        if a[5] != b[5]:
            return False
        if self.row_behind and a[3] - a[1] == b[3] - b[1] and a[5] == a[0]:
            # Both show the tab, the Windows row further on by the same distance for every tab.
            offset = (a[1] - b[1], a[2] - b[2])
            if self.row_offset is None:
                self.row_offset = offset
            return offset == self.row_offset and self.keep("row-position")
        wa, ha = a[3] - a[1], a[4] - a[2]
        wb, hb = b[3] - b[1], b[4] - b[2]
        if wa != wb:
            # The simulator's tabs are wider only by a minimum width it applies to fixed widths.
            return bool(self.style & TCS_FIXEDWIDTH) and wb > wa and a[5] == b[5] and self.keep("fixed-min-width")
        if abs(a[1] - b[1]) > 2 or abs(a[2] - b[2]) > 3:
            return False
        if ha != hb:
            return abs(ha - hb) <= 3 and self.keep("caption-row-height")
        return self.keep("row-margin")

    def control(self, w, s):
        wv, sv = w.split(" ", 9), s.split(" ", 9)   # control id class style exstyle l t r b "text"
        if wv[1:3] != sv[1:3] or wv[9] != sv[9]:
            return False
        cls = wv[2]
        ws, ss, we, se = int(wv[3], 16), int(sv[3], 16), int(wv[4], 16), int(sv[4], 16)
        if ws != ss:
            diff = ws ^ ss
            if diff & (WS_VSCROLL | WS_HSCROLL):
                self.keep("scrollbar-bits")
                diff &= ~(WS_VSCROLL | WS_HSCROLL)
            if diff & WS_BORDER and ss & WS_BORDER and we & WS_EX_CLIENTEDGE:
                diff &= ~WS_BORDER
            if diff == WS_CLIPSIBLINGS and cls == "SysTabControl32":
                self.keep("tab-clipsiblings")
                diff = 0
            if diff == WS_BORDER and cls == "msctls_progress32" and ss & WS_BORDER:
                self.keep("progress-frame")
                diff = 0
            if diff:
                return False
        if we != se:
            extra = we & ~se
            if extra & WS_EX_STATICEDGE and cls == "Static" and ws & 0x1F == SS_ETCHEDHORZ:
                self.keep("etched-line")
                extra &= ~WS_EX_STATICEDGE
            if se & ~we or extra & ~(WS_EX_NOPARENTNOTIFY | WS_EX_CLIENTEDGE):
                return False
            self.keep("dialog-exstyle")
        ra, rb = [int(x) for x in wv[5:9]], [int(x) for x in sv[5:9]]
        if ra != rb:
            if cls == "ListBox" and ra[:3] == rb[:3] and ra[3] <= rb[3]:
                return self.keep("integral-height")
            if cls == "Static" and ra[:2] == rb[:2] and ra[3] == rb[3] and abs(ra[2] - rb[2]) <= 2:
                return self.keep("etched-line")
            return False
        return True

    def entry(self, w, s):
        wv, sv = w.split(), s.split()
        a, b = int(wv[1], 16), int(sv[1], 16)
        if wv[2:] == sv[2:] and a & MF_SEPARATOR and a == b | MF_GRAYED_DISABLED:
            return self.keep("separator-grey")
        return False


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        wine = f.read().splitlines()
    with open(sys.argv[2], encoding="utf-8") as f:
        sim = f.read().splitlines()
    c = Comparison()
    for n, (w, s) in enumerate(zip(wine, sim), 1):
        c.line(n, w, s)
    if len(wine) != len(sim):
        c.unexplained.append((min(len(wine), len(sim)) + 1, c.case, "(%d lines)" % len(wine), "(%d lines)" % len(sim)))
    errors = [l for l in wine + sim if l.startswith("error ")]
    for e in errors:
        print("oracle: script " + e)
    print("oracle: %d lines compared, %d kept differences, %d unexplained"
          % (len(wine), sum(c.used.values()), len(c.unexplained)))
    for rule, n in sorted(c.used.items()):
        print("  kept %-20s %5d  %s" % (rule, n, KEPT[rule].split(";")[0].split(".")[0]))
    for n, case, w, s in c.unexplained[:40]:
        print("line %d (%s)\n  windows:   %s\n  simulator: %s" % (n, case, w, s))
    if len(c.unexplained) > 40:
        print("... and %d more" % (len(c.unexplained) - 40))
    return 1 if c.unexplained or errors else 0


if __name__ == "__main__":
    sys.exit(main())
