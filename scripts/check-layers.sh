#!/usr/bin/env bash
# Checks that every folder includes only itself and the folders below it:
#   base  <-  ui, net, skin  <-  compose  <-  app, bench
# and that the skin engine DLL (skin/engine/ without its tests) is a layer of its own: it has no
# C run-time, so it includes only itself and the base/ headers that are header only and free of
# the run-time (ENGINE_BASE, which in turn include only each other). Outside the engine only the
# skin format's headers (ENGINE_FORMAT) are included: by the catalogue (skin/skins.*), the
# engine's tests and the program's tests, which read skin files as the engine does.
# Every form of include counts: "x/..." and <x/...>, indented, "# include".
# Prints each include that breaks a rule and fails when there is one.
#
#   scripts/check-layers.sh              checks this checkout
#   scripts/check-layers.sh --self-test  checks that a throwaway tree with a bad include of each
#                                        form fails, and the same tree without them passes
set -euo pipefail

OUR_FOLDERS="base ui net skin compose app bench assets"
ENGINE_BASE="base/skin_parts.h base/scoped_win.h base/dpi.h base/dpi_win.h base/geometry.h"
ENGINE_FORMAT="skin/engine/skin_format.h skin/engine/skin_format_writer.h skin/engine/looks.h"
INCLUDE_PATTERN='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([a-z_]+/[^>"]*)[>"]'

allowed() {
  case "$1" in
    base) echo "base" ;;
    ui | net | skin) echo "base $1" ;;
    compose) echo "base ui compose" ;;
    app | bench) echo "base ui net skin compose app assets" ;;
  esac
}

listed() {  # word list
  [[ " $2 " == *" $1 "* ]]
}

# The rule an include of target from file breaks, or nothing.
broken_rule() {
  local file=$1 target=$2 folder=${1%%/*} top=${2%%/*}
  listed "$top" "$OUR_FOLDERS" || return 0
  if listed "$file" "$ENGINE_BASE"; then
    listed "$target" "$ENGINE_BASE" ||
      echo "includes $target, which the skin engine (no C run-time) cannot share"
    return 0
  fi
  case "$file" in
    skin/engine/tests/*) ;;
    skin/engine/*)
      if ! listed "$target" "$ENGINE_BASE" && [[ $target != skin/engine/* ]]; then
        echo "includes $target: the skin engine includes only itself and $ENGINE_BASE"
      fi
      return 0
      ;;
  esac
  if ! listed "$top" "$(allowed "$folder")"; then
    echo "includes $top/, above or beside $folder/"
  elif [[ $target == skin/engine/* ]] && ! listed "$target" "$ENGINE_FORMAT"; then
    echo "includes $target, inside the skin engine (outside it: only $ENGINE_FORMAT)"
  fi
}

# Checks the git tree at $1; prints each broken rule and returns 1 when there is one.
check_tree() {
  local status=0 file line text rule
  while IFS=: read -r file line text; do
    [[ $text =~ $INCLUDE_PATTERN ]] || continue
    rule=$(broken_rule "$file" "${BASH_REMATCH[1]}")
    if [ -n "$rule" ]; then
      echo "$file:$line $rule" >&2
      status=1
    fi
  done < <(git -C "$1" grep -n -E "$INCLUDE_PATTERN" -- base ui net skin compose app bench)
  return $status
}

# A throwaway tree with one bad include of each form (and includes that are fine beside them):
# the check must name exactly the bad files, and pass once they are gone.
self_test() {
  local tree failures=0 output bad
  tree=$(mktemp -d)
  mkdir -p "$tree"/{base,ui,net,skin/engine/tests,compose,app/tests,bench}
  write() { printf '%b\n' "$2" >"$tree/$1"; }
  write base/geometry.h '#pragma once\n#include <cstdint>'
  write base/dpi_win.h '#include <windows.h>\n#include "base/geometry.h"'
  write base/runtime.h '#include "base/geometry.h"'
  write ui/good.cpp '#include "ui/good.h"\n#include <base/geometry.h>\n#include <gtest/gtest.h>'
  write skin/engine/good_win.cpp '#include "skin/engine/canvas_win.h"\n  #include "base/dpi_win.h"'
  write skin/engine/tests/good_test.cpp '#include "skin/module_loader.h"'
  write skin/skins.cpp '#include "skin/engine/looks.h"\n#include "skin/engine/skin_format.h"'
  write app/tests/good_test.cpp '#include <skin/engine/skin_format.h>\n#include "compose/x.h"'
  local bad_files=(ui/quoted.cpp ui/angled.cpp net/indented.cpp compose/spaced.cpp
    base/tabbed.h bench/internal.cpp skin/engine/runtime_win.cpp skin/engine/loader_win.cpp
    skin/engine/upward_win.cpp app/internal.cpp skin/reaches_in.cpp base/scoped_win.h)
  write ui/quoted.cpp '#include "compose/x.h"'
  write ui/angled.cpp '#include <app/x.h>'
  write net/indented.cpp '#if 1\n  #include "ui/x.h"\n#endif'
  write compose/spaced.cpp '#  include "app/x.h"'
  write base/tabbed.h '#\tinclude\t<ui/x.h>'
  write bench/internal.cpp '# include <skin/engine/canvas_win.h>'
  write skin/engine/runtime_win.cpp '#include "base/runtime.h"'
  write skin/engine/loader_win.cpp '#include <skin/module_loader.h>'
  write skin/engine/upward_win.cpp ' # include "ui/x.h"'
  write app/internal.cpp '#include "skin/engine/engine_win.h"'
  write skin/reaches_in.cpp '#include "skin/engine/canvas_win.h"'
  write base/scoped_win.h '#include "base/runtime.h"'
  git -C "$tree" init -q
  git -C "$tree" add -A
  if output=$(check_tree "$tree" 2>&1); then
    echo "self-test: a tree with bad includes passed" >&2
    failures=1
  fi
  for bad in "${bad_files[@]}"; do
    if [[ $output != *"$bad:"* ]]; then
      echo "self-test: the bad include in $bad was not found" >&2
      failures=1
    fi
  done
  if [ "$(grep -c . <<<"$output")" -ne "${#bad_files[@]}" ]; then
    echo "self-test: expected one line per bad include, got:" >&2
    echo "$output" >&2
    failures=1
  fi
  (cd "$tree" && git rm -qf "${bad_files[@]}")
  if ! output=$(check_tree "$tree" 2>&1); then
    echo "self-test: includes that are fine were refused:" >&2
    echo "$output" >&2
    failures=1
  fi
  rm -rf "$tree"
  [ $failures = 0 ] && echo "check-layers self-test passed" >&2
  return $failures
}

cd "$(dirname "$0")/.."
if [ "${1:-}" = --self-test ]; then
  self_test
else
  check_tree .
fi
