#!/usr/bin/env bash
# Installs what building and testing MdbSwitch needs on a Debian machine:
# the compilers, CMake and GoogleTest, MinGW-w64, Wine (with the i386
# architecture for its 32-bit loader), Xvfb, a Japanese font and locale,
# wixl and msitools for the Windows Installer package; and, for machines
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
  wixl msitools
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
# backports_source CODENAME SOURCE_FILES...: the one-line source of the
# backports of the archive that the machine's own apt sources (one-line
# lists or deb822 *.sources) name for its release, with the same key.
backports_source() {
  local codename=$1
  shift
  awk -v s="$codename" '
    function emit(options, uri) { print "deb " options uri " " s "-backports main"; done = 1; exit }
    # A deb822 stanza ends at a blank line or with its file.
    function stanza() {
      if (enabled && (" " types " ") ~ / deb / && (" " suites " ") ~ (" " s " ")) {
        split(uris, u, " ")
        emit(key ~ /^\// ? "[signed-by=" key "] " : "", u[1])
      }
      types = uris = suites = key = ""; enabled = 1
    }
    BEGIN { enabled = 1 }
    FNR == 1 { if (deb822) stanza(); deb822 = FILENAME ~ /\.sources$/ }
    !deb822 && $1 == "deb" {
      line = $0; options = ""
      if (match(line, /\[[^]]*\]/)) {
        options = substr(line, RSTART, RLENGTH) " "
        line = substr(line, 1, RSTART - 1) substr(line, RSTART + RLENGTH)
      }
      split(line, f, " ")
      if (f[3] == s) emit(options, f[2])
    }
    deb822 && /^[[:space:]]*$/ { stanza() }
    deb822 && /^[^#[:space:]][^:]*:/ {
      k = tolower(substr($0, 1, index($0, ":") - 1)); v = substr($0, index($0, ":") + 1)
      gsub(/^[[:space:]]+|[[:space:]]+$/, "", v)
      if (k == "types") types = v; else if (k == "uris") uris = v; else if (k == "suites") suites = v
      else if (k == "signed-by") key = v; else if (k == "enabled") enabled = tolower(v) != "no"
    }
    END { if (deb822 && !done) stanza() }
  ' "$@"
}
qemu_cache=/var/cache/mdbswitch/qemu
qemu_major() {
  { "$1" --version 2>/dev/null || true; } | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}
if [ "$(uname -m)" = x86_64 ]; then
  major=$(qemu_major "$qemu_cache/qemu-i386")
  if [ "${major:-0}" -lt 8 ]; then
    apt_dir=/var/cache/mdbswitch/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$qemu_cache"
    # shellcheck source=/dev/null
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    sources=()
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && sources+=("$f")
    done
    source_line=$(backports_source "$codename" "${sources[@]}")
    if [ -z "$codename" ] || [ -z "$source_line" ]; then
      echo "set-up: no apt source of this machine serves its release (\"$codename\" in /etc/os-release)" >&2
      exit 1
    fi
    echo "$source_line" >"$apt_dir/sources.list"
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
