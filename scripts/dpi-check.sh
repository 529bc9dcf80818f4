#!/usr/bin/env bash
# Runs the composer's geometry tests and photographs every window (the script workbench and its
# import window with a five-line script too) at 96, 144 and 192 DPI, the DPI set through the Wine
# prefix's LogPixels, into build/screenshots/dpi<N>/ (the main window also with its skin menu
# open, in a light and a dark skin); then checks that the main window and the workbench fit a
# 1366 x 768 screen at 144 DPI. Uses the 64-bit build (COMPOSER_DPI_ARCH
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
menu_tests="$(windows_build_dir "$arch")/bin/composer_menus_tests.exe"
workbench_tests="$(windows_build_dir "$arch")/bin/composer_workbench_tests.exe"
failed=0
photograph() {
  local dir=$1 main=52010001
  export SCREENSHOTS=$dir
  rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/CommandComposer/settings.ini
  prepare_workbench_script
  run_wine "$EXE" >/dev/null 2>&1 &
  local composer=$!
  run_wine "$DRIVER" wait-main sleep 1500
  shoot_pages_and_windows
  # The menu bar, closed and with the skin menu open, in the light skin 7 and the dark skin 2.
  shoot_menu 3 menu-light.png
  run_wine "$DRIVER" skin 2 sleep 300
  shoot $main main-dark.png
  shoot_menu 3 menu-dark.png
  run_wine "$DRIVER" skin 7 sleep 300
  # The prompt dialog: 按钮1 with "创建一个Varnel脚本" chosen asks for the script's name.
  run_wine "$DRIVER" page 1 select 16010007 0 prompt 16010008 sleep 500
  local rect x y w h
  rect=$(run_wine "$DRIVER" prompt-rect | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/prompt.png"
  run_wine "$DRIVER" prompt-close sleep 300
  shoot_server_windows
  run_wine "$DRIVER" workbench sleep 500
  shoot_workbench workbench.png
  run_wine "$DRIVER" import '@msg:使用 @command /home 回家' sleep 500
  shoot_workbench import.png import-rect
  run_wine "$DRIVER" import-close sleep 300 workbench-close sleep 300 close $main
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
  if ! run_wine "$menu_tests" --gtest_filter='MenusTest.TheBarTakesItsRoom*'; then
    failed=1
  fi
  if ! COMPOSER_TEST_LAYOUT_DPI=$dpi run_wine "$workbench_tests" \
    --gtest_filter='WorkbenchTest.Layout*:WorkbenchTest.TheKeyboard*'; then
    failed=1
  fi
  photograph "$BUILD/screenshots/dpi$dpi"
done

log "at 144 DPI on a 1366 x 768 screen"
wine_at 144 1366x768
if ! run_wine "$tests" --gtest_filter='MainWindowTest.Captions*:MainWindowTest.WindowMatches*'; then
  failed=1
fi
if ! run_wine "$workbench_tests" --gtest_filter='WorkbenchTest.Layout*'; then
  failed=1
fi
photograph "$BUILD/screenshots/dpi144-small"
exit $failed
