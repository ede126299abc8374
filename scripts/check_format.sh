#!/usr/bin/env bash
# Fails when a source file of the plug-in is not formatted as .clang-format says (`clang-format -i`
# on the files it names puts that right).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing (make deps installs it)"; exit 1; }
files=$(find core doctrack hosting menus tabstrip settings uikit batch cadfile -name '*.cpp' -o -name '*.h' | sort)
bad=$(for f in $files; do clang-format --dry-run "$f" 2>&1 | grep -q "warning:" && echo "$f"; done || true)
if [ -n "$bad" ]; then
    echo "not formatted (clang-format -i these):"
    echo "$bad"
    exit 1
fi
echo "format: $(echo "$files" | wc -l) files of the plug-in as .clang-format says"
