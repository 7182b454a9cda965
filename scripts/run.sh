#!/usr/bin/env bash
# Installs what the program needs, builds Kelvane.exe and runs it on 64-bit
# Windows (the project's 64-bit prefix): the 32-bit build, or with `x64` the
# 64-bit one. Without a display it runs on Xvfb, saves a screenshot of the
# main window, prints its path and ends the program cleanly.
# Usage: bash scripts/run.sh [x86|x64]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KELVANE_ARCH=${1:-x86}
[[ "$KELVANE_ARCH" == x86 || "$KELVANE_ARCH" == x64 ]] || {
  echo "usage: bash scripts/run.sh [x86|x64]" >&2
  exit 2
}
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" Kelvane
. "$root/scripts/wine-env.sh"
exe="$KELVANE_BUILD/app/Kelvane.exe"
# Wine's helper processes must start on the display the program uses.
wineserver -k 2>/dev/null || true

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  k_prefix
  exec wine "$exe"
fi

unset DISPLAY
k_display
trap 'k_stop_display' EXIT
k_prefix
wine "$exe" &
pid=$!
win=
for _ in $(seq 100); do
  win=$(xdotool search --name '^Kelvane$' 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || { echo "the main window did not appear" >&2; kill "$pid"; exit 1; }
sleep 2 # let the tree and the status line paint
shot="$KELVANE_BUILD/kelvane-main-window.png"
import -window "$win" "$shot"
wine taskkill /im Kelvane.exe >/dev/null 2>&1 # asks the window to close, as a user would
wait "$pid"
wineserver -k 2>/dev/null || true
echo "screenshot of the main window: $shot"
