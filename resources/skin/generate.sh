#!/bin/bash
# Draws the skin's pictures again into resources/skin from resources/skin/generator/SkinArt.cpp.
# Usage: resources/skin/generate.sh [build tree]   (default: build/art, made when missing)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tree=${1:-$root/build/art}
if [ ! -f "$tree/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$tree" --target skin_art
# Drawn into a scratch folder first, so a failing generator leaves the committed pictures alone.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$tree/bin/skin_art" "$scratch"
rm -f "$here"/*.png
cp "$scratch"/*.png "$here"/
