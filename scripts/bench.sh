#!/usr/bin/env bash
# How fast MdbSwitch gets the user to Access, beside programs that do only
# the least the same job needs; prints one table, ready for the README.
#   bash scripts/bench.sh          (BENCH_RUNS=n for other than 31 runs each)
# T1-T3 run the 32-bit product under Wine's 32-bit loader where this machine
# runs 32-bit code natively (scripts/wine32.sh check); elsewhere the x64 build
# under wine64, said on the terminal and in every row. One warm Wine session
# (prefix, wine server and Xvfb started once, one unmeasured run of each
# program first, 100 ms of quiet before every measured start: see
# scripts/bench/driver.cpp); every figure is the median of interleaved runs,
# and each ratio compares two figures from the same interleaved series. T4
# is always the 32-bit product. The programs it compares with are in
# scripts/bench/, built as targets of the preset; the stand-in Access is the
# launch tests'.
# A step that fails ends the script with a line naming it.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
state="$root/build/bench"
runs=${BENCH_RUNS:-31}
step="checking BENCH_RUNS"
# Said once, by the script itself rather than by a command substitution.
trap '[ "$BASH_SUBSHELL" -ne 0 ] || echo "bench.sh: FAILED at: $step" >&2' ERR
begin() {
  step=$1
  echo "== $step" >&2
}
load() { cut -d' ' -f1-3 /proc/loadavg; }
load_before=$(load)
[[ $runs =~ ^[1-9][0-9]*$ ]] || {
  echo "bench.sh: BENCH_RUNS must be a positive number, not '$runs'" >&2
  false
}

begin "set-up (scripts/setup.sh)"
bash scripts/setup.sh >/dev/null

begin "checking how 32-bit programs run here"
mode=$(bash scripts/wine32.sh check)
if [ "$mode" = native ]; then
  preset=win32 build="32-bit product"
else
  preset=win64 build="x64 build"
  echo "bench.sh: 32-bit programs do not run natively here ($mode):" \
    "T1-T3 measure the x64 build, not the product" >&2
fi

begin "building the $preset preset's product and benchmark programs"
programs=(MdbSwitch standin_msaccess bench_bare bench_plainwindow bench_driver)
# shellcheck source=scripts/lib.sh
source "$root/scripts/lib.sh"
build_preset "$preset" "${programs[@]}" >/dev/null
if [ "$preset" != win32 ]; then
  build_preset win32 MdbSwitch >/dev/null
fi
built="$root/build/$preset"

wine=$(wine_binary "$preset")
begin "starting the Wine session ($wine)"
session="$state/wine"
wine_session "$session" "$wine"

begin "preparing the programs, the stand-in Access and the databases"
work="$session/work"
mkdir -p "$work"
cp "$built/MdbSwitch.exe" "$built"/bench/{bare,plainwindow,driver}.exe "$work/"
# standin DIR CODE SETTINGS: a stand-in Access in $work/DIR with the
# settings of its standin.ini, registered as Access.Application.CODE; its
# Windows path.
standin() {
  mkdir -p "$work/$1"
  cp "$built/standin/msaccess.exe" "$work/$1/msaccess.exe"
  printf '[standin]\r\n%b' "$3" >"$work/$1/standin.ini"
  local path
  path=$(wine_path "$work/$1/msaccess.exe")
  "$wine" reg add "HKCR\\Access.Application.$2\\shell\\open\\command" /ve /f \
    /d "\"$path\" /NOSTARTUP \"%1\"" >/dev/null 2>&1
  echo "$path"
}
access=$(standin ac9 9 'created=1\r\n')

# Jet 4 files with the same first page: 100 KB, and 1 GB sparse.
python3 - "$work" <<'EOF'
import os, sys
page = bytearray(4096)
page[1] = 1
page[4:19] = b"Standard Jet DB"
page[0x14] = 1
for name, size in (("Fruit 2000.mdb", 102400), ("Small 2000.mdb", 102400),
                   ("Large 2000.mdb", 1 << 30)):
    with open(os.path.join(sys.argv[1], name), "wb") as f:
        f.write(page)
        f.truncate(size)
EOF

driver() { (cd "$work" && "$wine" driver.exe "$@" | tr -d "\r"); }
# The median of NAME in the driver's output; fails when it has none.
median() { awk -v n="$1" '$1 == n { print $2; found = 1 } END { exit !found }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# launches ACCESSDIR DB ACCESS: interleaved starts of DB through MdbSwitch and
# of ACCESS by the bare launcher, timed to the stand-in in ACCESSDIR.
launches() {
  driver launch "$runs" "$(wine_path "$work/$1/created.txt")" \
    mdbswitch "\"$(wine_path "$work/MdbSwitch.exe")\" \"$2\"" \
    bare "\"$(wine_path "$work/bare.exe")\" \"$3\" /NOSTARTUP  \"$2\""
}

begin "T1: $runs interleaved launches each"
db=$(wine_path "$work/Fruit 2000.mdb")
t1=$(launches ac9 "$db" "$access")
t1a=$(median mdbswitch <<<"$t1")
t1b=$(median bare <<<"$t1")

begin "T1b: $runs interleaved launches each of a file whose format is read"
# Access 2003 beside Access 2000: a real 2002-2003 format file is told apart
# by its catalogue before Access 2003 starts.
access11=$(standin ac11 11 'created=1\r\n')
cp "$root/tests/launch/samples/jet4-2003-jackcess-del.mdb" "$work/Orders 2003.mdb"
db11=$(wine_path "$work/Orders 2003.mdb")
t5=$(launches ac11 "$db11" "$access11")
t5a=$(median mdbswitch <<<"$t5")
t5b=$(median bare <<<"$t5")

begin "T1c: the footprint while Access runs, $runs interleaved launches each"
# The same launches, each measured while its Access (one that stays until it
# is let go) runs; then Access 2000 is the timed stand-in again.
waiting=$(standin acw 9 'created=1\r\nhold=1\r\n')
t6=$(driver footprint "$runs" "$(wine_path "$work/acw")" \
  mdbswitch "\"$(wine_path "$work/MdbSwitch.exe")\" \"$db\"" \
  bare "\"$(wine_path "$work/bare.exe")\" \"$waiting\" /NOSTARTUP  \"$db\"")
t6a=$(median mdbswitch <<<"$t6")
t6b=$(median bare <<<"$t6")
standin ac9 9 'created=1\r\n' >/dev/null

begin "T2: $runs interleaved probes each"
large=$(wine_path "$work/Large 2000.mdb")
small=$(wine_path "$work/Small 2000.mdb")
t2=$(driver probe "$runs" "$large" "$small")
t2a=$(median large <<<"$t2")
t2b=$(median small <<<"$t2")

begin "T2: the bytes each probe reads (strace)"
# Bytes that reads of the file returned, from the system calls: those made
# inside a ReadFile call (Wine's relay trace of it, written to a file: Wine
# writes no trace to /dev/null) apart from Wine's own, such as the peek its
# GetFileType takes at a file's start. Prints "program wine".
"$wine" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d KERNEL32.ReadFile /f >/dev/null 2>&1
bytes_read() {
  (cd "$work" && WINEDEBUG=+relay strace -f -qq -y -s 64 -o "$session/strace.txt" \
    -e trace=read,pread64,readv,preadv,preadv2,write \
    "$wine" driver.exe "${3:-probeonce}" "$2" >/dev/null 2>"$session/relay.txt")
  awk -v file="<$1>" '
    / write\(2</ && /:Call KERNEL32\.ReadFile\(/ { inside[$1] = 1 }
    / write\(2</ && /:Ret  KERNEL32\.ReadFile\(/ { inside[$1] = 0 }
    index($0, file) && $NF + 0 > 0 { if (inside[$1]) program += $NF; else wine += $NF }
    END { print program + 0, wine + 0 }' "$session/strace.txt"
}
read -r b2a w2a <<<"$(bytes_read "$work/Large 2000.mdb" "$large")"
read -r b2b w2b <<<"$(bytes_read "$work/Small 2000.mdb" "$small")"
read -r b5 w5 <<<"$(bytes_read "$work/Orders 2003.mdb" "$db11" formatonce)"
if [ "$b2a" -eq 0 ] || [ "$b2b" -eq 0 ] || [ "$b5" -eq 0 ]; then
  echo "bench.sh: the trace shows no ReadFile of the databases" >&2
  false
fi

begin "T3: $runs interleaved window starts each"
t3=$(driver window "$runs" mdbswitch 13 "\"$(wine_path "$work/MdbSwitch.exe")\"" \
  plain 0 "\"$(wine_path "$work/plainwindow.exe")\"")
t3a=$(median mdbswitch <<<"$t3")
t3b=$(median plain <<<"$t3")

begin "T4: the 32-bit product's size and imports"
product="$root/build/win32/MdbSwitch.exe"
size=$(stat -c %s "$product")
python3 tests/platform/check_imports.py "$product" tests/platform/imports-win32.txt \
  --os-version 5.0 >&2
imports=$(i686-w64-mingw32-objdump -p "$product" | sed -n 's/^\s*DLL Name: //p' | sort -f)
# The delay-import names (ANSI) and the names given to LoadLibraryW (UTF-16),
# each cut to its longest tail that is a DLL of the system folder: a string
# may follow a stray printable character in the data.
system32="$session/prefix/drive_c/windows/system32"
dll_tail() {
  local name
  while read -r name; do
    while [ -n "$name" ] && [ ! -e "$system32/${name,,}" ]; do name=${name:1}; done
    [ -z "$name" ] || echo "$name"
  done
}
others() {
  { grep -ix '[a-z0-9]*\.dll' || true; } | dll_tail | { grep -vixF "$imports" || true; } | sort -fu
}
delayed=$(strings -a "$product" | others)
loaded=$(strings -a -el "$product" | others)
list() { tr '\n' ' ' <<<"$1" | sed 's/ $//'; }
load_after=$(load)

begin "printing the table"
cat <<EOF
| | build | measure (medians of $runs interleaved runs) | MdbSwitch | compared with | ratio | goal |
|---|---|---|---|---|---|---|
| T1 | $build | time to Access: launcher created → stand-in Access created | $t1a ms | bare launcher $t1b ms | $(ratio "$t1a" "$t1b") | ≤ 1.2 |
| T1b | $build | the same for a real 2002-2003 format file with Access 2000 and 2003 installed, its catalogue read (bytes its reads returned; Wine's own peeks) | $t5a ms ($b5 B; $w5 B) | bare launcher $t5b ms | $(ratio "$t5a" "$t5b") | ≤ 1.2 |
| T1c | $build | working set while waiting for Access (half a second after it started) | $(printf %.0f "$t6a") KB | bare launcher $(printf %.0f "$t6b") KB | $(ratio "$t6a" "$t6b") | |
| T2 | $build | header probe, 1 GB sparse file vs 100 KB file (bytes its reads returned; Wine's own peeks) | $t2a ms ($b2a B; $w2a B) | $t2b ms ($b2b B; $w2b B) | $(ratio "$t2a" "$t2b") | ≤ 1.1, ≤ 4096 B |
| T3 | $build | settings window: process created → visible with 13 controls | $t3a ms | one plain window $t3b ms | $(ratio "$t3a" "$t3b") | ≤ 2 |
| T4 | 32-bit product | size; DLLs imported, delay-loaded, loaded when needed | $size bytes | $(list "$imports"); delay: $(list "$delayed"); when needed: $(list "$loaded") | | ≤ 409600 bytes, Windows 2000's DLLs only |

Measured on $(sed -n 's/^PRETTY_NAME="*\([^"]*\)"*$/\1/p' /etc/os-release), $("$wine" --version) ($(basename "$wine")),
$(nproc) cores ($(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -n 1)), $(awk '/^MemTotal/ { printf "%.0f", $2 / 1048576 }' /proc/meminfo) GB of memory; load average $load_before before the run, $load_after after it.
EOF
