#!/usr/bin/env bash
# Installs what the tests need, builds both architectures and runs every
# suite under Wine on a virtual display, in three configurations:
#   x86 on win64: the 32-bit build on 64-bit Windows, under WOW64, where
#                 nearly all users run it;
#   x64 on win64: the 64-bit build on 64-bit Windows;
#   x86 on win32: the 32-bit build on 32-bit Windows.
# Arguments go to ctest (`-R walk` runs the matching suites only);
# KELVANE_CONFIGS="x86/win64 x64/win64" runs only the configurations named.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
configs=(${KELVANE_CONFIGS:-x86/win64 x64/win64 x86/win32})
bash "$root/scripts/install-deps.sh"
for arch in $(printf '%s\n' "${configs[@]}" | cut -d/ -f1 | sort -u); do
  KELVANE_ARCH=$arch bash "$root/scripts/build.sh"
done

unset DISPLAY
. "$root/scripts/wine-env.sh"
# The x86 build is built everywhere but runs only where the kernel can start
# Wine's 32-bit loader: elsewhere its configurations are named as not run.
skipped=()
if ! k_runs_32bit; then
  for config in "${configs[@]}"; do
    if [ "${config%/*}" = x86 ]; then
      skipped+=("  x86 on ${config#*/}: not run: this machine cannot start 32-bit programs")
    fi
  done
  mapfile -t configs < <(printf '%s\n' "${configs[@]}" | grep -v '^x86/' || true)
fi
k_display # before Wine's helper processes start, so they find the display
trap 'wineserver -k 2>/dev/null || true; k_stop_display' EXIT

passed=0 failed=0 summary=()
for config in "${configs[@]}"; do
  export KELVANE_ARCH=${config%/*} KELVANE_WINDOWS=${config#*/}
  unset KELVANE_BUILD
  . "$root/scripts/wine-env.sh"
  echo "== the $KELVANE_ARCH build on $KELVANE_WINDOWS =="
  wineserver -k 2>/dev/null || true # helpers started earlier may lack this display
  k_prefix
  started=$SECONDS rc=0
  (cd "$KELVANE_BUILD" && ctest --output-on-failure --timeout 600 "$@") | tee "$KELVANE_BUILD/ctest.log" ||
    rc=$?
  wineserver -k 2>/dev/null || true
  # ctest's closing line: "100% tests passed, 0 tests failed out of 18".
  ok= bad=
  read -r ok bad < <(sed -n 's/.* tests passed, \([0-9]*\) tests failed out of \([0-9]*\)/\1 \2/p' \
                       "$KELVANE_BUILD/ctest.log" | awk '{ print $2 - $1, $1 }') || true
  [ "$rc" = 0 ] || [ "${bad:-0}" -gt 0 ] || bad=1
  passed=$((passed + ${ok:-0})) failed=$((failed + ${bad:-0}))
  summary+=("  $KELVANE_ARCH on $KELVANE_WINDOWS: ${ok:-0} passed, ${bad:-0} failed in $((SECONDS - started)) s")
done
echo
printf '%s\n' "${summary[@]}" "${skipped[@]}"
echo "suites: $passed passed, $failed failed"
[ "$failed" = 0 ] && [ ${#summary[@]} -gt 0 ]
