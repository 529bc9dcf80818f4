#!/usr/bin/env bash
# Runs the composer's geometry tests and photographs every window at 96, 144 and 192 DPI, the
# DPI set through the Wine prefix's LogPixels, into build/screenshots/dpi<N>/; then checks that
# the main window fits a 1366 x 768 screen at 144 DPI. Uses the 64-bit build (COMPOSER_DPI_ARCH
# to change). Give DPIs as arguments to run only those. Expects the dependencies installed
# (scripts/install-deps.sh).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
# The prefix is shared with the other Windows tests, which expect 96 DPI: set it back at the end.
set_dpi() {
  run_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  run_wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
}
finish() {
  if [ "${WINE_STARTED:-0}" = 1 ]; then set_dpi 96 || true; fi
  stop_background
}
trap finish EXIT

arch=${COMPOSER_DPI_ARCH:-x64}
build_windows "$arch"
export COMPOSER_CLOCK_URL="${COMPOSER_CLOCK_URL:-http://127.0.0.1:9/}"

# A screen large enough for the main window at 200 %.
unset DISPLAY
for n in $(seq 170 230); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 2400x1500x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  break
done

# A prefix at dpi with a virtual desktop of the given size.
wine_at() {
  local dpi=$1 desktop=$2
  start_wine "$arch" "$desktop"
  set_dpi "$dpi"
  start_wine "$arch" "$desktop"  # the DPI is read when Wine starts
}

tests="$(windows_build_dir "$arch")/bin/composer_win_tests.exe"
failed=0
photograph() {
  local dir=$1 main=52010001
  export SCREENSHOTS=$dir
  rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/CommandComposer/settings.ini
  run_wine "$EXE" >/dev/null 2>&1 &
  local composer=$!
  run_wine "$DRIVER" wait-main sleep 1500
  shoot_pages_and_windows
  # The prompt dialog: 按钮1 with "创建一个Varnel脚本" chosen asks for the script's name.
  run_wine "$DRIVER" page 1 select 16010007 0 prompt 16010008 sleep 500
  local rect x y w h
  rect=$(run_wine "$DRIVER" prompt-rect | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/prompt.png"
  run_wine "$DRIVER" prompt-close sleep 300
  shoot_server_windows
  run_wine "$DRIVER" close $main
  wait "$composer" || true
}

dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144 192)
for dpi in "${dpis[@]}"; do
  log "at $dpi DPI"
  wine_at "$dpi" 2300x1400
  if ! COMPOSER_TEST_LAYOUT_DPI=$dpi run_wine "$tests" \
    --gtest_filter='MainWindowTest.WindowMatchesItsDescription:MainWindowTest.Captions*:MainWindowTest.DpiChange*:KeyboardTest.*'; then
    failed=1
  fi
  photograph "$BUILD/screenshots/dpi$dpi"
done

log "at 144 DPI on a 1366 x 768 screen"
wine_at 144 1366x768
if ! run_wine "$tests" --gtest_filter='MainWindowTest.Captions*:MainWindowTest.WindowMatches*'; then
  failed=1
fi
photograph "$BUILD/screenshots/dpi144-small"
exit $failed
