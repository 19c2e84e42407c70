#!/usr/bin/env bash
# Draws the PNG sizes of the program icon from its SVG sources. The PNGs are
# committed, so a build needs no SVG renderer; run this (or `make icons`) after
# changing either SVG. 16 x 16 has its own pixel-grid drawing.
set -euo pipefail
cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing (Debian package librsvg2-bin)" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
    source=pastebasket.svg
    [ "$size" -eq 16 ] && source=pastebasket-16.svg
    rsvg-convert --width "$size" --height "$size" --format png "$source" --output "pastebasket-$size.png"
done
