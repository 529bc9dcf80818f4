#!/usr/bin/env bash
# Builds the composer and photographs it under a Wine virtual desktop: the main window on each of
# its four pages, each secondary window, the colour-code preview over three messages, and the main
# window in a dark and a light skin, each also with its skin menu open, as PNGs in
# build/screenshots/.
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

# Photographs show the program as it first starts: skin 7, centred.
rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/CommandComposer/settings.ini
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
# A dark and a light skin, chosen from the menu bar, each also with the skin menu open; then back
# to skin 7, which is remembered.
for skin in 2:skin-dark 5:skin-light; do
  run_wine "$DRIVER" page 1 skin "${skin%%:*}" sleep 300
  shoot $main "${skin#*:}.png"
  shoot_menu 1 "${skin#*:}-menu.png"
done
run_wine "$DRIVER" skin 7
run_wine "$DRIVER" page 1 close $main
wait "$composer"
