# Shared by the scripts: paths, building, a display and a Wine prefix for running the program.
# Source it; it defines functions and changes nothing until they are called.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD="$ROOT/build"
JOBS=$(nproc 2>/dev/null || echo 2)

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

# The Windows build: composer.exe and the Windows tests, cross-compiled for i686.
build_windows() {
  "$ROOT/scripts/fetch-libpng.sh"
  log "building the Windows program"
  cmake -S "$ROOT" -B "$BUILD/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD/windows" -j "$JOBS"
}

# A display: the caller's own, or a virtual one when there is none. Sets VIRTUAL_DISPLAY=1 when
# it started one.
VIRTUAL_DISPLAY=0
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local n
  for n in $(seq 90 120); do
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

# A 32-bit Wine prefix of our own under build/, and one persistent wineserver for the run, so
# that every Wine process starts in a fraction of a second. With a size (WxH), every window of
# the prefix opens inside one Wine virtual desktop of that size, which draws window frames on a
# bare X server and activates windows without waiting for a window manager; with "off", windows
# open on the caller's own desktop.
start_wine() {
  local desktop=$1
  export WINEPREFIX="${COMPOSER_WINEPREFIX:-$BUILD/wineprefix}"
  export WINEARCH=win32
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko installer dialogs: the program needs neither.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Wine's title bar font links to SimSun for Chinese; let the installed CJK face stand in.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /t REG_SZ \
      /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
  fi
  if [ "$desktop" = off ]; then
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  else
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d "$desktop" /f \
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
    wine explorer "/desktop=Default,$desktop" </dev/null >/dev/null 2>&1 &
    local i
    for i in $(seq 100); do
      xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop' && break
      sleep 0.1
    done
  fi
}

EXE="$BUILD/windows/bin/composer.exe"
DRIVER="$BUILD/windows/bin/composer_driver.exe"

# Photographs the composer window with this identifier (hex) into build/screenshots/FILE. Needs
# the virtual desktop, which sits at the top left of the X screen.
shoot() {
  local id=$1 file=$2 rect x y w h
  mkdir -p "$BUILD/screenshots"
  rect=$(wine "$DRIVER" sleep 400 rect "$id" | tr -d '\r')
  read -r x y w h <<<"$rect"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$BUILD/screenshots/$file"
  log "wrote build/screenshots/$file"
}

stop_background() {
  if [ "${WINE_STARTED:-0}" = 1 ]; then
    wineserver -k 2>/dev/null || true
  fi
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
  fi
}
