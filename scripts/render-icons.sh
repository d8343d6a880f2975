#!/usr/bin/env bash
# Renders the icon sources (src/resources/icons-src/**/*.svg) to the PNGs the program compiles in.
# Needs rsvg-convert (Debian package librsvg2-bin). Run after changing an SVG and commit both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
src="$top/src/resources/icons-src"
dst="$top/src/resources/icons"
find "$src" -name '*.svg' | sort | while read -r svg; do
    rel=${svg#"$src"/}
    out="$dst/${rel%.svg}.png"
    mkdir -p "$(dirname "$out")"
    # An SVG declares its own size (16 or 24 pixels).
    rsvg-convert "$svg" -o "$out"
    echo "$out"
done

# Pictures keep the size their SVG declares.
pics="$top/src/resources/images-src"
find "$pics" -name '*.svg' | sort | while read -r svg; do
    out="$top/src/resources/$(basename "${svg%.svg}").png"
    rsvg-convert "$svg" -o "$out"
    echo "$out"
done

# The application icon in the icon theme's sizes (installed under share/icons/hicolor).
app="$top/src/resources/app"
for size in 16 22 24 32 48 64 128 256; do
    out="$app/hicolor/${size}x${size}/tarvik.png"
    mkdir -p "$(dirname "$out")"
    rsvg-convert -w "$size" -h "$size" "$app/tarvik.svg" -o "$out"
    echo "$out"
done
