#!/usr/bin/env bash
# Measures the composer in each Windows build this machine runs and prints a table (Markdown),
# also written to build/bench/results-ARCH.md. Every figure is a median or a worst case over
# repeated runs, and ratios are measured against a baseline in the same run: these machines are
# noisy, so absolute times are for the record only. Everything talks to 127.0.0.1 only.
#
#   BENCH_STARTUP_RUNS      start-ups per program (default 15)
#   BENCH_RESPOND_SECONDS   seconds per clock-server behaviour (default 30)
#   BENCH_STABILITY_SECONDS length of the stability run (default 600), sampled every 10 s
#   BENCH_ENGINE_RUNS       processes per placement of the skin engine (default 11)
#   BENCH_SCRIPT_RUNS       saves, opens and exports of a 10,000-row script (default 11)
#   BENCH_WORKBENCH_SECONDS length of each workbench round-trip run (default 20)
#   (a builder click and a copy with 1 Mi and 16 Mi characters are measured once per build)
#   COMPOSER_ARCHES         which builds to measure (default: every one the machine runs)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
trap stop_background EXIT

STARTUP_RUNS=${BENCH_STARTUP_RUNS:-15}
RESPOND_SECONDS=${BENCH_RESPOND_SECONDS:-30}
STABILITY_SECONDS=${BENCH_STABILITY_SECONDS:-600}
ENGINE_RUNS=${BENCH_ENGINE_RUNS:-11}
SCRIPT_RUNS=${BENCH_SCRIPT_RUNS:-11}
WORKBENCH_SECONDS=${BENCH_WORKBENCH_SECONDS:-20}
# The port of the loopback clock address the composer is pointed at (start_wine exports it; the
# driver starts its clock server there and points the composer at it).
CLOCK_PORT=$(sed -E 's#^[a-z]+://[^:/]+:([0-9]+).*#\1#' <<<"$LOCAL_CLOCK_URL")

install_dependencies
arches=$(runnable_arches)
for arch in $arches; do
  build_windows "$arch"
done
unset DISPLAY
ensure_display

value() { sed -n "s/^$1 //p" <<<"$2" | tr -d '\r'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
kib() { awk -v b="$1" 'BEGIN { printf "%.0f KiB", b / 1024 }'; }

for arch in $arches; do
  dir=$(windows_build_dir "$arch")
  bin="$dir/bin"
  start_wine "$arch" 1280x1000
  out="$BUILD/bench"
  mkdir -p "$out"
  report="$out/results-$arch.md"
  wine_version=$(run_wine --version 2>/dev/null || true)
  {
    echo "## $arch build ($(basename "$WINE_LOADER"), $wine_version)"
    echo
    echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo), $(uname -r); $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo
    echo "| measure | result | target |"
    echo "|---|---|---|"
  } >"$report"

  log "$arch: start-up, $STARTUP_RUNS runs each, interleaved"
  # The empty window, the peer (the same main window with standard classes, no skin, no tips,
  # no clock) and the composer take turns, so a busy moment of the machine hits all three.
  startup=$(cd "$bin" && run_wine bench_driver.exe startup "$STARTUP_RUNS" baseline_window.exe peer_window.exe composer.exe)
  baseline_ms=$(value 'startup_median_ms\[0\]' "$startup")
  peer_ms=$(value 'startup_median_ms\[1\]' "$startup")
  composer_ms=$(value 'startup_median_ms\[2\]' "$startup")
  echo "| start-up to a painted main window (median of $STARTUP_RUNS) | composer $composer_ms ms, peer $peer_ms ms, empty window $baseline_ms ms: $(ratio "$composer_ms" "$peer_ms") x the peer, $(ratio "$composer_ms" "$baseline_ms") x the empty window | <= 1.0 x the peer |" >>"$report"

  # Phases from inside each program, in ms since the process was created (medians, interleaved).
  log "$arch: start-up phases, $STARTUP_RUNS runs each, interleaved"
  peer_phases=""
  composer_phases=""
  for _ in $(seq "$STARTUP_RUNS"); do
    peer_phases+="$(cd "$bin" && run_wine peer_window.exe phases 2>/dev/null | tr -d '\r')"$'\n'
    composer_phases+="$(cd "$bin" && run_wine composer_phases.exe 2>/dev/null | tr -d '\r')"$'\n'
  done
  phase() {
    awk -v name="$1" '$1 == "phase" && $2 == name { print $3 }' <<<"$2" | sort -g |
      awk '{ v[NR] = $1 } END { if (NR) printf "%.0f", v[int((NR + 1) / 2)]; else printf "-" }'
  }
  {
    echo
    echo "| phase (ms since process creation, median of $STARTUP_RUNS) | composer | peer |"
    echo "|---|---|---|"
    for name in main frame engine controls skin tips shown first_paint painted; do
      echo "| $name | $(phase "$name" "$composer_phases") | $(phase "$name" "$peer_phases") |"
    done
    echo
    echo "| measure | result | target |"
    echo "|---|---|---|"
  } >>"$report"

  for mode in normal silent refuse slow; do
    log "$arch: responsiveness with the clock server $mode, ${RESPOND_SECONDS}s"
    respond=$(cd "$bin" && run_wine bench_driver.exe respond "$mode" "$RESPOND_SECONDS" "$CLOCK_PORT" composer.exe)
    echo "| round trip, clock server $mode | worst $(value worst_ms "$respond") ms, p99 $(value p99_ms "$respond") ms over $(value round_trips "$respond") messages, $(value unanswered "$respond") unanswered, $(value server_requests "$respond") requests | worst < 16 ms |" >>"$report"
  done

  # The same measure on the empty baseline window shows what the machine and Wine add by
  # themselves.
  respond=$(cd "$bin" && run_wine bench_driver.exe respond refuse "$RESPOND_SECONDS" "$CLOCK_PORT" baseline_window.exe)
  echo "| round trip, baseline window (no clock) | worst $(value worst_ms "$respond") ms, p99 $(value p99_ms "$respond") ms over $(value round_trips "$respond") messages | reference |" >>"$report"

  # A builder click (按钮7) and a copy (按钮21) with 1 Mi and 16 Mi characters in the input, timed
  # from outside: how long each click leaves the window unanswering, then the worst round trip in
  # the second after it (painting the long line), and the private bytes along the way. Then the
  # copy button against the output box's own copy of the same text, and what a program reading
  # CF_TEXT waits for after the button's copy.
  log "$arch: a builder click and a copy with large texts"
  large=$(cd "$bin" && COMPOSER_CLOCK_URL="$LOCAL_CLOCK_URL" run_wine bench_driver.exe large 1048576 16777216 composer.exe)
  for units in 1048576 16777216; do
    v() { value "$1\\[$units\\]" "$large"; }
    echo "| builder click and copy, $((units / 1048576)) Mi characters | click $(v click_ms) ms then worst $(v click_after_worst_ms) ms; copy $(v copy_ms) ms then worst $(v copy_after_worst_ms) ms; private $(v private_kib_before) KiB before, $(v private_kib_after_click) after the click, $(v private_kib_after_copy) after the copy, $(v private_kib_after_clear) after clearing, $(v private_kib_after_second_round) after a second round | 1 Mi: < 100 ms, 16 Mi: < 1 s |" >>"$report"
  done
  for units in 1048576 16777216; do
    v() { value "$1\\[$units\\]" "$large"; }
    echo "| \"复制指令\" against the box's own copy (Ctrl+A, Ctrl+C), $((units / 1048576)) Mi characters (medians of 5, taking turns) | button $(v copy_median_ms) ms, edit control $(v edit_copy_median_ms) ms: $(ratio "$(v copy_median_ms)" "$(v edit_copy_median_ms)") x; a CF_TEXT paste after the button $(v text_paste_median_ms) ms | <= 2.0 x the edit control |" >>"$report"
  done

  log "$arch: stability, ${STABILITY_SECONDS}s"
  stability=$(cd "$bin" && run_wine bench_driver.exe stability "$STABILITY_SECONDS" 10 "$CLOCK_PORT" composer.exe)
  tr -d '\r' <<<"$stability" >"$out/stability-$arch.txt"
  # Growth after the first minute: the last sample against the first one at 60 s or later.
  growth=$(tr -d '\r' <<<"$stability" | awk '
    $1 == "sample" && $2 >= 60 && !seen { g = $3; u = $4; h = $5; p = $6; seen = 1 }
    $1 == "sample" { lg = $3; lu = $4; lh = $5; lp = $6 }
    END {
      if (!seen) { print "too short to tell"; exit }
      printf "GDI %+d (%d), USER %+d (%d), handles %+d (%d), private %+d KiB (%d KiB)",
        lg - g, lg, lu - u, lu, lh - h, lh, lp - p, lp
    }')
  echo "| growth from 1 min to the end of ${STABILITY_SECONDS}s (rounds: $(value rounds "$stability")) | $growth | none |" >>"$report"

  # Size, with what is embedded in it.
  exe_size=$(stat -c %s "$bin/composer.exe")
  text_size=$((16#$(objdump -h "$bin/composer.exe" | awk '$2 == ".text" { print $3 }')))
  engine_size=0
  [ -f "$bin/SkinEngine.dll" ] && engine_size=$(stat -c %s "$bin/SkinEngine.dll")
  skins_size=$(stat -c %s "$ROOT"/assets/skins/*.cskn | awk '{ s += $1 } END { print s + 0 }')
  pictures_size=$(stat -c %s "$ROOT"/assets/illustration_*.png | awk '{ s += $1 } END { print s }')
  icon_size=$(stat -c %s "$ROOT/assets/program.ico")
  echo "| composer.exe size | $(kib "$exe_size"): code $(kib "$text_size"), engine image $(kib "$engine_size"), 34 skins $(kib "$skins_size"), illustrations $(kib "$pictures_size"), icon $(kib "$icon_size") | < 2048 KiB |" >>"$report"

  log "$arch: engine load, $ENGINE_RUNS runs at the image base and relocated"
  for placement in base relocated; do
    samples=""
    for _ in $(seq "$ENGINE_RUNS"); do
      args=()
      [ "$placement" = relocated ] && args=(relocated)
      samples+="$(cd "$bin" && run_wine bench_engine_load.exe "${args[@]}" | tr -d '\r')"$'\n'
    done
    median() { sed -n "s/^$1 //p" <<<"$samples" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    echo "| engine Load + ApplySkin(7) on the main window, $placement (median of $ENGINE_RUNS) | $(median total_ms) ms: Load $(median load_ms) ms, ApplySkin $(median apply_ms) ms | < 5 ms |" >>"$report"
  done

  # The workbench's files, with the program's own GBK conversion: plain GBK text, then the same
  # script with one character GBK lacks in every fifth row (its first open builds a table).
  log "$arch: a script of 10,000 rows, $SCRIPT_RUNS runs"
  script=$(cd "$bin" && run_wine bench_script_files.exe "$SCRIPT_RUNS" | tr -d '\r')
  for variant in "" escaped_; do
    s() { value "$variant$1" "$script"; }
    echo "| script of 10,000 rows${variant:+ with characters GBK lacks} (median of $SCRIPT_RUNS) | open $(s open_ms) ms (first $(s first_open_ms) ms), save $(s save_ms) ms, export $(s export_ms) ms; move one row and undo $(s move_undo_ms) ms | < 200 ms each |" >>"$report"
  done

  # The workbench on a saved script restored at start: from Ctrl+E to a painted window with 10 rows
  # and with 10,000 (the window adds no cost per row), then WM_NULL round trips while it scrolls,
  # moves, edits and undoes rows, beside a plain window whose system list box holds the same rows
  # and does the same for the same keys. Twice, one run after the other.
  log "$arch: the workbench with 10,000 rows, 2 x ${WORKBENCH_SECONDS}s"
  small=$(cd "$bin" && run_wine bench_driver.exe workbench 10 0 composer.exe plain_list.exe | tr -d '\r')
  for run in 1 2; do
    w=$(cd "$bin" && run_wine bench_driver.exe workbench 10000 "$WORKBENCH_SECONDS" composer.exe plain_list.exe | tr -d '\r')
    v() { value "$1" "$w"; }
    [ "$run" = 1 ] && echo "| workbench shown with Ctrl+E on the script restored at start | 10 rows $(value workbench_open_ms "$small") ms, 10,000 rows $(v workbench_open_ms) ms | the rows add only the script's own open (row above) |" >>"$report"
    echo "| round trip while the workbench scrolls, moves, edits and undoes among 10,000 rows, run $run | worst $(v workbench_worst_ms) ms, p99 $(v workbench_p99_ms) ms, median $(v workbench_median_ms) ms over $(v workbench_round_trips); plain window worst $(v plain_worst_ms) ms, p99 $(v plain_p99_ms) ms: worst $(ratio "$(v workbench_worst_ms)" "$(v plain_worst_ms)") x, p99 $(ratio "$(v workbench_p99_ms)" "$(v plain_p99_ms)") x | <= 2 x the plain window |" >>"$report"
  done
  stop_wine
  cat "$report"
  echo
done
