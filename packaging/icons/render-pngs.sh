#!/usr/bin/env bash
# Renders the committed PNG icons from vexterm.svg, so the build itself needs no SVG converter.
# Run again after changing the SVG (needs rsvg-convert, Debian's librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert -w "$size" -h "$size" vexterm.svg -o "${size}x${size}/vexterm.png"
done
