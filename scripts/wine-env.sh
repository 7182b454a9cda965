# Sourced by the project's scripts: the build folder of one architecture,
# the project's own Wine prefix of one kind of Windows, a Japanese locale
# (ANSI code page 932), no debug output, no Mono/Gecko prompts, a persistent
# wineserver, and a display.
#   KELVANE_ARCH     the build: x86 (the default) or x64, in build/<arch>
#   KELVANE_WINDOWS  the Windows it runs on: win64 (the default: 64-bit
#                    Windows, where the x86 build runs under WOW64) or win32
#   KELVANE_BUILD    another build folder
#   KELVANE_DLL_OVERRIDES  more of Wine's DLL overrides (name,...=n,b)
#   KELVANE_WINE     set here: the loader to start a program with, where
#                    the system's `wine` cannot start it
# Usage: . scripts/wine-env.sh
_k_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KELVANE_ARCH=${KELVANE_ARCH:-x86}
export KELVANE_WINDOWS=${KELVANE_WINDOWS:-win64}
case "$KELVANE_ARCH/$KELVANE_WINDOWS" in
  x86/win64 | x86/win32 | x64/win64) ;;
  *) echo "wine-env: no such configuration: $KELVANE_ARCH build on $KELVANE_WINDOWS" >&2; return 2 ;;
esac
export KELVANE_BUILD=${KELVANE_BUILD:-$_k_root/build/$KELVANE_ARCH}
export WINEARCH=$KELVANE_WINDOWS
export WINEPREFIX=$_k_root/build/wineprefix-$KELVANE_WINDOWS
export WINEDEBUG=-all
# KELVANE_DLL_OVERRIDES adds overrides of Wine's DLL load order: Wine takes
# them from the environment that the first of its processes started with,
# so a test cannot give them to a program it starts.
export WINEDLLOVERRIDES="${KELVANE_DLL_OVERRIDES:+$KELVANE_DLL_OVERRIDES;}mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Debian's `wine` starts every program through the 32-bit loader, which a
# kernel built without 32-bit support cannot execute ("Exec format error").
# There the 64-bit loader serves the x64 build directly, through `wine` and
# `wine-stable` (wineboot's) on PATH, and the x86 build cannot run at all.
k_runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if ! k_runs_32bit && [ -x /usr/lib/wine/wine64 ]; then
  _k_bin=$_k_root/build/wine64-loader
  if [ ! -x "$_k_bin/wine-stable" ]; then
    mkdir -p "$_k_bin"
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
      >"$_k_bin/wine"
    chmod +x "$_k_bin/wine"
    cp "$_k_bin/wine" "$_k_bin/wine-stable"
  fi
  case ":$PATH:" in *":$_k_bin:"*) ;; *) export PATH="$_k_bin:$PATH" ;; esac
  export KELVANE_WINE=$_k_bin/wine # for the tests' Unix shells, whose PATH is their own
fi

# The prefix's own settings. The prefix's marker names a digest of this
# function, so that a prefix made with other settings is set up again.
_k_prefix_setup() {
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # Metric twins, so that texts laid out for Arial and MS UI Gothic fit.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f \
    >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
    /d 'Ume UI Gothic' /f >/dev/null 2>&1 || true
  # Wine draws the frame's buttons with Marlett, which this Wine build does
  # not find among its own fonts unless it is in the prefix.
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Unmanaged windows: with no window manager, Wine's managed windows wait
  # about 2 s on every hide, and keys reach a popup menu only under the
  # pointer.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  # Ends the server (also a persistent one) so the registry is saved.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

k_prefix() {
  local marker
  marker="$WINEPREFIX/.kelvane-ready-$(declare -f _k_prefix_setup | md5sum | cut -c1-12)"
  if [ ! -f "$marker" ]; then
    _k_prefix_setup
    rm -f "$WINEPREFIX"/.kelvane-ready-*
    touch "$marker"
  fi
  # Wine's helper processes (services, the desktop's explorer) outlive the
  # program that started them; start them here with no inherited output, so
  # that a test runner waiting on a program's output is not held by them.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display unless DISPLAY already reaches one.
k_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  K_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

k_stop_display() {
  if [ -n "${K_XVFB_PID:-}" ]; then kill "$K_XVFB_PID" 2>/dev/null; wait "$K_XVFB_PID" 2>/dev/null; fi
  K_XVFB_PID=
}
