#!/usr/bin/env bash
# Configures and builds everything (or the targets given) for one
# architecture, KELVANE_ARCH=x86 (the default) or x64, in build/<arch>.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=${KELVANE_ARCH:-x86}
case "$arch" in
  x86 | x64) ;;
  *) echo "build: KELVANE_ARCH is x86 or x64, not $arch" >&2; exit 2 ;;
esac
build=${KELVANE_BUILD:-$root/build/$arch}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" >/dev/null
fi
cmake --build "$build" -- "$@"
