#!/usr/bin/env bash
# Times the read-only clearing walk under Wine on a generated tree, each run
# on its own fresh read-only copy:
#   (a) the walk through the real main form (bench_walk form), and beside it
#       what its status line and message pumping cost alone (bench_walk status),
#   (b) a bare breadth-first FindFirstFileA/SetFileAttributesA loop (bench_walk bare),
#   (c) Wine's own attrib -r /s /d;
# then prints the times, the ratios a/b and a/c beside their targets, and the
# walk's C++ heap per queued folder. Figures only: it fails on no target.
# Usage: bash scripts/bench.sh [folders] [files-per-folder]   (defaults 2000 20)
set -euo pipefail
folders=${1:-2000}
files=${2:-20}
[[ "$folders" =~ ^[0-9]+$ && "$files" =~ ^[0-9]+$ ]] || {
  echo "usage: bash scripts/bench.sh [folders] [files-per-folder]" >&2
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

# (a) the walk through the real main form
start=$(fresh_copy a)
out_a=$(run_wine a "$exe" form "$(windows_path "$start")" "$folders")
check_run a "$start"
check_count a "the clear count" "$(value cleared "$out_a")"
check_count a "the count in the status text" "$(value status_count "$out_a")"
[ "$(value on_display "$out_a")" = 1 ] || echo "WARNING: (a) the main window was not on the display" \
  "(the running Wine desktop was started without one): its painting is not in the figures" >&2
# what (a) spends on its status line and message pumping, alone, over the
# same (now writable) folders: no attribute changes
out_s=$(run_wine a "$exe" status "$(windows_path "$start")")

# (b) the bare loop
start=$(fresh_copy b)
out_b=$(run_wine b "$exe" bare "$(windows_path "$start")")
check_run b "$start"
check_count b "the clear count" "$(value cleared "$out_b")"

# (c) Wine's attrib, timed from here: the starts of cmd and attrib included
# (the start of cmd alone is printed beside it)
start=$(fresh_copy c)
t0=$(date +%s.%N)
run_wine c cmd /c "attrib -r $(windows_path "$start")\\* /s /d" >/dev/null
t1=$(date +%s.%N)
run_wine c cmd /c exit >/dev/null
t2=$(date +%s.%N)
check_run c "$start"

time_a=$(value seconds "$out_a")
time_b=$(value seconds "$out_b")
time_c=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
start_c=$(awk -v a="$t1" -v b="$t2" 'BEGIN { printf "%.3f", b - a }')
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0 && b > 0) printf "%.2f", a / b; else print "n/a" }'; }

echo
echo "Kelvane walk benchmark: $folders folders (depth $depth) x $files files = $entries read-only entries"
printf '  (a) main form walk       %8s s   cleared %s, count in the status text %s\n' \
  "${time_a:-n/a}" "$(value cleared "$out_a")" "$(value status_count "$out_a")"
printf '      of which status line and message pumping alone: %s s over %s folders\n' \
  "$(value seconds "$out_s")" "$(value folders "$out_s")"
printf '  (b) bare FindFirstFile   %8s s   cleared %s\n' "${time_b:-n/a}" "$(value cleared "$out_b")"
printf '  (c) wine attrib -r /s /d %8s s   (wine cmd /c exit alone: %s s)\n' "$time_c" "$start_c"
printf '  a/b = %s   (target <= 1.10)\n' "$(ratio "$time_a" "$time_b")"
printf '  a/c = %s   (target <= 1.00)\n' "$(ratio "$time_a" "$time_c")"
printf '  walk memory: C++ heap peak %s bytes over %s queued folders = %s bytes per folder\n' \
  "$(value heap_peak_bytes "$out_a")" "$(value folders "$out_a")" "$(value bytes_per_folder "$out_a")"
