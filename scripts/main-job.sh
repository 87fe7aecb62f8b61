#!/usr/bin/env bash
# The main job, shown end to end: builds the 32-bit MdbSwitch.exe (the
# product), prepares a throwaway Wine prefix with two stand-in Access programs
# registered as Access 97 and Access 2000, makes a sample database of each
# generation, opens each through MdbSwitch.exe as the shell does, and prints
# which stand-in received which command line, with the log.
#   scripts/main-job.sh
# Wine runs the 32-bit programs natively where the kernel can, else through
# qemu-i386 in a private namespace (scripts/wine32.sh); only where neither
# works does it run the x64 build instead, and says so.
# Everything it makes lives under build/main-job/; its wine server and Xvfb
# are ended on exit.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
state="$root/build/main-job"
# shellcheck source=scripts/lib.sh
source scripts/lib.sh

if [ "${1:-}" != --inside ]; then
  bash scripts/setup.sh
  mode=$(bash scripts/wine32.sh check)
  arch=win32
  if [ "$mode" = none ]; then
    echo "!!! THIS MACHINE CANNOT RUN 32-BIT WINDOWS PROGRAMS: running the x64 build instead of the product"
    arch=win64
  fi
  echo "== building ($arch)"
  build_preset -B "$state/$arch" "$arch" MdbSwitch standin_msaccess >/dev/null
  if [ "$arch" = win32 ]; then
    exec bash scripts/wine32.sh run "$mode" bash scripts/main-job.sh --inside win32 "$mode"
  fi
  exec bash scripts/main-job.sh --inside win64 native
fi
arch=$2
wine=$(wine_binary "$arch")
if [ "$arch" = win32 ]; then
  echo "== running the 32-bit product, $state/win32/MdbSwitch.exe (32-bit programs run: $3)"
else
  echo "== running the x64 build, $state/win64/MdbSwitch.exe"
fi

session="$state/wine"
wine_session "$session" "$wine"

work="$session/work"
mkdir -p "$work/ac8" "$work/ac9"

cp "$state/$arch/MdbSwitch.exe" "$work/MdbSwitch.exe"
for ac in ac8 ac9; do cp "$state/$arch/standin/msaccess.exe" "$work/$ac/msaccess.exe"; done
# Each stand-in takes .mdb over while it runs, as an Access installation
# may, and ends after a second.
printf '[standin]\r\nmdb=Access.Application.8\r\ndelay=1000\r\nexit=0\r\n' >"$work/ac8/standin.ini"
printf '[standin]\r\nmdb=Access.Application.9\r\ndelay=1000\r\nexit=0\r\n' >"$work/ac9/standin.ini"

reg() { "$wine" reg "$@" 2>/dev/null; }
reg add 'HKCR\Access.Application.8\shell\open\command' /ve /f \
  /d "\"$(wine_path "$work/ac8/msaccess.exe")\" /NOSTARTUP \"%1\"" >/dev/null
reg add 'HKCR\Access.Application.9\shell\open\command' /ve /f \
  /d "\"$(wine_path "$work/ac9/msaccess.exe")\" /NOSTARTUP \"%1\"" >/dev/null
reg add 'HKCR\.mdb' /ve /d MdbSwitch /f >/dev/null

# A database file as far as its first page goes: page type 0, 01 00 00,
# "Standard Jet DB", and the format code at 0x14 (0 Jet 3, 1 Jet 4).
sample() {
  local path=$1 code=$2 page=$3
  {
    printf '\000\001\000\000Standard Jet DB\000'
    # shellcheck disable=SC2059  # the format code is the octal escape
    printf "\\$(printf '%03o' "$code")\\000\\000\\000"
    head -c $((page - 24)) /dev/zero
  } >"$path"
}
sample "$work/Sales 97.mdb" 0 2048
sample "$work/Orders 2000.mdb" 1 4096

# reg prints the name of the default value in the console's code page.
default_value() { reg query "$1" /ve | tr -d '\r' | LC_ALL=C sed -n 's/.*REG_SZ *//p'; }

report() {
  echo "-- MdbSwitch.exe exit status: $1"
  for ac in ac8 ac9; do
    if [ -f "$work/$ac/received.txt" ]; then
      echo "-- $ac/msaccess.exe received: $(cat "$work/$ac/received.txt")"
      rm -f "$work/$ac/received.txt" "$work/$ac/running.flag"
    fi
  done
  echo "-- .mdb afterwards: $(default_value 'HKCR\.mdb')"
  echo "-- MdbSwitch.Log:"
  iconv -f CP932 -t UTF-8 "$work/MdbSwitch.Log" | tr -d '\r' | sed 's/^/   /'
}

echo
echo "== Access 97 sample, started with the path and eight empty quoted arguments"
status=0
"$wine" "$work/MdbSwitch.exe" "$(wine_path "$work/Sales 97.mdb")" "" "" "" "" "" "" "" "" || status=$?
report "$status"

# That start registered MdbSwitch's own open command; the shell now finds it
# through .mdb, as a double-click would.
echo
echo "== Access 2000 sample, opened through the .mdb association (start /wait)"
echo "-- open command of MdbSwitch: $(default_value 'HKCR\MdbSwitch\shell\open\command')"
status=0
"$wine" start /wait "$(wine_path "$work/Orders 2000.mdb")" || status=$?
report "$status"
