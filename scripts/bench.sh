#!/usr/bin/env bash
# Times the read-only clearing walk under Wine on a generated tree, in rounds
# whose order rotates, each run on its own fresh read-only copy:
#   (a) the walk through the real main form (bench_walk form),
#   (s) a bare loop that makes the walk's own calls (bench_walk safe),
#   (b) a bare breadth-first FindFirstFileA/SetFileAttributesA loop (bench_walk bare),
#   (c) Wine's own attrib -r /s /d,
#   (o) optionally an older build's walk, for before/after figures:
#       KELVANE_BENCH_BASELINE=<path of another bench_walk.exe>;
# then prints each one's median and the ratios a/s, a/b, a/c (and a/o)
# beside their targets, and the walk's C++ heap per queued folder. Figures
# only: it fails on no target.
# Usage: bash scripts/bench.sh [folders] [files-per-folder] [rounds]   (defaults 2000 20 5)
set -euo pipefail
folders=${1:-2000}
files=${2:-20}
rounds=${3:-5}
baseline=${KELVANE_BENCH_BASELINE:-}
[[ "$folders" =~ ^[0-9]+$ && "$files" =~ ^[0-9]+$ && "$rounds" =~ ^[1-9][0-9]*$ ]] || {
  echo "usage: bash scripts/bench.sh [folders] [files-per-folder] [rounds]" >&2
  exit 2
}

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" bench_walk
. "$root/scripts/wine-env.sh"
unset DISPLAY

exe="$KELVANE_BUILD/bench/bench_walk.exe"
template="$KELVANE_BUILD/bench/template-$folders-$files"
runs="$KELVANE_BUILD/bench/runs.$$"
entries=$((folders + folders * files))

# True while a wineserver serves this prefix: it holds a lock in its
# directory (/tmp/wine-*/server-<dev>-<inode> with Debian's Wine). A server
# this script starts is stopped again at the end; another one is left alone.
server_running() {
  python3 - "$WINEPREFIX" <<'EOF'
import fcntl, glob, os, struct, sys
st = os.stat(sys.argv[1])
name = f"server-{st.st_dev:x}-{st.st_ino:x}/lock"
query = struct.pack("hhqqi", fcntl.F_WRLCK, os.SEEK_SET, 0, 0, 0)
for lock in glob.glob(f"/tmp/wine-*/{name}") + glob.glob(f"/tmp/.wine-{os.getuid()}/{name}"):
    try:
        fd = os.open(lock, os.O_RDONLY)
    except OSError:
        continue
    if struct.unpack("hhqqi", fcntl.fcntl(fd, fcntl.F_GETLK, query))[0] != fcntl.F_UNLCK:
        sys.exit(0)
sys.exit(1)
EOF
}

own_server=1
[ -d "$WINEPREFIX" ] && server_running && own_server=0
cleanup() {
  if [ -d "$runs" ]; then chmod -R u+w "$runs" 2>/dev/null || true; rm -rf "$runs"; fi
  if [ "$own_server" = 1 ]; then wineserver -k 2>/dev/null || true; fi
  k_stop_display
}
trap cleanup EXIT
# The display first: Wine's desktop takes the display it starts with, and a
# desktop started without one leaves every window off screen, unpainted.
k_display
k_prefix

# The template: exactly $folders folders below start/, breadth first with a
# fan-out of about the cube root (three levels), $files small files in each.
if [ ! -f "$template/.complete" ]; then
  rm -rf "$template"
  python3 - "$template/start" "$folders" "$files" <<'EOF'
import math, os, sys
start, folders, files = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
fan = max(2, math.ceil(round(folders ** (1 / 3), 9)))
os.makedirs(start)
level, made = [start], 0
while made < folders:
    below = []
    for parent in level:
        for k in range(min(fan, folders - made)):
            folder = os.path.join(parent, f"d{k:02d}")
            os.mkdir(folder)
            for j in range(files):
                with open(os.path.join(folder, f"f{j:03d}.txt"), "wb") as f:
                    f.write(b"Kelvane bench file\r\n")
            below.append(folder)
            made += 1
    level = below
EOF
  touch "$template/.complete"
fi
depth=$(find "$template/start" -mindepth 1 -type d -printf '%d\n' | sort -n | tail -n 1)

# A fresh copy for one run, every entry below start/ read-only (start/ itself
# stays writable); prints the copy's start folder.
fresh_copy() {
  local dir="$runs/$1"
  mkdir -p "$dir"
  cp -a "$template/start" "$dir/"
  find "$dir/start" -mindepth 1 -exec chmod a-w {} +
  echo "$dir/start"
}

windows_path() { local p=$1; echo "Z:${p//\//\\}"; }

# Checks from Linux that nothing below the start folder is read-only any more
# and that the tree is the generated one; warns otherwise.
check_run() {
  local label=$1 start=$2 left nd nf
  left=$(find "$start" -mindepth 1 ! -perm -u+w | wc -l)
  nd=$(find "$start" -mindepth 1 -type d | wc -l)
  nf=$(find "$start" -mindepth 1 -type f | wc -l)
  [ "$left" = 0 ] || echo "WARNING: ($label) $left entries are still read-only" >&2
  [ "$nd" = "$folders" ] && [ "$nf" = $((folders * files)) ] ||
    echo "WARNING: ($label) the tree has $nd folders and $nf files, generated $folders and $((folders * files))" >&2
}

value() { sed -n "s/^$1=//p" <<<"$2"; }

check_count() {
  local label=$1 what=$2 count=$3
  [ "$count" = "$entries" ] ||
    echo "WARNING: ($label) $what is ${count:-missing}, expected $entries" >&2
}

# Runs a Windows program, its output with the carriage returns taken out;
# a failure is reported, not fatal, so that the other runs still print.
run_wine() {
  local label=$1 out rc=0
  shift
  out=$(wine "$@" </dev/null) || rc=$?
  [ "$rc" = 0 ] || echo "WARNING: ($label) wine $1 ended with exit code $rc" >&2
  tr -d '\r' <<<"$out"
}

# One run of one kind on a fresh copy; appends its seconds to $runs/<kind>.
run_kind() {
  local kind=$1 round=$2 start out t0 t1
  start=$(fresh_copy "$kind$round")
  case $kind in
  a | o)
    local program=$exe
    [ "$kind" = o ] && program=$baseline
    out=$(run_wine "$kind" "$program" form "$(windows_path "$start")" "$folders")
    check_count "$kind" "the clear count" "$(value cleared "$out")"
    check_count "$kind" "the count in the status text" "$(value status_count "$out")"
    if [ "$kind" = a ]; then
      [ "$(value on_display "$out")" = 1 ] || echo "WARNING: (a) the main window was not on" \
        "the display (the running Wine desktop was started without one)" >&2
      value bytes_per_folder "$out" >"$runs/memory"
    fi
    value seconds "$out" >>"$runs/$kind" ;;
  s | b)
    local mode=safe
    [ "$kind" = b ] && mode=bare
    out=$(run_wine "$kind" "$exe" "$mode" "$(windows_path "$start")")
    check_count "$kind" "the clear count" "$(value cleared "$out")"
    value seconds "$out" >>"$runs/$kind" ;;
  c)
    # timed from here: the starts of cmd and attrib included
    t0=$(date +%s.%N)
    run_wine c cmd /c "attrib -r $(windows_path "$start")\\* /s /d" >/dev/null
    t1=$(date +%s.%N)
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }' >>"$runs/$kind" ;;
  esac
  check_run "$kind" "$start"
  chmod -R u+w "$runs/$kind$round" && rm -rf "$runs/$kind$round"
}

kinds=(a s b c)
[ -n "$baseline" ] && kinds+=(o)
mkdir -p "$runs"
for ((r = 0; r < rounds; r++)); do
  n=${#kinds[@]}
  for ((k = 0; k < n; k++)); do run_kind "${kinds[$(((k + r) % n))]}" "$r"; done
done

# What (a) spends on its status line and message pumping alone, over the
# same folders with no attribute changed.
status_start=$(fresh_copy status)
out_status=$(run_wine status "$exe" status "$(windows_path "$status_start")")

median() { sort -n "$runs/$1" | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
all() { paste -sd' ' "$runs/$1"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0 && b > 0) printf "%.2f", a / b; else print "n/a" }'; }

echo
echo "Kelvane walk benchmark: $folders folders (depth $depth) x $files files = $entries read-only entries, $rounds rounds, medians"
printf '  (a) main form walk               %8s s   (%s)\n' "$(median a)" "$(all a)"
printf '      of which status line and message pumping alone: %s s over %s folders\n' \
  "$(value seconds "$out_status")" "$(value folders "$out_status")"
printf '  (s) bare loop, the walk'"'"'s calls    %8s s   (%s)\n' "$(median s)" "$(all s)"
printf '  (b) bare FindFirstFileA loop     %8s s   (%s)\n' "$(median b)" "$(all b)"
printf '  (c) wine attrib -r /s /d         %8s s   (%s)\n' "$(median c)" "$(all c)"
[ -n "$baseline" ] && printf '  (o) older walk (%s) %8s s   (%s)\n' "$baseline" "$(median o)" "$(all o)"
printf '  a/s = %s   (target <= 1.10)\n' "$(ratio "$(median a)" "$(median s)")"
printf '  a/b = %s\n' "$(ratio "$(median a)" "$(median b)")"
printf '  a/c = %s   (target <= 1.00)\n' "$(ratio "$(median a)" "$(median c)")"
[ -n "$baseline" ] && printf '  a/o = %s\n' "$(ratio "$(median a)" "$(median o)")"
printf '  walk memory: C++ heap peak per queued folder %s bytes\n' "$(cat "$runs/memory")"
