#!/usr/bin/env bash
# Installs the Debian packages of a list (default deps/debian-packages.txt) that are not installed
# yet:  tools/install-deps.sh [LIST]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
list=${1:-$here/deps/debian-packages.txt}
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$list")
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
