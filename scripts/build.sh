#!/usr/bin/env bash
# Configures and builds everything (or the targets given) for one
# architecture, KELVANE_ARCH=x86 (the default) or x64, in build/<arch>.
# Arguments that start with -D are CMake options: given, they configure the
# build folder again with them.
# Usage: bash scripts/build.sh [-DNAME=VALUE...] [targets...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=${KELVANE_ARCH:-x86}
case "$arch" in
  x86 | x64) ;;
  *) echo "build: KELVANE_ARCH is x86 or x64, not $arch" >&2; exit 2 ;;
esac
build=${KELVANE_BUILD:-$root/build/$arch}
options=() targets=()
for a in "$@"; do
  if [[ "$a" == -D* ]]; then options+=("$a"); else targets+=("$a"); fi
done
if [ ! -f "$build/build.ninja" ] || [ ${#options[@]} -gt 0 ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" "${options[@]}" >/dev/null
fi
cmake --build "$build" -- "${targets[@]}"
