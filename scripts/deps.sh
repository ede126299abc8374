#!/usr/bin/env bash
# Installs the Debian packages the build needs (and `file` and `find`, which the scale benchmarks
# measure against), or the packages named as arguments; quick when everything is already present.
set -euo pipefail
pkgs=(cmake ninja-build g++ pkg-config libcairo2-dev libpango1.0-dev libsqlite3-dev
      binutils-mingw-w64-x86-64 nlohmann-json3-dev fonts-dejavu-core fonts-wqy-microhei libgtest-dev libgmock-dev libbenchmark-dev
      clang clang-format libclang-rt-14-dev python3 file findutils
      libsdl2-dev libedit-dev xvfb xdotool imagemagick)
# libsdl2-dev: korvane-host's live window; libedit-dev: line editing at its prompt; xvfb, xdotool
# and imagemagick: the test that drives the live window with a real mouse and keyboard.
[ $# -gt 0 ] && pkgs=("$@")
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
