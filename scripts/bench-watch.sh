#!/usr/bin/env bash
# Times the folder tree's following of the file system under Wine, in one run
# of bench/bench_watch.exe: a node of 2,000 subfolders brought up to date
# after one is added against a refill of the node (medians of [rounds]
# alternating rounds), and the processor time of 10 s idle with 200 open
# nodes watched beside the same with nothing watched. Figures only.
# Usage: bash scripts/bench-watch.sh [rounds]   (default 5)
set -euo pipefail
rounds=${1:-5}
[[ "$rounds" =~ ^[0-9]+$ && "$rounds" -gt 0 ]] || {
  echo "usage: bash scripts/bench-watch.sh [rounds]" >&2
  exit 2
}

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" bench_watch
. "$root/scripts/wine-env.sh"

# A prefix of this benchmark's own: the wineserver -k below ends only Wine
# processes that this benchmark started.
work="$KELVANE_BUILD/bench-watch"
export WINEPREFIX="$work/wineprefix"
mkdir -p "$work"

unset DISPLAY
k_display
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true; k_stop_display' EXIT
k_prefix
wine "$KELVANE_BUILD/bench/bench_watch.exe" "$rounds" </dev/null 2>/dev/null | tr -d '\r'
