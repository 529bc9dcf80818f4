#!/usr/bin/env bash
# Draws the program's icon: one 128 x 128 image with 32-bit colour (alpha included).
# Needs ImageMagick and the WenQuanYi Micro Hei font; the result is committed as program.ico.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A rounded tile in a blue-green gradient with a white 岚 and a small command prompt mark.
convert -size 128x128 xc:none \
  \( -size 120x120 gradient:'#1f7a8c'-'#0b3c5d' \) -geometry +4+4 -composite \
  "$tmp/tile.png"
convert -size 128x128 xc:none -fill white -draw 'roundrectangle 4,4 123,123 22,22' "$tmp/mask.png"
convert "$tmp/tile.png" "$tmp/mask.png" -compose DstIn -composite "$tmp/rounded.png"
convert "$tmp/rounded.png" \
  -font "$font" -pointsize 78 -fill white -gravity center -annotate +0-6 '岚' \
  -font DejaVu-Sans-Mono-Bold -pointsize 22 -fill '#ffd166' -gravity southeast -annotate +12+8 '/>_' \
  -define png:color-type=6 "$tmp/icon.png"
convert "$tmp/icon.png" -type TrueColorAlpha -define icon:auto-resize=128 program.ico
echo "wrote $(pwd)/program.ico"
