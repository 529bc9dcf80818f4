#!/usr/bin/env bash
# Installs what is missing, builds the native and the Windows targets, and runs every test:
# formatting, the native unit tests (with AddressSanitizer and UBSan), and the Windows tests
# under Wine on a virtual display of their own.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

install_dependencies

log "checking the formatting"
(cd "$ROOT" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror)

build_native
log "native tests"
ctest --test-dir "$BUILD/native" --output-on-failure

build_windows
unset DISPLAY  # the Windows tests get a display of their own
ensure_display
# One virtual desktop: window frames are drawn and activation does not wait on a window manager.
start_wine 1280x1000
log "Windows tests under Wine"
ctest --test-dir "$BUILD/windows" --output-on-failure
log "all tests passed"
