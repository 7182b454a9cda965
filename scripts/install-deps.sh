#!/usr/bin/env bash
# Installs, idempotently, everything the build, the tests and the run need on
# Debian 12 as root. The fonts serve the run and the tests' screenshots alike:
# Wine's own (Marlett for the frame's buttons), Liberation Sans in place of
# Arial, Ume UI Gothic in place of MS UI Gothic (the same metrics, so captions
# fit as on Windows), Noto CJK for the rest.
set -euo pipefail

pkgs=(cmake ninja-build g++-mingw-w64-i686 mingw-w64-i686-dev wine wine32:i386 wine64
      xvfb xdotool imagemagick locales googletest x11-utils
      fonts-wine fonts-liberation fonts-horai-umefont fonts-noto-cjk)

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
