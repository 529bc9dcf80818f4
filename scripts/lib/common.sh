# Shared by the scripts: paths, building, a display and a Wine prefix for running the program.
# Source it; it defines functions and changes nothing until they are called.
#
# Two Windows builds come from the same sources: i686 (build/windows, the program as shipped)
# and x64 (build/windows-x64), which runs where the machine runs no 32-bit code at all.
# COMPOSER_BUILD moves the whole build tree elsewhere (several checkouts or people side by side).

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD="${COMPOSER_BUILD:-$ROOT/build}"
JOBS=$(nproc 2>/dev/null || echo 2)

# Every build carries the clock's public address. Nothing these scripts start may talk to it:
# start_wine exports COMPOSER_CLOCK_URL, which replaces the built-in address at run time, so every
# Wine process of a run (the composer, the tests, the benchmarks) asks this loopback address
# (where run.sh and the tests start servers of their own). A loopback address the caller set is
# kept; any other is replaced.
LOCAL_CLOCK_URL=http://127.0.0.1:18080/
case "${COMPOSER_CLOCK_URL:-}" in
  http://127.0.0.1:*/*) LOCAL_CLOCK_URL=$COMPOSER_CLOCK_URL ;;
esac

WINE64_LOADER=/usr/lib/wine/wine64
WINE32_LOADER=/usr/lib/wine/wine

log() { printf '==> %s\n' "$*" >&2; }

install_dependencies() {
  "$ROOT/scripts/install-deps.sh"
}

# The native build: portable code with AddressSanitizer and UBSan, for the unit tests.
build_native() {
  log "building native code"
  cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$BUILD/native" -j "$JOBS"
}

# The fuzz targets: a native clang build with libFuzzer, AddressSanitizer and UBSan.
build_fuzzers() {
  log "building the fuzzers"
  CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD/fuzz" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOMPOSER_FUZZ=ON >/dev/null
  cmake --build "$BUILD/fuzz" -j "$JOBS" --target fuzzers
}

# Where each architecture's Windows build lives.
windows_build_dir() {
  case "$1" in
    i686) echo "$BUILD/windows" ;;
    x64) echo "$BUILD/windows-x64" ;;
    *) echo "unknown architecture '$1'" >&2; return 1 ;;
  esac
}

# A Windows build: composer.exe, its DLLs and its tests, cross-compiled for i686 or x64.
build_windows() {
  local arch=$1 toolchain
  case "$arch" in
    i686) toolchain=mingw-i686.cmake ;;
    x64) toolchain=mingw-x86_64.cmake ;;
  esac
  "$ROOT/scripts/fetch-libpng.sh"
  log "building the Windows program ($arch)"
  # -U: a build tree from before keeps no loopback address in its cache; the public one applies.
  cmake -S "$ROOT" -B "$(windows_build_dir "$arch")" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" -UCOMPOSER_CLOCK_URL "${@:2}" >/dev/null
  cmake --build "$(windows_build_dir "$arch")" -j "$JOBS"
}

# Whether this machine runs 32-bit programs, found by starting one: some kernels refuse them
# ("Exec format error"). Prints the reason on standard output when it does not.
# COMPOSER_WINE32_PROBE names another program to try (to exercise the refusal path).
WINE32_REFUSAL=""
machine_runs_32bit() {
  local probe="${COMPOSER_WINE32_PROBE:-$WINE32_LOADER}" output
  if [ ! -e "$probe" ]; then
    WINE32_REFUSAL="32-bit Wine is not installed ($probe is missing)"
    return 1
  fi
  if ! output=$("$probe" --version 2>&1); then
    output=${output%%$'\n'*}
    WINE32_REFUSAL="this machine does not start 32-bit programs ($probe: ${output:-no output})"
    return 1
  fi
  return 0
}

# The architectures whose Windows programs this machine runs: x64 always, i686 where 32-bit
# programs start. COMPOSER_ARCHES (for example "x64" or "i686 x64") overrides the choice.
runnable_arches() {
  if [ -n "${COMPOSER_ARCHES:-}" ]; then
    echo "$COMPOSER_ARCHES"
  elif machine_runs_32bit; then
    echo "i686 x64"
  else
    echo "x64"
  fi
}

# Why the 32-bit programs are not run: the machine refuses them, or COMPOSER_ARCHES left them out.
why_not_32bit() {
  if machine_runs_32bit; then
    echo "not chosen in COMPOSER_ARCHES"
  else
    echo "$WINE32_REFUSAL"
  fi
}

# The build that run.sh and screenshot.sh use: the program as shipped where the machine runs it.
preferred_arch() {
  local arches
  arches=$(runnable_arches)
  case " $arches " in
    *" i686 "*) echo i686 ;;
    *) echo x64 ;;
  esac
}

# A display: the caller's own, or a virtual one when there is none. Sets VIRTUAL_DISPLAY=1 when
# it started one.
VIRTUAL_DISPLAY=0
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local n
  for n in $(seq 90 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    VIRTUAL_DISPLAY=1
    log "virtual display $DISPLAY"
    return
  done
  echo "no free display number for Xvfb" >&2
  return 1
}

# Runs a Windows program of the current prefix's architecture (set by start_wine).
run_wine() {
  "$WINE_LOADER" "$@"
}

# A Wine prefix of our own under the build tree for one architecture, and one persistent
# wineserver for the run, so that every Wine process starts in a fraction of a second. With a
# size (WxH), every window of the prefix opens inside one Wine virtual desktop of that size, which
# draws window frames on a bare X server and activates windows without waiting for a window
# manager; with "off", windows open on the caller's own desktop. COMPOSER_WINEPREFIX_DIR moves
# the prefixes (one per architecture) elsewhere.
start_wine() {
  local arch=$1 desktop=$2 prefixes="${COMPOSER_WINEPREFIX_DIR:-$BUILD}"
  stop_wine
  case "$arch" in
    i686)
      export WINEPREFIX="$prefixes/wineprefix"
      export WINEARCH=win32
      WINE_LOADER=$WINE32_LOADER
      ;;
    x64)
      export WINEPREFIX="$prefixes/wineprefix64"
      export WINEARCH=win64
      WINE_LOADER=$WINE64_LOADER
      ;;
  esac
  export WINELOADER=$WINE_LOADER
  export COMPOSER_CLOCK_URL=$LOCAL_CLOCK_URL
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installer dialogs: the program needs neither.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    # The registry files are written when the prefix's wineserver ends.
    if ! run_wine wineboot -i >/dev/null 2>&1 || ! wineserver -w ||
      [ ! -f "$WINEPREFIX/system.reg" ]; then
      echo "could not create the $arch Wine prefix $WINEPREFIX" >&2
      return 1
    fi
    # Wine's title bar font links to SimSun for Chinese; let the installed CJK face stand in.
    run_wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /t REG_SZ \
      /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  fi
  if [ "$desktop" = off ]; then
    run_wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  else
    run_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    run_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$desktop" /f \
      >/dev/null 2>&1
  fi
  # The desktop is chosen when Wine's explorer starts: end whatever runs in the prefix first.
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
  WINE_STARTED=1
  if [ "$desktop" != off ]; then
    # Start the desktop now, detached: started by a test program it would inherit that program's
    # output and keep it open after the program ended.
    run_wine explorer "/desktop=Default,$desktop" </dev/null >/dev/null 2>&1 &
    local i
    for i in $(seq 100); do
      xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
      sleep 0.1
    done
  fi
  EXE="$(windows_build_dir "$arch")/bin/composer.exe"
  DRIVER="$(windows_build_dir "$arch")/bin/composer_driver.exe"
}

# Photographs the composer window with this identifier (hex) into the screenshots folder
# (build/screenshots, or SCREENSHOTS). Needs the virtual desktop, which sits at the top left of
# the X screen.
shoot() {
  local id=$1 file=$2 rect x y w h dir="${SCREENSHOTS:-$BUILD/screenshots}"
  mkdir -p "$dir"
  rect=$(run_wine "$DRIVER" sleep 400 rect "$id" | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/$file"
  log "wrote $dir/$file"
}

# Photographs the main window together with the colour-code preview that shows beside it.
shoot_preview() {
  local file=$1 rect x y w h dir="${SCREENSHOTS:-$BUILD/screenshots}"
  mkdir -p "$dir"
  rect=$(run_wine "$DRIVER" sleep 400 preview-rect | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/$file"
  log "wrote $dir/$file"
}

# Photographs the main window with the menu bar's menu-th menu open (opened with the keys a user
# presses), then closes the menu.
shoot_menu() {
  local menu=$1 file=$2 rect x y w h dir="${SCREENSHOTS:-$BUILD/screenshots}"
  mkdir -p "$dir"
  rect=$(run_wine "$DRIVER" menu "$menu" menu-rect | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/$file"
  run_wine "$DRIVER" menu-close sleep 200
  log "wrote $dir/$file"
}

# Photographs the running composer's main window on each of its four pages and each of the five
# secondary windows (opened from its page and closed again), named as the screenshots are.
shoot_pages_and_windows() {
  local main=52010001 page button window file
  for page in 1 2 3 4; do
    run_wine "$DRIVER" page "$page"
    shoot $main "main-page$page.png"
  done
  # Page, button, window, file.
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
}

# A five-line script as admins write them, left open by an earlier run, so that the composer
# started next restores it and the workbench shows it: one row of each kind of text, and a level
# condition with two slips the checker names (a letter O for a zero, "&z").
prepare_workbench_script() {
  local user=${USER:-$(whoami)}
  local folder="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/CommandComposer"
  local windows="C:\\users\\$user\\AppData\\Roaming\\CommandComposer\\scripts\\每日签到.txt"
  mkdir -p "$folder/scripts"
  rm -f "$folder/history.txt"
  printf '%s\r\n' '# Varnel script: 每日签到' '$cost:100 &c金币不足100，无法领取' \
    '@console give %player% diamond 5' '@title:&6&l欢迎回来##&7今日签到 %player%##10##60##10' \
    '$item:264#####&b&l点券 3 &c你的点券不足3个！' '@papi:%player_level%>=3O &c你必须达到30级&z' \
    >"$folder/scripts/每日签到.txt"
  printf '%s\r\n' '# Command composer: recent scripts, newest first' "open=$windows" \
    "recent=$windows" >"$folder/recent_scripts.txt"
}

# Photographs the open workbench, or its import window, into the screenshots folder.
shoot_workbench() {
  local file=$1 step=${2:-workbench-rect} rect x y w h dir="${SCREENSHOTS:-$BUILD/screenshots}"
  mkdir -p "$dir"
  rect=$(run_wine "$DRIVER" sleep 400 "$step" | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$dir/$file"
  log "wrote $dir/$file"
}

stop_wine() {
  if [ "${WINE_STARTED:-0}" = 1 ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    WINE_STARTED=0
  fi
}

# A clock server on loopback (scripts/lib/clock_server.py) on a free port, answering HEAD with the
# real time; the composer started after this (start_wine exports the address) shows it.
start_clock_server() {
  local port_file="$BUILD/clock_server.port.$$" i
  mkdir -p "$BUILD"
  rm -f "$port_file"
  python3 "$ROOT/scripts/lib/clock_server.py" "$port_file" &
  CLOCK_SERVER_PID=$!
  for i in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$port_file" ]; then
    echo "the loopback clock server did not start" >&2
    return 1
  fi
  LOCAL_CLOCK_URL="http://127.0.0.1:$(cat "$port_file")/"
  rm -f "$port_file"
  log "clock server on $LOCAL_CLOCK_URL"
}

# A game server's remote console on loopback (scripts/lib/rcon_server.py) on a free port, with
# the password "composer"; sets RCON_PORT. Started once per run.
start_rcon_server() {
  [ -n "${RCON_SERVER_PID:-}" ] && return
  local port_file="$BUILD/rcon_server.port.$$" i
  mkdir -p "$BUILD"
  rm -f "$port_file"
  python3 "$ROOT/scripts/lib/rcon_server.py" "$port_file" composer &
  RCON_SERVER_PID=$!
  for i in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
  done
  if [ ! -s "$port_file" ]; then
    echo "the loopback remote-console server did not start" >&2
    return 1
  fi
  RCON_PORT=$(cat "$port_file")
  rm -f "$port_file"
  log "remote console on 127.0.0.1:$RCON_PORT"
}

# Photographs the server window (with the warning for a host outside the private ranges, then
# tested against the loopback remote console) and the console log with the answers to a few
# commands sent with "发送到服务器". The running composer must have been started without a
# saved server, so that its first send opens the server window.
shoot_server_windows() {
  start_rcon_server
  run_wine "$DRIVER" text 1601007F '/list' open 16015340 52015301 sleep 300 \
    wtext 52015301 16015306 '生存服' wtext 52015301 16015308 'mc.example.org' \
    wtext 52015301 1601530C 'composer'
  shoot 52015301 server-warning.png
  run_wine "$DRIVER" wtext 52015301 16015308 127.0.0.1 wtext 52015301 1601530A "$RCON_PORT" \
    wclick 52015301 1601530F sleep 1500
  shoot 52015301 server.png
  run_wine "$DRIVER" wclick 52015301 16015311 sleep 300 close 52015301 sleep 300 \
    click 16015340 sleep 1000
  local command
  for command in '/help' '/vrnl reload' '/say 你好' 'foo'; do
    run_wine "$DRIVER" text 1601007F "$command" click 16015340 sleep 800
  done
  shoot 52015302 console-log.png
}

stop_background() {
  stop_wine
  if [ -n "${RCON_SERVER_PID:-}" ]; then
    kill "$RCON_SERVER_PID" 2>/dev/null || true
    wait "$RCON_SERVER_PID" 2>/dev/null || true
    RCON_SERVER_PID=""
  fi
  if [ -n "${CLOCK_SERVER_PID:-}" ]; then
    kill "$CLOCK_SERVER_PID" 2>/dev/null || true
    wait "$CLOCK_SERVER_PID" 2>/dev/null || true
  fi
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
  fi
}
