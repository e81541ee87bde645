#!/usr/bin/env bash
# Makes a Wine prefix for the Windows tests (once): 64-bit, quiet, and with a font that can show
# the Japanese captions standing in for the dialogs' "System" font.
#   tools/wine-prefix.sh PREFIX
set -euo pipefail
prefix=$1
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=$prefix WINEDEBUG=-all
if [ ! -f "$prefix/.quavel-ready" ]; then
  mkdir -p "$prefix"
  "$wine64" wineboot -i > /dev/null 2>&1
  "$wine64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v System /d IPAGothic /f > /dev/null 2>&1
  "$(dirname "$wine64")/wineserver" -w
  touch "$prefix/.quavel-ready"
fi
