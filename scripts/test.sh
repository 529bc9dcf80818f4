#!/usr/bin/env bash
# Installs what is missing, builds the native and both Windows targets, and runs every test:
# formatting, the native unit tests (with AddressSanitizer and UBSan), and the Windows tests
# under Wine on a virtual display of their own: under 64-bit Wine always, under 32-bit Wine
# where the machine runs 32-bit programs (COMPOSER_ARCHES overrides the choice).
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

install_dependencies

log "checking the formatting"
(cd "$ROOT" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror)
log "checking that each folder includes only the folders below it"
"$ROOT/scripts/check-layers.sh"
"$ROOT/scripts/check-layers.sh" --self-test

build_native
log "native tests"
ctest --test-dir "$BUILD/native" --output-on-failure

build_fuzzers
log "a short run of every fuzzer"
ctest --test-dir "$BUILD/fuzz" -L fuzz --output-on-failure

arches=$(runnable_arches)
summary="Windows tests ran for: $arches"
case " $arches " in
  *" i686 "*) ;;
  *) summary="$summary; i686 skipped: $(why_not_32bit)" ;;
esac

for arch in i686 x64; do
  build_windows "$arch"
done

unset DISPLAY  # the Windows tests get a display of their own
ensure_display
for arch in $arches; do
  # One virtual desktop: window frames are drawn and activation does not wait on a window manager.
  if ! start_wine "$arch" 1280x1000; then
    echo "the $arch Windows tests cannot start" >&2
    exit 1
  fi
  log "Windows tests under Wine ($arch)"
  ctest --test-dir "$(windows_build_dir "$arch")" --output-on-failure
done
stop_wine
log "$summary"
log "all tests passed"
