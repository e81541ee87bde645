#!/usr/bin/env bash
# Builds the benchmarks in Release and prints one table of every figure: what was measured, the
# goal, the peer or floor it is compared with, the ratio, and whether the goal is met. Timings
# are not tests: CI does not run this. Needs Xvfb and xdotool (as the end-to-end tests do) and,
# for the side-by-side figures, the fluidsynth program.
#
#   tools/bench.sh [--quick]      (--quick: fewer rounds, smaller lists)
set -u
cd "$(dirname "$0")/.."
root=$PWD
build=${QV_BENCH_BUILD:-$root/build-bench}
quick=0
[ "${1:-}" = "--quick" ] && quick=1

targets=(quavel seq-play qt_minimal_dialog player_startup smf_load seq_timing seq_cpu
         playlist_add dialog_list list_window_qt registry_save smf_many_tracks version_info)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON \
      ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} \
      >/dev/null || exit 1
cmake --build "$build" --target "${targets[@]}" >/dev/null || exit 1

logs=$(mktemp -d /tmp/quavel-bench-logs-XXXXXX)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
run() {  # name, then the command: its output goes to $logs/name
    local name=$1
    shift
    echo "running $name ..." >&2
    "$@" >"$logs/$name" 2>&1 || echo "  ($name ended with status $?)" >&2
}
if [ $quick = 1 ]; then
    rounds=3 seconds=10 list_rounds=1
else
    rounds=5 seconds=30 list_rounds=3
fi
run startup "$build/bench/player_startup" "$rounds" 10000
run load "$build/bench/smf_load" 9
run timing "$build/bench/seq_timing" "$seconds"
if command -v fluidsynth >/dev/null; then
    run cpu "$build/bench/seq_cpu" "$rounds" 10
fi
run titles "$build/bench/playlist_add"
run drop "$build/bench/dialog_list"
run lists "$build/bench/list_window_qt" "$list_rounds" 100000
run registry "$build/bench/registry_save"
run tracks "$build/bench/smf_many_tracks"
run version "$build/bench/version_info"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# field LOG FIGURE KEY: the value of KEY= on the line "FIGURE <FIGURE> ..." of a log.
field() {
    awk -v f="$2" -v k="$3" '$1 == "FIGURE" && $2 == f {
        for (i = 3; i <= NF; i++) { split($i, kv, "="); if (kv[1] == k) print kv[2] } }' \
        "$logs/$1" 2>/dev/null | head -1
}
# grab LOG REGEX FIELD: the FIELD-th word of the first line of a log that matches REGEX.
grab() {
    awk -v re="$2" -v n="$3" '$0 ~ re { v = $n; gsub(/[^0-9.]/, "", v); print v; exit }' \
        "$logs/$1" 2>/dev/null
}

printf '%-44s %12s %12s %8s  %-16s %s\n' "figure" "measured" "peer/floor" "ratio" "goal" "met"
printf '%s\n' "-------------------------------------------------------------------------------------------------------------"
# row NAME MEASURED PEER GOAL-OP GOAL-VALUE [UNIT]: the ratio is MEASURED/PEER (or MEASURED
# itself when PEER is "-"), compared with the goal by <= or >=.
row() {
    local name=$1 ours=$2 peer=$3 op=$4 goal=$5 unit=${6:-}
    if [ -z "$ours" ] || { [ "$peer" != "-" ] && [ -z "$peer" ]; }; then
        printf '%-44s %12s %12s %8s  %-16s %s\n' "$name" "n/a" "" "" "$op $goal" "not measured"
        return
    fi
    awk -v name="$name" -v o="$ours" -v p="$peer" -v op="$op" -v g="$goal" -v u="$unit" 'BEGIN {
        r = (p == "-") ? o : o / p
        met = (op == "<=") ? (r <= g) : (r >= g)
        printf "%-44s %12s %12s %8.2f  %-16s %s\n", name, o u, (p == "-" ? "" : p u), r,
               op " " g, (met ? "met" : "NOT MET") }'
}
info() {  # NAME MEASURED: a figure without a goal in this round
    printf '%-44s %12s %12s %8s  %-16s %s\n' "$1" "${2:-n/a}" "" "" "-" "(no goal)"
}
absent() {
    printf '%-44s %12s %12s %8s  %-16s %s\n' "$1" "" "" "" "$2" "not measured here"
}

sf=$(field startup soundfont name)
echo "1. start-up (Xvfb, one song; soundfont found: ${sf:-none})"
row "  window, found soundfont / minimal dialog" "$(field startup startup_window_found ours_ms)" "$(field startup startup_window_found peer_ms)" "<=" 1.2 ms
row "  sound, found soundfont / minimal frame" "$(field startup startup_sound_found ours_ms)" "$(field startup startup_sound_found peer_ms)" "<=" 1.5 ms
row "  window, TimGM6mb / minimal dialog" "$(field startup startup_window_small ours_ms)" "$(field startup startup_window_small peer_ms)" "<=" 1.2 ms
row "  sound, TimGM6mb / minimal frame" "$(field startup startup_sound_small ours_ms)" "$(field startup startup_sound_small peer_ms)" "<=" 1.5 ms
echo "2. adding files"
row "  title reading: bare loop / Add (throughput)" "$(grab titles 'throughput ratio' 4)" - ">=" 0.85
info "  floor: Add's system calls alone / bare loop" "$(grab titles 'floor ratio' 4)"
row "  folder drop: dialog / model alone" "$(awk '/dialog overhead/ { v = $3; sub(/%/, "", v); print 1 + v / 100; exit }' "$logs/drop" 2>/dev/null)" - "<=" 1.15
row "  100,000 files in the real window / model" "$(field lists window_over_model ratio)" - "<=" 1.5
info "  100,000 files in the real window / bare loop" "$(field lists window_over_bare ratio)"
echo "3. lists (Qt window, 1k/10k/100k entries; growth: exponent from 10k to 100k)"
info "  display mode switch, 100,000 lines (ms)" "$(field lists mode_switch last_ms)"
row "  display mode switch growth exponent" "$(field lists mode_switch exponent)" - "<=" 1.1
row "  resident memory per entry (10,000)" "$(field startup memory_per_entry kb)" - "<=" 0.5 " kB"
row "  resident memory per entry (100,000)" "$(field lists resident kb_per_entry)" - "<=" 0.5 " kB"
row "  drop 100,000 files: growth exponent" "$(field lists drop exponent)" - "<=" 1.1
row "  drop 100,000 files: longest UI step" "$(field lists drop_step last_ms)" - "<=" 100 " ms"
row "  load 100,000-line list: growth exponent" "$(field lists load exponent)" - "<=" 1.1
row "  load 100,000-line list: longest UI step" "$(field lists load_step last_ms)" - "<=" 100 " ms"
row "  save: growth exponent" "$(field lists save exponent)" - "<=" 1.1
row "  shuffle: growth exponent" "$(field lists shuffle exponent)" - "<=" 1.1
echo "4. loading a song (warm cache)"
row "  1 MB: ours / FluidSynth's player" "$(field load load_1mb ours_ms)" "$(field load load_1mb peer_ms)" "<=" 1.5 ms
row "  10 MB: ours / FluidSynth's player" "$(field load load_10mb ours_ms)" "$(field load load_10mb peer_ms)" "<=" 1.5 ms
row "  growth exponent in size" "$(field load load_exponent value)" - "<=" 1.1
row "  10 MB: time on the window's thread" "$(field load load_10mb ours_ms)" - "<=" 100 " ms"
echo "5. playing"
row "  CPU per second of sound, WAV: ours / FS" "$(field cpu play_cpu ours_s)" "$(field cpu play_cpu peer_s)" "<=" 1.0 s
row "  lateness median / bare wait loop" "$(field timing lateness_median ours_us)" "$(field timing lateness_median peer_us)" "<=" 1.2 us
row "  lateness p99 / bare wait loop" "$(field timing lateness_p99 ours_us)" "$(field timing lateness_p99 peer_us)" "<=" 1.2 us
info "  player CPU, silent output (% of a core)" "$(field timing player_cpu percent)"
echo "earlier rounds"
row "  registry save / write+fsync+rename" "$(grab registry '^save:' 2)" "$(grab registry '^save:' 6)" "<=" 2.0 " us"
info "  65,535-track file read (s)" "$(awk '/65535 tracks/ { print $(NF - 1); exit }' "$logs/tracks" 2>/dev/null)"
info "  About box values (us per load)" "$(grab version 'About box' 9)"
echo
echo "load average: before $load_before, after $load_after; logs in $logs"
