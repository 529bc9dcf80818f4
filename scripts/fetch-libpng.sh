#!/usr/bin/env bash
# Unpacks Debian's libpng source package (with Debian's patches) into third_party/libpng-src,
# for the static MinGW build of the PNG decoder. Does nothing when it is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target="$root/third_party/libpng-src"
[ -f "$target/png.h" ] && exit 0

downloads="$root/third_party/downloads"
rm -rf "$downloads"
mkdir -p "$downloads"
cd "$downloads"
# The newest version first; a mirror that lacks its files falls back to the next one.
fetched=0
if apt-get source --download-only -qq libpng1.6 >/dev/null 2>&1; then
  fetched=1
else
  for version in $(apt-cache showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -rV); do
    rm -f ./*.dsc
    if apt-get source --download-only -qq "libpng1.6=$version" >/dev/null 2>&1; then
      fetched=1
      break
    fi
  done
fi
if [ "$fetched" = 0 ]; then
  echo "could not download Debian's libpng1.6 source package (are deb-src entries enabled?)" >&2
  exit 1
fi
rm -rf "$target"
dpkg-source --no-check -x ./*.dsc "$target" >/dev/null
# dpkg-source leaves a copy of the upstream tarball beside the unpacked tree.
rm -f "$root"/third_party/libpng1.6_*.orig.tar.*
[ -f "$target/png.h" ]
echo "libpng source in $target"
