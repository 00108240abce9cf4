#!/bin/sh
# Draws the program's icon (velnook.ico beside this script): a dark green
# tile with a white V, at 16, 32 and 48 pixels. Needs ImageMagick.
set -e
cd "$(dirname "$0")"
tmp=$(mktemp -d)
for size in 16 32 48; do
  radius=$((size / 5))
  point=$((size * 3 / 4))
  convert -size ${size}x${size} xc:none -fill '#006600' \
    -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $radius,$radius" \
    -fill white -font Liberation-Sans-Bold -pointsize $point -gravity center \
    -annotate +0+0 V "$tmp/v$size.png"
done
convert "$tmp/v16.png" "$tmp/v32.png" "$tmp/v48.png" velnook.ico
rm -rf "$tmp"
