#!/usr/bin/env bash
# Photographs the composer's main window in each of the 34 skins and joins the photographs into
# one contact sheet. Run from a shell that has a Wine prefix and display ready (as
# scripts/screenshot.sh prepares them):
#   app/tools/contact_sheet.sh WINE BUILD_BIN OUT_DIR
# WINE runs a Windows program; BUILD_BIN holds skin_gallery.exe and composer_driver.exe.
set -euo pipefail
wine=$1 bin=$2 out=$3
# The gallery shows the main window, whose clock asks this address instead of its public one.
export COMPOSER_CLOCK_URL=http://127.0.0.1:18080/
mkdir -p "$out/skins"
for number in $(seq 1 34); do
  "$wine" "$bin/skin_gallery.exe" "$number" >/dev/null 2>&1 &
  gallery=$!
  "$wine" "$bin/composer_driver.exe" wait-main sleep 800 >/dev/null
  rect=$("$wine" "$bin/composer_driver.exe" rect 52010001 | tr -d '\r')
  read -r x y w h <<<"$rect"
  file=$(printf '%s/skins/skin%02d.png' "$out" "$number")
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
  "$wine" "$bin/composer_driver.exe" close 52010001 >/dev/null
  wait "$gallery" || true
done
# Each photograph labelled with its skin's number, when a font for the labels is at hand.
font=$(fc-match -f '%{file}' 'DejaVu Sans' 2>/dev/null || true)
labels=()
if [ -n "$font" ] && [ -f "$font" ]; then labels=(-font "$font" -pointsize 18 -label '%t'); fi
montage "${labels[@]}" "$out"/skins/skin*.png -tile 5x -geometry 440x264+6+6 \
  -background '#808080' "$out/skins-contact-sheet.png"
echo "wrote $out/skins-contact-sheet.png"
