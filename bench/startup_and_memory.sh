#!/usr/bin/env bash
# Start-up (exec to window mapped) and memory (PSS of the process and every
# process it started, 5 s after mapping) of a GUI program, over several runs.
# usage: startup_and_memory.sh RUNS WINDOW_TITLE COMMAND [ARGS...]
# Needs DISPLAY, a window manager and xdotool.  Prints one line per run:
#   startup_ms pss_kb
set -euo pipefail
runs=$1 title=$2
shift 2

pss_of_tree() {   # total PSS in kB of a process and its descendants
  local pid=$1 total=0 p kb
  for p in $pid $(pgrep -P "$pid" 2>/dev/null; for c in $(pgrep -P "$pid" 2>/dev/null); do pgrep -P "$c"; done); do
    kb=$(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${kb:-0}))
  done
  echo "$total"
}

for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do sleep 0.005; done
  mapped=$(date +%s%N)
  sleep 5
  echo "$(( (mapped - start) / 1000000 )) $(pss_of_tree "$pid")"
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  sleep 0.3
done
