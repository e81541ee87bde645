#!/usr/bin/env bash
# Builds the Windows program: build-windows/i686/quavel.exe (the 32-bit program that ships) and
# the same sources for x86_64, whose test programs run under wine64 (32-bit Wine cannot start on
# this kind of machine). Installs what is missing first.
#
#   tools/build-windows.sh          build both
#   tools/build-windows.sh --test   build both, then run the Windows tests under wine64
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=$here/build-windows
"$here/tools/install-deps.sh"
"$here/tools/install-deps.sh" "$here/deps/windows-packages.txt"

# The build type CI checks warning-free on Linux too (GCC 12 warns falsely at -O3).
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v ccache > /dev/null; then
  options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# CI builds with warnings as errors: QV_WERROR=ON tools/build-windows.sh
[ -n "${QV_WERROR:-}" ] && options+=(-DQV_WERROR="$QV_WERROR")
for arch in i686 x86_64; do
  cmake -S "$here" -B "$out/$arch" -G Ninja "${options[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-$arch-w64-mingw32.cmake" > /dev/null
  cmake --build "$out/$arch"
done
echo "Built $out/i686/quavel.exe"

if [ "${1:-}" = "--test" ]; then
  "$here/tools/wine-prefix.sh" "$out/wineprefix"
  WINEPREFIX=$out/wineprefix WINEDEBUG=-all ctest --test-dir "$out/x86_64" --output-on-failure
fi
