#!/usr/bin/env bash
# Installs what is missing, builds the composer and starts it under Wine. With a display, the
# composer opens on it and the script waits until it is closed. Without one, it runs on a
# virtual display, writes a screenshot of the main window to build/screenshots/main.png and
# closes it again.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

install_dependencies
build_windows
ensure_display

if [ "$VIRTUAL_DISPLAY" = 0 ]; then
  start_wine off
  log "starting the composer on $DISPLAY"
  wine "$EXE"
  exit 0
fi

start_wine 1200x900
wine "$EXE" >/dev/null 2>&1 &
composer=$!
wine "$DRIVER" wait-main sleep 1500
shoot 52010001 main.png
wine "$DRIVER" close 52010001
wait "$composer"
log "the composer ran and closed with exit code $?"
