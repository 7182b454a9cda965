#!/usr/bin/env bash
# Installs, idempotently, everything the build, the tests and the run need on
# Debian 12 as root: both MinGW-w64 cross compilers (the 32-bit and the 64-bit
# build), Wine for both kinds of prefix, Xvfb and the person's tools. The
# fonts serve the run and the tests' screenshots alike: Wine's own (Marlett
# for the frame's buttons), Liberation Sans in place of Arial, Ume UI Gothic
# in place of MS UI Gothic (the same metrics, so captions fit as on Windows),
# Noto CJK for the rest.
set -euo pipefail

pkgs=(cmake ninja-build g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64
      mingw-w64-x86-64-dev wine wine32:i386 wine64
      xvfb xdotool imagemagick locales googletest x11-utils clang-format
      fonts-wine fonts-liberation fonts-horai-umefont fonts-noto-cjk)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# A mirror being synced can serve an index that does not match its release
# file, and apt-get update then exits 100: try again after a pause, and if it
# still fails say which index and go on with the lists there are.
failed_suites=()
update_lists() {
  local log attempt url
  log=$(mktemp)
  for attempt in 1 2 3 4; do
    if apt-get update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$attempt" = 4 ] || sleep $((attempt * 10))
  done
  url=$(grep -m1 -oE 'Failed to fetch [^ ]+' "$log" | cut -d' ' -f4 || true)
  echo "install-deps: apt-get update failed 4 times, at ${url:-an unnamed index}; installing from the lists there are" >&2
  mapfile -t failed_suites < <(grep -oE 'Failed to fetch [^ ]+/dists/[^/]+/' "$log" |
                               sed 's#.*/dists/\([^/]*\)/#\1#' | sort -u)
  rm -f "$log"
}

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  update_lists
  install=(apt-get install -y -qq --no-install-recommends "${missing[@]}")
  if ! "${install[@]}" >/dev/null; then
    [ ${#failed_suites[@]} -gt 0 ] || exit 1
    # The suite whose index failed for one architecture still offers newer
    # versions for the others, and a library both architectures need must
    # have one version: take every package from the other suites instead.
    pins=$(mktemp -d)
    for suite in "${failed_suites[@]}"; do
      printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\n' "$suite" >>"$pins/kelvane"
    done
    echo "install-deps: installing again without ${failed_suites[*]}, whose lists are incomplete" >&2
    "${install[@]}" -o Dir::Etc::PreferencesParts="$pins" >/dev/null
    rm -rf "$pins"
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
