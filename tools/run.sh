#!/usr/bin/env bash
# Installs what is missing, builds the player and starts it. Without arguments it plays the
# bundled samples through their play list (from samples/, as play-list lines are resolved against
# the current folder); arguments (files, folders, play lists) are passed on as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/install-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja
cmake --build "$here/build" --target quavel
if [ $# -eq 0 ]; then
  cd "$here/samples"
  exec "$here/build/quavel" samples.qvl
fi
exec "$here/build/quavel" "$@"
