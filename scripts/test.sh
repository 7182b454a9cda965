#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs all tests under
# Wine on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
. "$root/scripts/wine-env.sh"
unset DISPLAY
k_display # before Wine's helper processes start, so they find the display
wineserver -k 2>/dev/null || true # helpers started earlier may lack this display
k_prefix
trap 'wineserver -k 2>/dev/null || true; k_stop_display' EXIT
cd "$KELVANE_BUILD"
ctest --output-on-failure --timeout 600 "$@"
