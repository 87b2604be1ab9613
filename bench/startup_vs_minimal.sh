#!/usr/bin/env bash
# Start-up to the first painted window, and resident memory at that moment:
# the program (less its Internet check) next to a minimal Qt Widgets program
# that shows one list, run alternately on Qt's offscreen platform so that
# both meet the same caches. Time runs from the exec, so loading the shared
# libraries counts. Usage: startup_vs_minimal.sh QUOTIDIA_STARTUP MINIMAL_QT_LIST [RUNS]
set -euo pipefail
ours="$1" minimal="$2" runs="${3:-15}"
export LC_ALL=C QT_QPA_PLATFORM=offscreen
XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT

# Prints "MICROSECONDS RSS_KIB" for one start of the program $1.
measure() {
  local start end line rss stdin_fd
  start=${EPOCHREALTIME/./}
  coproc RUN { exec "$1"; }
  if ! read -r -t 30 line <&"${RUN[0]}" || [[ "$line" != shown ]]; then
    echo "$1 did not report its window within 30 s" >&2
    exit 1
  fi
  end=${EPOCHREALTIME/./}
  rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$RUN_PID/status")"
  stdin_fd=${RUN[1]}
  exec {stdin_fd}>&-
  wait "$RUN_PID"
  echo "$((end - start)) $rss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One start each first, so that neither pays alone for a cold disk cache.
measure "$ours" >/dev/null
measure "$minimal" >/dev/null
ours_runs=() minimal_runs=()
for ((i = 0; i < runs; i++)); do
  ours_runs+=("$(measure "$ours")")
  minimal_runs+=("$(measure "$minimal")")
done
ours_us="$(printf '%s\n' "${ours_runs[@]}" | cut -d' ' -f1 | median)"
ours_kib="$(printf '%s\n' "${ours_runs[@]}" | cut -d' ' -f2 | median)"
minimal_us="$(printf '%s\n' "${minimal_runs[@]}" | cut -d' ' -f1 | median)"
minimal_kib="$(printf '%s\n' "${minimal_runs[@]}" | cut -d' ' -f2 | median)"
awk -v n="$runs" -v ou="$ours_us" -v ok="$ours_kib" -v mu="$minimal_us" -v mk="$minimal_kib" 'BEGIN {
  printf "\nstart-up to the first painted window, median of %d runs each (offscreen):\n", n
  printf "  quotidia         %7.1f ms   resident %6.1f MiB\n", ou / 1000, ok / 1024
  printf "  minimal Qt list  %7.1f ms   resident %6.1f MiB\n", mu / 1000, mk / 1024
  printf "start-up ratio %.2fx of the minimal program (aim: within 1.3x)\n", ou / mu
  printf "resident memory %+.1f MiB over the minimal program (aim: within 10 MB)\n", (ok - mk) / 1024
}'
