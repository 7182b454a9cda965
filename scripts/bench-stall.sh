#!/usr/bin/env bash
# The longest the folder tree's window goes without answering, under Wine,
# in one run of bench/bench_stall.exe: a node of [count] subfolders filled,
# the same number gained at once and updated, and a listing that takes 5 s.
# Figures only: it fails on no target.
# Usage: bash scripts/bench-stall.sh [count]   (default 20000)
set -euo pipefail
count=${1:-20000}
[[ "$count" =~ ^[0-9]+$ && "$count" -gt 0 ]] || { echo "usage: bash scripts/bench-stall.sh [count]" >&2; exit 2; }
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" bench_stall
. "$root/scripts/wine-env.sh"
k_display
k_prefix
wine "$KELVANE_BUILD/bench/bench_stall.exe" "$count" </dev/null 2>/dev/null | tr -d '\r'
