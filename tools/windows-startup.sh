#!/usr/bin/env bash
# Start-up of quavel.exe to its first shown window under wine64, against the smallest dialog
# program's in the same run (each started five times, alternately; the median of each). Figures,
# not a test: run it by hand under xvfb-run.
#   xvfb-run -a tools/windows-startup.sh build-windows/x86_64 build-windows/wineprefix
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX=$(cd "$2" && pwd) WINEDEBUG=-all QUAVEL_MIDI_OUT=null
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
"$wine64" wineboot > /dev/null 2>&1  # the Wine server stays up between runs, as on a desktop

# Milliseconds from starting the program to its window being on screen.
startup() {
  local exe=$1 name=$2 start pid
  start=$(date +%s%N)
  "$wine64" "$exe" > /dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "$name" > /dev/null 2>&1; do sleep 0.01; done
  echo $((($(date +%s%N) - start) / 1000000))
  kill "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
}
median() { sort -n | sed -n 3p; }

player=() minimal=()
for _ in 1 2 3 4 5; do
  player+=("$(startup "$build/quavel.exe" '^Quavel ?$')")
  minimal+=("$(startup "$build/tests/windows/qv_minimal_dialog.exe" '^Minimal dialog$')")
done
p=$(printf '%s\n' "${player[@]}" | median)
m=$(printf '%s\n' "${minimal[@]}" | median)
echo "quavel.exe: ${player[*]} ms (median $p); minimal dialog: ${minimal[*]} ms (median $m)"
echo "ratio: $(awk "BEGIN { printf \"%.2f\", $p / $m }")"
