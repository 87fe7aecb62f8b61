#!/usr/bin/env bash
# Installs what building and testing MdbSwitch needs on a Debian machine:
# the compilers, CMake and GoogleTest, MinGW-w64, Wine (with the i386
# architecture for its 32-bit loader), Xvfb, a Japanese font and locale,
# wixl and msitools for the Windows Installer package, osslsigncode and
# openssl for its optional signing; and, for machines
# whose kernel cannot run i386 code, a private copy of qemu-i386
# (scripts/wine32.sh uses it).
# Runs as root, without standard input; safe to run again.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make g++ libgtest-dev libgmock-dev python3
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
  clang libclang-rt-14-dev clang-format shellcheck
  wine wine64 wine32:i386
  xvfb xauth x11-utils x11-apps imagemagick fonts-ipafont-gothic locales strace
  wixl msitools osslsigncode openssl
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
# qemu-i386 from the release's backports: Debian 12's own 7.2 ignores
# MAP_FIXED_NOREPLACE, which makes every 32-bit Wine process take minutes to
# start. It is unpacked into a cache folder, not installed: it must never be
# registered for i386 programs machine-wide (scripts/wine32.sh registers it in
# a private binfmt_misc inside a user namespace).
qemu_cache=/var/cache/mdbswitch/qemu
qemu_major() {
  { "$1" --version 2>/dev/null || true; } | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}
if [ "$(uname -m)" = x86_64 ]; then
  major=$(qemu_major "$qemu_cache/qemu-i386")
  if [ "${major:-0}" -lt 8 ]; then
    apt_dir=/var/cache/mdbswitch/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$qemu_cache"
    # The backports of the archive that this machine's own apt sources (one-line
    # or deb822, as apt reads them) name for its release.
    # shellcheck source=/dev/null  # the machine's own file
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    # shellcheck disable=SC2016  # apt's own field names
    archive=$(apt-get indextargets --no-release-info --format '$(RELEASE) $(REPO_URI)' |
      awk -v s="$codename" '$1 == s { print $2; exit }')
    if [ -z "$codename" ] || [ -z "$archive" ]; then
      echo "set-up: no apt source of this machine serves its release (\"$codename\")" >&2
      exit 1
    fi
    echo "deb $archive $codename-backports main" >"$apt_dir/sources.list"
    apt_opts=(-o Dir::Etc::sourcelist="$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
              -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir"
              -o APT::Sandbox::User=root)
    apt-get -q "${apt_opts[@]}" update </dev/null >/dev/null
    rm -rf "$apt_dir/unpacked" "$apt_dir"/qemu-user_*.deb
    (cd "$apt_dir" && apt-get -q "${apt_opts[@]}" download "qemu-user/$codename-backports" </dev/null >/dev/null)
    dpkg-deb -x "$apt_dir"/qemu-user_*.deb "$apt_dir/unpacked"
    cp "$apt_dir/unpacked/usr/bin/qemu-i386" "$qemu_cache/qemu-i386.new"
    mv "$qemu_cache/qemu-i386.new" "$qemu_cache/qemu-i386"
    rm -rf "$apt_dir/unpacked" "$apt_dir"/qemu-user_*.deb
    major=$(qemu_major "$qemu_cache/qemu-i386")
    if [ "${major:-0}" -lt 8 ]; then
      echo "set-up: qemu-i386 from $codename-backports is version ${major:-unknown}; 8 or later is needed" >&2
      exit 1
    fi
  fi
  echo "qemu-i386 $major ready in $qemu_cache"
fi

echo "set-up complete (package lists updated: $updated)"
