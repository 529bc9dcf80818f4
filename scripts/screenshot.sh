#!/usr/bin/env bash
# Builds the composer and photographs it under a Wine virtual desktop: the main window on each of
# its four pages and each secondary window, as PNGs in build/screenshots/.
# Usage: scripts/screenshot.sh [--main-only]
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

main_only=0
[ "${1:-}" = "--main-only" ] && main_only=1

install_dependencies
build_windows
unset DISPLAY  # always photograph on a virtual display of our own
ensure_display
start_wine

exe="$BUILD/windows/app/composer.exe"
driver="$BUILD/windows/tests/windows/composer_driver.exe"
out="$BUILD/screenshots"
mkdir -p "$out"

wine_desktop 1200x900
wine "$exe" >/dev/null 2>&1 &
composer=$!
wine "$driver" wait-main sleep 1500

# Photographs the window with this identifier into the named file.
shoot() {
  local id=$1 file=$2 rect
  rect=$(wine "$driver" sleep 400 rect "$id" | tr -d '\r')
  read -r x y w h <<<"$rect"
  # The virtual desktop sits at the top left of the X screen.
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$file"
  log "wrote $out/$file"
}

main=52010001
shoot $main main.png
if [ $main_only = 0 ]; then
  for page in 1 2 3 4; do
    wine "$driver" page $page
    shoot $main "main-page$page.png"
  done
  wine "$driver" page 1
  # Button, window, file: the five secondary windows.
  while read -r button window file page; do
    wine "$driver" page "$page" open "$button" "$window"
    shoot "$window" "$file"
    wine "$driver" close "$window" sleep 300
  done <<'LIST'
1601002B 52012BD1 command-list.png 1
16012CBB 52012BD6 item-illustration.png 2
16012D2D 52012BDB condition-illustration.png 3
16010078 52012D30 delay-illustration.png 3
16012D10 52012D18 examples.png 4
LIST
  wine "$driver" page 1
fi
wine "$driver" close $main
wait "$composer"
