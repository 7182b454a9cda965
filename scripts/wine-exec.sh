#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine in the project's prefix; the
# test runner uses it as the emulator of every test executable.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
k_prefix
[ -n "${DISPLAY:-}" ] || { echo "wine-exec: no DISPLAY (run through scripts/test.sh)" >&2; exit 1; }
# KELVANE_LOCALE starts the program in another locale, and so with another
# ANSI code page (en_US.UTF-8: 1252).
if [ -n "${KELVANE_LOCALE:-}" ]; then export LANG=$KELVANE_LOCALE LC_ALL=$KELVANE_LOCALE; fi
exec wine "$@"
