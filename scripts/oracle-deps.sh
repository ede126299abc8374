#!/usr/bin/env bash
# Installs what the differential oracle needs besides the build's own packages: Wine to run a real
# Win32 desktop, the mingw-w64 C++ cross compiler for the oracle program and a virtual X display.
# Quick when everything is already present.
set -euo pipefail
pkgs=(wine64 g++-mingw-w64-x86-64 xvfb xauth)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
