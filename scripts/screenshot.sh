#!/usr/bin/env bash
# Builds the composer and photographs it under a Wine virtual desktop: the main window on each of
# its four pages and each secondary window, as PNGs in build/screenshots/.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

install_dependencies
arch=$(preferred_arch)
if [ "$arch" = x64 ]; then
  log "photographing the 64-bit build: $(why_not_32bit)"
else
  log "photographing the 32-bit program"
fi
build_windows "$arch"
unset DISPLAY  # always photograph on a virtual display of our own
ensure_display
start_clock_server
start_wine "$arch" 1200x900

run_wine "$EXE" >/dev/null 2>&1 &
composer=$!
run_wine "$DRIVER" wait-main sleep 1500

main=52010001
shoot $main main.png
for page in 1 2 3 4; do
  run_wine "$DRIVER" page $page
  shoot $main "main-page$page.png"
done
# Page, button, window, file: the five secondary windows.
while read -r page button window file; do
  run_wine "$DRIVER" page "$page" open "$button" "$window"
  shoot "$window" "$file"
  run_wine "$DRIVER" close "$window" sleep 300
done <<'LIST'
1 1601002B 52012BD1 command-list.png
2 16012CBB 52012BD6 item-illustration.png
3 16012D2D 52012BDB condition-illustration.png
3 16010078 52012D30 delay-illustration.png
4 16012D10 52012D18 examples.png
LIST
run_wine "$DRIVER" page 1 close $main
wait "$composer"
