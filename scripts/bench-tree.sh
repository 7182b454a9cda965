#!/usr/bin/env bash
# Times the folder tree under Wine, side by side in one run of
# bench/bench_tree.exe:
#   - the first expansion of a node holding [count] subfolders (ShowFile off)
#     and of one holding [count] small files (ShowFile on) in the real
#     control, with the drawing of the visible nodes after it, against a bare
#     shell loop doing the least a fill needs (attributes, label, the item's
#     in-folder parsing name parsed in its folder and compared, one insert)
#     and against the same loop with the desktop's parse of the item's full
#     parsing name, the route the fill took before; medians of [rounds]
#     rounds in rotating order, the ratios beside their targets;
#   - the time from the program's start to its first painted tree under
#     rfDrives, measured inside the program (process creation time against
#     the end of the tree window's first WM_PAINT), three starts.
# Figures only: it fails on no target. KELVANE_BENCH_NO_FULL=1 leaves the
# full route out (it takes minutes on the biggest folders).
# Usage: bash scripts/bench-tree.sh [count] [rounds]   (defaults 5000 3)
set -euo pipefail
count=${1:-5000}
rounds=${2:-3}
[[ "$count" =~ ^[0-9]+$ && "$count" -gt 0 && "$rounds" =~ ^[0-9]+$ && "$rounds" -gt 0 ]] || {
  echo "usage: bash scripts/bench-tree.sh [count] [rounds]" >&2
  exit 2
}

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" bench_tree
. "$root/scripts/wine-env.sh"

work="$KELVANE_BUILD/bench-tree"
data="$work/data"
exe="$KELVANE_BUILD/bench/bench_tree.exe"
# A prefix of this benchmark's own: the wineserver -k below ends only Wine
# processes that this benchmark started, never those of tests running at the
# same time in the project's prefix.
export WINEPREFIX="$work/wineprefix"
mkdir -p "$work"

unset DISPLAY
k_display # before Wine's helper processes start, so they find the display
wineserver -k 2>/dev/null || true # helpers started earlier may lack this display
trap 'wineserver -k 2>/dev/null || true; k_stop_display' EXIT
k_prefix

# The two folders, made on the Linux side and kept for later runs while they
# hold exactly [count] entries each: data/folders with empty subfolders,
# data/files with small files.
entries() { find "$1" -mindepth 1 -maxdepth 1 "${@:2}" 2>/dev/null | wc -l; }
if [ "$(entries "$data/folders" -type d)" != "$count" ] || [ "$(entries "$data/folders")" != "$count" ] ||
   [ "$(entries "$data/files" -type f)" != "$count" ] || [ "$(entries "$data/files")" != "$count" ]; then
  rm -rf "$data"
  python3 - "$data" "$count" <<'EOF'
import os, sys
data, count = sys.argv[1], int(sys.argv[2])
width = len(str(count))
os.makedirs(os.path.join(data, "folders"))
os.makedirs(os.path.join(data, "files"))
for i in range(1, count + 1):
    os.mkdir(os.path.join(data, "folders", f"d{i:0{width}d}"))
    with open(os.path.join(data, "files", f"f{i:0{width}d}.txt"), "wb") as f:
        f.write(b"Kelvane bench file\r\n")
EOF
fi

windows_path() { local p=$1; echo "Z:${p//\//\\}"; }
value() { sed -n "s/^$1=//p" <<<"$2"; }

# Runs the benchmark program, its output with the carriage returns taken out;
# a failure is reported, not fatal, so that the other runs still print.
# Wine's note that it cannot read the volume label of Z: (the drives under
# rfDrives) is left out of the error output.
run_wine() {
  local label=$1 out rc=0 err
  shift
  err=$(mktemp)
  out=$(wine "$exe" "$@" </dev/null 2>"$err") || rc=$?
  grep -v 'FS volume label and serial are not available' "$err" >&2 || true
  rm -f "$err"
  [ "$rc" = 0 ] || echo "WARNING: ($label) bench_tree.exe ended with exit code $rc" >&2
  tr -d '\r' <<<"$out"
}

out=$(run_wine fill fill "$(windows_path "$data")" folders files "$rounds")
grep -v '^[a-z_]*=' <<<"$out" || true

echo
echo "Start to the first painted tree (real main window, rfDrives; measured in the program:"
echo "GetProcessTimes creation time to the end of the tree window's first WM_PAINT)"
starts=()
for i in 1 2 3; do
  launched=$(date +%s.%N)
  s=$(run_wine "startup $i" startup)
  painted=$(value startup_first_paint_unix "$s")
  from_launch=$(awk -v a="$launched" -v b="${painted:-0}" \
    'BEGIN { if (b > 0) printf "%.1f", (b - a) * 1000; else print "n/a" }')
  printf '  start %d: first tree paint done %s ms after process creation (main() at %s ms, windows built %s ms, shown %s ms; %s nodes; update region empty: %s); %s ms after the shell launched wine\n' \
    "$i" "$(value startup_to_first_paint_ms "$s")" "$(value startup_to_main_ms "$s")" \
    "$(value startup_to_built_ms "$s")" "$(value startup_to_shown_ms "$s")" \
    "$(value startup_tree_nodes "$s")" "$(value startup_painted_clean "$s")" "$from_launch"
  starts+=("$(value startup_to_first_paint_ms "$s")")
done

echo
echo "Summary ($count entries per folder, $rounds rounds)"
for kind in folders files; do
  label="$count subfolders:"
  [ "$kind" = files ] && label="$count files:     "
  printf '  %s control %s s, least %s s, full route %s (medians): control/least = %s (target <= 1.50); full route/control = %s (target >= 5 at 5000); same node counts: %s\n' \
    "$label" "$(value ${kind}_control_seconds "$out")" "$(value ${kind}_bare_seconds "$out")" \
    "$(value ${kind}_full_seconds "$out" | sed 's/$/ s/' | grep . || echo skipped)" "$(value ${kind}_ratio "$out")" \
    "$(value ${kind}_full_ratio "$out" | grep . || echo n/a)" \
    "$([ "$(value ${kind}_same_work "$out")" = 1 ] && echo yes || echo NO)"
done
printf '  start to first painted tree: %s ms (median of %s)\n' \
  "$(printf '%s\n' "${starts[@]}" | sort -g | sed -n 2p)" "$(IFS=/; echo "${starts[*]}") ms"
