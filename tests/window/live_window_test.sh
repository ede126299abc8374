#!/usr/bin/env bash
# The live window with a real mouse and keyboard under a virtual X server: click a tab, pick an
# entry of the tab menu, Ctrl+Tab, drag a tab, answer a message box, rest on a tab for its
# tooltip, click in a modal dialog, resize; the result is checked through the transcript, the
# window's trace and a screenshot of the real window.
# usage: live_window_test.sh KORVANE_HOST WORK_DIR     (exit 77: skipped, with the reason)
set -uo pipefail
host=$1 work=$2
skip() { echo "SKIPPED: live window test: $*"; exit 77; }
fail() { echo "FAILED: $*"; echo "--- transcript ---"; cat "$work/out" 2>/dev/null; echo "--- trace ---"; cat "$work/err" 2>/dev/null; exit 1; }
for tool in Xvfb xdotool import compare; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (make deps installs it)"
done
rm -rf "$work" && mkdir -p "$work"

# A free display number, and a server on it.
for n in $(seq 91 120); do [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break; done
Xvfb ":$n" -screen 0 1400x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
pids=($xvfb)
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; wait 2>/dev/null; }
trap cleanup EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.2; done
xdotool getmouselocation >/dev/null 2>&1 || skip "no X server could start (Xvfb :$n)"

KV_WINDOW_TRACE=1 "$host" --window --demo-drawings --root "$work/root" >"$work/out" 2>"$work/err" &
hostpid=$!
pids+=($hostpid)
# Waits until a pattern shows in a file (fixed strings), at most 90 seconds.
wait_for() {
  for _ in $(seq 450); do grep -qF -- "$1" "$2" && return 0; sleep 0.2; done
  fail "timed out waiting for '$1' in $(basename "$2")"
}
wait_for "window: window ready" "$work/err"
grep -q "has no live window" "$work/err" && skip "this build has no live window"
win=$(xdotool search --sync --name "Korvane host" | head -1)
[ -n "$win" ] || fail "no window named Korvane host"

# Centre of tab N in window coordinates, from the last tab layout the window traced.
tab() { grep "window: tabs" "$work/err" | tail -1 | awk -v n=$(($1 + 3)) '{print $n}'; }
move() { local p=$1; xdotool mousemove --window "$win" "${p%,*}" "${p#*,}"; sleep 0.3; }
# Types a line on the window's command line and waits for what it prints.
typed() { xdotool mousemove --window "$win" 600 400; xdotool type --delay 20 "$1"; xdotool key Return; wait_for "$2" "$work/out"; }
tabs_now() { local mark="--- tabs $1 ---"; typed "@print $mark" "$mark"; typed "@tabs" "$mark"; sleep 1; sed -n "/$mark/,\$p" "$work/out" | grep -P '^\d\t'; }

# The demo drawings: plan, section, old site, survey; survey is active.
move "$(tab 0)"; xdotool click 1; sleep 1
tabs_now click | grep -qP '^0\tplan.dwg\tdrawing\tselected' || fail "a click on the first tab did not select plan.dwg"

# Right click on a tab: its menu; the mouse picks "Sort Descending".
move "$(tab 1)"; xdotool click 3
wait_for "Sort Descending" "$work/err"
move "$(grep 'Sort Descending' "$work/err" | tail -1 | awk '{print $3}')"; xdotool click 1
wait_for "[menu] Sort Descending" "$work/out"
order=$(tabs_now sort | cut -f2 | tr '\n' ,)
[ "$order" = "survey.dwg,section.dwg,plan.dwg,old site.dwg," ] || fail "the menu pick did not sort the tabs: $order"

# Ctrl+Tab moves to the next tab.
xdotool key ctrl+Tab; sleep 1
tabs_now ctrltab | grep -qP '^3\told site.dwg\tdrawing\tselected' || fail "Ctrl+Tab did not select the next tab"

# Drag the selected tab onto the first place.
from=$(tab 3) to=$(tab 0)
xdotool mousemove --window "$win" "${from%,*}" "${from#*,}" mousedown 1; sleep 0.3
xdotool mousemove --window "$win" $(( ${from%,*} - 40 )) "${from#*,}"; sleep 0.3
xdotool mousemove --window "$win" $(( ${to%,*} - 20 )) "${to#*,}"; sleep 0.3
xdotool mouseup 1; sleep 1
order=$(tabs_now drag | cut -f2 | tr '\n' ,)
[ "${order%%,*}" = "old site.dwg" ] || fail "dragging the tab to the front did not move it: $order"

# A message box is drawn over the window; its OK button answers a click.
typed "KV_ABOUT" "Command: KV_ABOUT"
wait_for "window: box-button" "$work/err"
move "$(grep 'window: box-button' "$work/err" | tail -1 | awk '{print $3}')"; xdotool click 1
wait_for "(build 3.2.0) -> OK" "$work/out"

# The pointer resting on a tab shows its tooltip after the delay, on the real clock.
move "$(tab 1)"; xdotool mousemove_relative 2 1
wait_for "window: tooltip shown" "$work/err"

# A modal dialog answers the mouse: a tree item shows its page, Cancel closes it.
typed "KV_CFG" "Command: KV_CFG"
wait_for "window: dialog at" "$work/err"
at=$(grep "window: dialog at" "$work/err" | tail -1 | awk '{print $4}')
dx=${at%,*} dy=${at#*,}
xdotool mousemove --window "$win" $((dx + 82)) $((dy + 88)) click 1; sleep 1
typed "@dialog dump" "dialog 244"
wait_for 'sel="Korvane Shape>Tab Style"' "$work/out"
xdotool mousemove --window "$win" $((dx + 542)) $((dy + 410)) click 1
wait_for "-> Cancel" "$work/out"

# Resizing the window resizes the frame; the screenshot is the simulator's own picture.
xdotool windowsize "$win" 1000 640; sleep 2
typed "@snapshot $work/frame.png" "snapshot $work/frame.png"
sleep 1
import -window "$win" "$work/window.png" || fail "no screenshot of the window"
size=$(identify -format '%wx%h' "$work/window.png")
[ "$size" = "1000x640" ] || fail "the screenshot is $size, not the resized 1000x640"
# Everything above the command line (tab bar and drawing) is pixel for pixel the snapshot's.
convert "$work/window.png" -crop 1000x560+0+0 +repage "$work/window-top.png"
convert "$work/frame.png" -crop 1000x560+0+0 +repage "$work/frame-top.png"
diff=$(compare -metric AE "$work/window-top.png" "$work/frame-top.png" null: 2>&1)
[ "${diff%% *}" = "0" ] || fail "the window does not show the simulator's picture ($diff pixels differ)"

typed "@exit" "Command: @exit"
# The program ends by itself, cleanly, while the display is still there.
for _ in $(seq 300); do kill -0 "$hostpid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$hostpid" 2>/dev/null && fail "korvane-host did not end after @exit"
wait "$hostpid"; rc=$?
[ "$rc" = 0 ] || fail "korvane-host ended with $rc"
grep -qE "Sanitizer|runtime error" "$work/err" && fail "the sanitizers reported an error"
echo "live window: click, menu pick, Ctrl+Tab, drag, message box, tooltip, dialog and resize passed (screenshot $work/window.png)"
