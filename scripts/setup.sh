#!/usr/bin/env bash
# Installs what building and testing MdbSwitch needs on a Debian machine:
# the compilers, CMake and GoogleTest, MinGW-w64, Wine (with the i386
# architecture for its 32-bit loader), Xvfb and a Japanese font and locale.
# Runs as root, without standard input; safe to run again.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make g++ libgtest-dev libgmock-dev python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic locales strace
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

updated=no
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -q </dev/null
  updated=yes
  apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
echo "set-up complete (package lists updated: $updated)"
