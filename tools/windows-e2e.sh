#!/usr/bin/env bash
# quavel.exe (the x86_64 build) end to end under wine64 on a private X server: it starts on a
# song of ours with the silent output, its window shows the Japanese captions (a screenshot that
# must not be blank), it plays the song to its end (watched from outside through its controls by
# qv_player_watch), Esc and then Enter on the quit question end it, and the registry holds what the
# quit sequence writes.
#   tools/windows-e2e.sh BUILD PREFIX OUT      (e.g. build-windows/x86_64 build-windows/wineprefix
#                                               build-windows/e2e; needs xvfb-run around it)
set -euo pipefail
build=$(cd "$1" && pwd)
export WINEPREFIX=$(cd "$2" && pwd) WINEDEBUG=-all QUAVEL_MIDI_OUT=null QUAVEL_LANG=ja
out=$3
mkdir -p "$out"
out=$(cd "$out" && pwd)
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
key='HKCU\Software\Velmora\Quavel32'

fail() {
  echo "windows-e2e: $*" >&2
  exit 1
}
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
window() { xdotool search --name '^Quavel ?$' 2> /dev/null | head -n 1; }
has_window() { [ -n "$(window)" ]; }

# Two and a half seconds of one note, so that the read-out shows 00:02 of 00:02 before the end:
# MThd (format 0, 96 ticks a beat), then a track with its title, the tempo (500 ms a beat), a note
# of five beats and the end.
printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\40\0\377\3\10E2E song\0\377\121\3\7\241\40\0\220\74\144\203\140\200\74\0\0\377\57\0' > "$out/song.mid"

"$wine64" reg delete "$key" /f > /dev/null 2>&1 || true
"$wine64" reg add "$key" /v YesAskQuit /t REG_DWORD /d 1 /f > /dev/null
# The watcher is up before the player, so that it sees the whole song.
"$wine64" "$build/tests/windows/qv_player_watch.exe" 00:02 60 > "$out/watch.log" 2>&1 &
watcher=$!
trap 'kill $watcher 2> /dev/null || true' EXIT
wait_for 60 grep -q waiting "$out/watch.log" || fail "the watcher did not start"
"$wine64" "$build/quavel.exe" "$(winepath -w "$out/song.mid" 2> /dev/null || echo "$out/song.mid")" &
player=$!
trap 'kill $player $watcher 2> /dev/null || true' EXIT

wait_for 60 has_window || fail "the player window did not appear"
sleep 2
import -window root "$out/player.png"
colours=$(convert "$out/player.png" -format '%k' info:)
[ "$colours" -gt 8 ] || fail "the screenshot is blank ($colours colours)"
wait "$watcher" || fail "the song did not play to its end: $(tr -d '\r' < "$out/watch.log")"
tr -d '\r' < "$out/watch.log"

xdotool windowfocus --sync "$(window)" key Escape
sleep 2
xdotool key Return
wait_for 30 bash -c "! kill -0 $player 2> /dev/null" || fail "the player did not end after Esc, Enter"
"$(dirname "$wine64")/wineserver" -w 2> /dev/null || true

stored=$("$wine64" reg query "$key" | tr -d '\r')
echo "$stored"
for value in DisplayMode WindowPosX WindowPosY YesLoop; do
  grep -q "$value" <<< "$stored" || fail "the quit sequence did not write $value"
done
echo "windows-e2e: passed ($out/player.png, $colours colours)"
