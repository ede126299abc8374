#!/usr/bin/env bash
# The differential oracle: the window-operations scripts of tools/oracle/cases run against a real
# Win32 desktop (the oracle program, cross-compiled with mingw-w64, under Wine on a virtual X
# display) and against the simulated desktop; the two outputs must agree up to the differences
# tools/oracle/compare.py keeps (each documented in docs/simulator.md).
#   scripts/oracle.sh            run every case and compare
#   scripts/oracle.sh pictures   also write the side-by-side dialog pictures into docs/screenshots/
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/oracle
mkdir -p "$out"
start=$(date +%s)

# Wine for a real Win32 desktop, the mingw-w64 C++ cross compiler for the oracle program, and a
# virtual X display to run it on.
bash scripts/deps.sh wine64 g++-mingw-w64-x86-64 xvfb xauth
# The simulator side and the resource module come from the test build (already there after `make test`).
cmake --preset test >/dev/null
cmake --build --preset test -j "${JOBS:-2}" --target korvane-oracle-sim >/dev/null
res=$root/build/test/res/kvres.dll
sim=$root/build/test/tools/oracle/korvane-oracle-sim

# The Windows side, rebuilt when its sources change.
exe=$out/oracle.exe
srcs=(tools/oracle/win32_main.cpp tools/oracle/oracle.cpp tools/oracle/oracle.h)
if [ ! -f "$exe" ] || [ -n "$(find "${srcs[@]}" -newer "$exe")" ]; then
  x86_64-w64-mingw32-g++ -std=c++17 -O1 -Wall -Wextra -Werror -Wno-unused-parameter -Wno-cast-function-type \
    -static -o "$exe" tools/oracle/win32_main.cpp tools/oracle/oracle.cpp -lcomctl32 -lgdi32 -luser32
fi

# One script, one Wine start (starting Wine is the slow part).
script=$out/all.txt
cat tools/oracle/cases/*.txt > "$script"
pictures=()
if [ "${1:-}" = pictures ]; then
  for d in options:244 batch:288 switcher:239; do
    pictures+=("${d%%:*}")
    echo "picture ${d##*:} Z:$out/${d%%:*}-wine.bmp" >> "$script"
  done
fi

wine=${WINE:-}
if [ -z "$wine" ]; then
  for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
    [ -n "$w" ] && [ -x "$w" ] && { wine=$w; break; }
  done
fi
export WINEPREFIX=$out/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/user.reg" ]; then
  # A new prefix: Wine draws window frames itself (there is no window manager on the virtual
  # display), so that screenshots show the dialogs' captions. Its set-up must have ended (the
  # server gone) before the oracle starts.
  timeout 300 xvfb-run -a sh -c "'$wine' reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Decorated /d N /f &&
    '$wine' reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f && '$(dirname "$wine")/wineserver' -w" \
    >/dev/null 2>&1 || true
fi
timeout 600 xvfb-run -a -s "-screen 0 1600x1200x24" "$wine" "$exe" "Z:$res" < "$script" > "$out/wine.txt" 2> "$out/wine.log" || {
  echo "oracle: the Windows side failed (see $out/wine.log)"; tail -5 "$out/wine.log"; exit 1; }
sed -i 's/\r$//' "$out/wine.txt"

# The simulator reads the same script; its pictures are PNG files.
sed "s|^picture \([0-9]*\) Z:\(.*\)-wine.bmp|picture \1 \2-sim.png|" "$script" > "$out/all-sim.txt"
LSAN_OPTIONS=print_suppressions=0 "$sim" "$res" < "$out/all-sim.txt" > "$out/sim.txt"

status=0
python3 tools/oracle/compare.py "$out/wine.txt" "$out/sim.txt" || status=$?
for p in "${pictures[@]}"; do
  python3 tools/oracle/sidebyside.py "$out/$p-wine.bmp" "$out/$p-sim.png" "docs/screenshots/oracle-$p.png"
done
echo "oracle: $(grep -c '^case ' "$script") cases and $(grep -c '^dialog ' "$out/sim.txt") dialogs in $(( $(date +%s) - start )) s"
exit $status
