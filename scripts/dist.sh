#!/usr/bin/env bash
# Builds Kelvane.exe for both architectures and leaves the programs to hand
# out in dist/: Kelvane-x86.exe (32-bit Windows, and 64-bit Windows under
# WOW64), Kelvane-x64.exe (64-bit Windows) and SHA256SUMS.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
unset KELVANE_BUILD
dist="$root/dist"
rm -rf "$dist"
mkdir -p "$dist"
for arch in x86 x64; do
  KELVANE_ARCH=$arch bash "$root/scripts/build.sh" Kelvane
  cp "$root/build/$arch/app/Kelvane.exe" "$dist/Kelvane-$arch.exe"
done
(cd "$dist" && sha256sum Kelvane-x86.exe Kelvane-x64.exe >SHA256SUMS)
cat "$dist/SHA256SUMS"
