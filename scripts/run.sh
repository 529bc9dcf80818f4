#!/usr/bin/env bash
# Installs what is missing, builds the composer and starts it under Wine, with its network clock
# asking a small server on loopback that this script starts and stops (the real time, without
# leaving the machine). With a display, the composer opens on it and the script waits until it
# is closed. Without one, it runs on a
# virtual display, writes a screenshot of the main window to build/screenshots/main.png and
# closes it again.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

install_dependencies
arch=$(preferred_arch)
if [ "$arch" = x64 ]; then
  log "running the 64-bit build: $(why_not_32bit)"
else
  log "running the 32-bit program"
fi
build_windows "$arch"
ensure_display
start_clock_server

if [ "$VIRTUAL_DISPLAY" = 0 ]; then
  start_wine "$arch" off
  log "starting the composer on $DISPLAY"
  run_wine "$EXE"
  exit 0
fi

start_wine "$arch" 1200x900
run_wine "$EXE" >/dev/null 2>&1 &
composer=$!
run_wine "$DRIVER" wait-main sleep 1500
shoot 52010001 main.png
run_wine "$DRIVER" close 52010001
wait "$composer"
log "the composer ran and closed with exit code $?"
