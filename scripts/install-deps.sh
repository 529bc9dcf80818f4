#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run need: both MinGW-w64 compilers,
# 64-bit Wine (which runs everywhere) and 32-bit Wine (which only some kernels start; it installs
# on all of them). Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-format
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
  googletest libpng-dev clang-14 libclang-rt-14-dev
  wine wine64 wine32:i386
  xvfb xauth x11-utils xdotool xclip imagemagick
  fonts-wine fonts-wqy-microhei
  dpkg-dev
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_src=0
[ -d /var/lib/apt/lists ] && ls /var/lib/apt/lists/*_source_Sources* >/dev/null 2>&1 || need_src=1

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
fi

# libpng has no MinGW package; the build compiles it from Debian's source package.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
  if ! grep -q '^Types:.*deb-src' /etc/apt/sources.list.d/debian.sources; then
    sudo_if_needed sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
elif [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
  grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | sudo_if_needed tee -a /etc/apt/sources.list >/dev/null
fi

# A mirror being synced answers some index files with the wrong size: try again, and go on
# with whatever lists arrived (the install below fails if a package is really missing).
for attempt in 1 2 3; do
  sudo_if_needed apt-get update -q && break
  echo "apt-get update failed (attempt $attempt)" >&2
  sleep 5
done
# 32-bit Wine is installed on its own: when the mirror's i386 lists lag behind the amd64 ones,
# its libraries cannot match the installed versions. The 64-bit tools must install regardless;
# without 32-bit Wine the scripts run the 64-bit build only and say why.
core=()
for p in "${missing[@]}"; do
  [ "$p" = wine32:i386 ] || core+=("$p")
done
if [ ${#core[@]} -gt 0 ]; then
  sudo_if_needed apt-get install -y -q --no-install-recommends "${core[@]}"
fi
if [ ${#core[@]} -ne ${#missing[@]} ]; then
  # Named with 64-bit Wine, so that apt keeps both or installs neither: a resolver that would
  # make room for wine32 by removing wine64 must not take the 64-bit tests away.
  sudo_if_needed apt-get install -y -q --no-install-recommends wine64 wine32:i386 ||
    echo "32-bit Wine could not be installed; the 32-bit Windows tests will be skipped" >&2
fi
