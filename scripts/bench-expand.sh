#!/usr/bin/env bash
# Times, from outside the built Kelvane.exe, the first opening of a node as a
# person waits for it (bench/bench_expand.exe sends TVM_EXPAND to the
# program's tree and waits for the answer):
#   - a folder holding 1,000, 2,000, 4,000 and 20,000 subfolders;
#   - each level of a chain of 100 nested folders, opened one after another.
# With KELVANE_BENCH_BASELINE_EXE=<an older Kelvane.exe> the same runs are
# made with that build too, in alternating order, for a before-and-after
# figure (its 20,000 run only when KELVANE_BENCH_BASELINE_BIG=1: an old build
# may take many minutes). Medians of [rounds]. Figures only: it fails on no
# target.
# Usage: bash scripts/bench-expand.sh [rounds]   (default 3)
set -euo pipefail
rounds=${1:-3}
[[ "$rounds" =~ ^[0-9]+$ && "$rounds" -gt 0 ]] || {
  echo "usage: bash scripts/bench-expand.sh [rounds]" >&2
  exit 2
}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" Kelvane bench_expand
. "$root/scripts/wine-env.sh"

work="$KELVANE_BUILD/bench-expand"
data="$work/data"
probe="$KELVANE_BUILD/bench/bench_expand.exe"
current="$KELVANE_BUILD/app/Kelvane.exe"
baseline=${KELVANE_BENCH_BASELINE_EXE:-}
# A prefix of this benchmark's own, as bench-tree.sh has.
export WINEPREFIX="$work/wineprefix"
mkdir -p "$work"
unset DISPLAY
k_display
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true; k_stop_display' EXIT
k_prefix

sizes=(1000 2000 4000 20000)
depth=100
# scale/n<N>/big holds N empty subfolders; chain holds c\c\...\c, one level
# more than is timed (the last has nothing to open). Made once and kept.
python3 - "$data" "$depth" "${sizes[@]}" <<'EOF'
import os, sys
data, depth, sizes = sys.argv[1], int(sys.argv[2]), [int(s) for s in sys.argv[3:]]
for n in sizes:
    big = os.path.join(data, "scale", f"n{n}", "big")
    if os.path.isdir(big) and len(os.listdir(big)) == n:
        continue
    os.makedirs(big, exist_ok=True)
    for i in range(1, n + 1):
        os.makedirs(os.path.join(big, f"d{i:05d}"), exist_ok=True)
os.makedirs(os.path.join(data, "chain", *(["c"] * (depth + 1))), exist_ok=True)
EOF

windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
value() { sed -n "s/^$1=//p" <<<"$2"; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
probe_run() { wine "$probe" "$@" </dev/null 2>/dev/null | tr -d '\r' || true; }

builds=(current)
[ -n "$baseline" ] && builds+=(baseline)
exe_of() { if [ "$1" = current ]; then echo "$current"; else echo "$baseline"; fi; }

declare -A expand chain1 chain100 chainsum
for ((r = 1; r <= rounds; r++)); do
  order=("${builds[@]}")
  ((r % 2 == 0)) && [ ${#builds[@]} = 2 ] && order=(baseline current)
  for b in "${order[@]}"; do
    exe=$(windows_path "$(exe_of "$b")")
    for n in "${sizes[@]}"; do
      if [ "$b" = baseline ] && [ "$n" -ge 20000 ] && [ "${KELVANE_BENCH_BASELINE_BIG:-0}" != 1 ]; then continue; fi
      out=$(probe_run "$exe" "$(windows_path "$data/scale/n$n")" expand big)
      s=$(value expand_seconds "$out")
      echo "  round $r $b: $n subfolders opened in ${s:-n/a} s ($(value nodes "$out") nodes)"
      [ -n "$s" ] && expand[$b,$n]+="$s "
    done
    out=$(probe_run "$exe" "$(windows_path "$data")" chain "$depth")
    first=$(value level_1_seconds "$out")
    last=$(value "level_${depth}_seconds" "$out")
    sum=$(grep '^level_' <<<"$out" | awk -F= '{ s += $2 } END { printf "%.3f", s }')
    echo "  round $r $b: chain level 1 ${first:-n/a} s, level 40 $(value level_40_seconds "$out") s, level 80 $(value level_80_seconds "$out") s, level $depth ${last:-n/a} s; all $depth levels $sum s"
    if [ -n "$first" ] && [ -n "$last" ]; then
      chain1[$b]+="$first "
      chain100[$b]+="$last "
      chainsum[$b]+="$sum "
    fi
  done
done

echo
echo "Summary (medians of $rounds rounds; timed from outside the program, TVM_EXPAND)"
for b in "${builds[@]}"; do
  echo "  $b build ($(exe_of "$b")):"
  for n in "${sizes[@]}"; do
    [ -n "${expand[$b,$n]:-}" ] || continue
    # shellcheck disable=SC2086
    echo "    $n subfolders: $(median ${expand[$b,$n]}) s"
  done
  if [ -n "${chain1[$b]:-}" ]; then
    # shellcheck disable=SC2086
    echo "    chain: level 1 $(median ${chain1[$b]}) s, level $depth $(median ${chain100[$b]}) s, all $depth levels $(median ${chainsum[$b]}) s"
  fi
done
