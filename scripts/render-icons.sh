#!/usr/bin/env bash
# Renders the PNG sizes of the icon from its SVG (needs rsvg-convert, Debian's librsvg2-bin).
# The PNGs are committed: the build and the tray use them without any SVG support.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }
mkdir -p tugworth.iconset
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" tugworth.svg -o "tugworth.iconset/icon_${size}x${size}.png"
done
