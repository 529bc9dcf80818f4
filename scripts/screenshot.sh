#!/usr/bin/env bash
# Builds the composer and photographs it under a Wine virtual desktop: the main window on each of
# its four pages, each secondary window, the colour-code preview over five messages, the helping
# popups beside their rows, the server window and the console log with a loopback remote
# console's answers, the script workbench (with a five-line script) and its import window, and
# the main window (also with its skin menu open), the workbench, the log and the server window in
# a dark and a light skin, as PNGs in build/screenshots/.
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

# Photographs show the program as it first starts: skin 7, centred; the workbench a script saved
# in an earlier run.
rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/CommandComposer/settings.ini
prepare_workbench_script
run_wine "$EXE" >/dev/null 2>&1 &
composer=$!
run_wine "$DRIVER" wait-main sleep 1500

main=52010001
shoot $main main.png
shoot_pages_and_windows
# The preview over three messages as admins write them: an action bar, an item shortage message
# and a level condition with two mistakes in it.
run_wine "$DRIVER" page 2 text 16012CA8 '&a[公告] &e服务器将于&c&l22:00&e重启，请 %player% 提前下线！' \
  focus 16012CA8 sleep 500
shoot_preview preview-action-bar.png
run_wine "$DRIVER" text 16012CBA '&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！' \
  focus 16012CBA sleep 500
shoot_preview preview-item-message.png
run_wine "$DRIVER" page 3 text 16010071 '>=30 &l&c你必须达到30级才能使用它！&z' focus 16010071 sleep 500
shoot_preview preview-level-message.png
# What the checks find under the text: a money amount with a letter O for a zero, and colours
# written as hex codes (two good ones, one cut short).
run_wine "$DRIVER" page 2 text 16012CA5 '10O &c你的金币不足，&#FF8800请先充值' focus 16012CA5 sleep 500
shoot_preview preview-cost-check.png
run_wine "$DRIVER" text 16012CA8 '&#FF5E9A粉色公告 &x&3&3&C&C&F&F天蓝色 &#12345 断掉的代码' \
  focus 16012CA8 sleep 500
shoot_preview preview-hex-colours.png
# The helping popups beside the rows they help with, never over them: the main title's directive
# tip, the preview of the main title, the note at the item row's gate after a click on its
# builder with the gate not selected, and the note at an empty box's copy button.
shoot_popups() {
  local file=$1 rect x y w h dir="${SCREENSHOTS:-$BUILD/screenshots}"
  rect=$(run_wine "$DRIVER" popups-rect | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/$file"
  log "wrote $dir/$file"
}
run_wine "$DRIVER" page 2 point 16012CAD sleep 1000
shoot_popups tip-title-row.png
run_wine "$DRIVER" text 16012CAD '&6&l欢迎来到 &b%server_name%' focus 16012CAD point 16012CAD sleep 500
shoot_popups preview-title-row.png
run_wine "$DRIVER" focus 16012CB3 point 16012CB3 click 16012CBC sleep 300
shoot_popups note-gate.png
run_wine "$DRIVER" text 16010085 '' click 16010088 sleep 300
shoot_popups note-empty-copy.png
shoot_server_windows
# The workbench with the script it restored, and its import window reading a pasted block of glued
# lines (one split there may be part of a message) and an add command.
run_wine "$DRIVER" workbench sleep 500
shoot_workbench workbench.png
run_wine "$DRIVER" import '$cost:100 &c金币不足100，无法领取@console give %player% diamond 5
/vrnl add 每日签到 @msg:&a签到成功！' sleep 500
shoot_workbench import.png import-rect
run_wine "$DRIVER" import-close sleep 300
# A dark and a light skin, chosen from the menu bar, each also with the skin menu open and beside
# the workbench; then back to skin 7, which is remembered.
for skin in 2:dark 5:light; do
  run_wine "$DRIVER" page 1 skin "${skin%%:*}" sleep 300
  shoot $main "skin-${skin#*:}.png"
  shoot_menu 3 "skin-${skin#*:}-menu.png"
  shoot_workbench "workbench-${skin#*:}.png"
  shoot 52015302 "skin-${skin#*:}-console-log.png"
  run_wine "$DRIVER" wopen 52015302 16015322 52015301 sleep 300
  shoot 52015301 "skin-${skin#*:}-server.png"
  run_wine "$DRIVER" close 52015301 sleep 300
done
run_wine "$DRIVER" skin 7 workbench-close sleep 300
run_wine "$DRIVER" page 1 close $main
wait "$composer"
