#!/usr/bin/env bash
# Pictures of the player as a user sees it: the player window while the bundled samples play,
# its Options dialog (opened by a click on the Options button) and its About box (chosen from
# the right-click menu), taken on a private X server with the player silent, once in each
# language: player.png, ... in Japanese and player-en.png, ... in English. Fails when a window
# does not show up or a picture comes out blank.
#
#   tools/screenshot.sh [FOLDER]      (default build/screenshots; needs build/quavel)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/build/screenshots}
quavel=$here/build/quavel
[ -x "$quavel" ] || { echo "screenshot: build $quavel first" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
xvfb_pid=""
player_pid=""
cleanup() {
  for pid in $player_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "screenshot: $*" >&2
  exit 1
}

# Polls a command for up to $1 seconds.
wait_for() {
  local seconds=$1
  shift
  for _ in $(seq $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# The private X server picks a free display and names it on descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 15 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
unset WAYLAND_DISPLAY XAUTHORITY QUAVEL_REGISTRY_FILE
export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Ids of the visible windows whose title matches.
windows() {
  xdotool search --onlyvisible --name "$1" 2>/dev/null || true
}
one_window() {
  local id
  id=$(windows "$1" | head -n 1)
  [ -n "$id" ] && echo "$id"
}
gone() {
  [ -z "$(windows "$1")" ]
}

# One run of the player in the language $1, its pictures named with $2 before ".png"; $3 and $4
# are the titles of its Options dialog and About box in that language.
pictures() {
  local lang=$1 suffix=$2 options_title=$3 about_title=$4 main x y
  # Play-list lines are found from the current folder, as tools/run.sh does.
  (cd "$here/samples" && QUAVEL_LANG=$lang QUAVEL_MIDI_OUT=null exec "$quavel" --new-instance samples.qvl) \
    2>"$work/quavel.log" &
  player_pid=$!

  local main_title='^Quavel ?$'
  wait_for 20 one_window "$main_title" >/dev/null || fail "no player window: $(cat "$work/quavel.log")"
  main=$(one_window "$main_title")
  eval "$(xdotool getwindowgeometry --shell "$main")"
  win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT

  readout "$work/readout-0.png"
  wait_for 15 moved || fail "the position read-out does not move: $(cat "$work/quavel.log")"
  import -window "$main" "$out/player$suffix.png"

  read -r x y < <(at_units $((101 + 21)) $((154 + 7)))
  xdotool mousemove --sync "$x" "$y" click 1
  picture_dialog "$options_title" "options$suffix.png"

  # Right click on a bare spot between the two labels, then the About item's access key.
  read -r x y < <(at_units 78 10)
  xdotool mousemove --sync "$x" "$y" click 3
  sleep 0.5
  xdotool key a
  picture_dialog "$about_title" "about$suffix.png"

  # Quit as a user does: Esc, and OK to the question.
  xdotool windowfocus --sync "$main" key Escape
  wait_for 10 test "$(windows "$main_title" | wc -l)" -ge 2 || fail "Esc asked nothing"
  question=$(windows "$main_title" | grep -v "^$main\$" | head -n 1)
  xdotool windowfocus --sync "$question" key Return
  wait_for 10 bash -c "! kill -0 $player_pid 2>/dev/null" || fail "the player did not quit"
  wait "$player_pid" || fail "the player ended with status $?"
  player_pid=""
}

# A point of the player window given in its template's dialog units (247 x 169).
at_units() {
  echo $((win_x + $1 * win_w / 247)) $((win_y + $2 * win_h / 169))
}

# The position read-out (dialog units 178, 135, 20 x 8) changes once a second while it plays.
readout() {
  local x y w h
  read -r x y < <(at_units 178 135)
  w=$((20 * win_w / 247)) h=$((8 * win_h / 169))
  import -window root -crop "${w}x${h}+${x}+${y}" "$1"
}
moved() {
  readout "$work/readout-1.png"
  [ "$(compare -metric AE "$work/readout-0.png" "$work/readout-1.png" null: 2>&1)" != 0 ]
}

# The dialog titled $1, opened by what the caller just did, pictured and closed with Esc.
picture_dialog() {
  local title=$1 file=$2 id
  wait_for 10 one_window "$title" >/dev/null || fail "no window titled $title"
  id=$(one_window "$title")
  sleep 0.5  # mapped is not yet painted
  import -window "$id" "$out/$file"
  xdotool windowfocus --sync "$id" key Escape
  wait_for 10 gone "$title" || fail "Esc did not close $title"
}

# Japanese is the reference face; English is what every other user sees.
pictures ja "" '^オプション設定$' '^バージョン情報$'
pictures en -en '^Options$' '^About Quavel$'

# A blank picture has (almost) no spread of colours.
for png in {player,options,about}{,-en}.png; do
  spread=$(convert "$out/$png" -format '%[fx:standard_deviation]' info:)
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || fail "$png is blank (deviation $spread)"
  echo "screenshot: $out/$png ($(identify -format '%wx%h' "$out/$png"), deviation $spread)"
done
