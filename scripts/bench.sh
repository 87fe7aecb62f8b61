#!/usr/bin/env bash
# How fast MdbSwitch gets the user to Access, beside programs that do only
# the least the same job needs; prints one table.
#   bash scripts/bench.sh          (BENCH_RUNS=n for more than 15 runs each)
# T1-T3 run the x64 build natively under wine64 in one warm Wine session
# (prefix, wine server and Xvfb started once, one unmeasured run of each
# program first); every figure is the median of interleaved runs, and each
# ratio compares two figures from the same interleaved series. T4 is the
# 32-bit product. The programs it compares with are in scripts/bench/.
# Everything lives under build/bench/; the session is ended on exit.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
state="$root/build/bench"
runs=${BENCH_RUNS:-15}

bash scripts/setup.sh >/dev/null
echo "== building (win64 for T1-T3, win32 for T4)" >&2
cmake --preset win64 -B "$state/win64" >/dev/null
cmake --build "$state/win64" -j2 --target MdbSwitch mdbwin32 >/dev/null
cmake --preset win32 -B "$state/win32" >/dev/null
cmake --build "$state/win32" -j2 --target MdbSwitch >/dev/null

# The compiler the preset's toolchain chose.
cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$state"/win64/CMakeFiles/*/CMakeCXXCompiler.cmake)
bin="$state/programs"
mkdir -p "$bin"
for program in standin bare plainwindow; do
  "$cxx" -O2 -municode -mwindows -static -s -o "$bin/$program.exe" "scripts/bench/$program.cpp"
done
"$cxx" -O2 -std=c++17 -static -s -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -Isrc \
  -o "$bin/driver.exe" scripts/bench/driver.cpp \
  "$state/win64/libmdbwin32.a" "$state/win64/libmdbcore.a" -luuid -ladvapi32 -luser32 -lgdi32

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64)
session="$state/wine"
echo "== starting the Wine session" >&2
source "$root/scripts/wine/wine.sh"
wine_session "$session" "$wine"

work="$session/work"
mkdir -p "$work/ac9"
windows() { printf 'Z:%s' "$1" | tr / '\\'; }
cp "$state/win64/MdbSwitch.exe" "$bin/bare.exe" "$bin/plainwindow.exe" "$bin/driver.exe" "$work/"
cp "$bin/standin.exe" "$work/ac9/msaccess.exe"
access=$(windows "$work/ac9/msaccess.exe")
"$wine" reg add 'HKCR\Access.Application.9\shell\open\command' /ve /f \
  /d "\"$access\" /NOSTARTUP \"%1\"" >/dev/null 2>&1

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
median() { awk -v n="$1" '$1 == n { print $2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== T1: $runs interleaved launches each" >&2
db=$(windows "$work/Fruit 2000.mdb")
t1=$(driver launch "$runs" "$(windows "$work/ac9/created.txt")" \
  mdbswitch "\"$(windows "$work/MdbSwitch.exe")\" \"$db\"" \
  bare "\"$(windows "$work/bare.exe")\" \"$access\" /NOSTARTUP  \"$db\"")
t1a=$(median mdbswitch <<<"$t1")
t1b=$(median bare <<<"$t1")

echo "== T2: $runs interleaved probes each, then the bytes each probe reads" >&2
large=$(windows "$work/Large 2000.mdb")
small=$(windows "$work/Small 2000.mdb")
t2=$(driver probe "$runs" "$large" "$small")
t2a=$(median large <<<"$t2")
t2b=$(median small <<<"$t2")
# Bytes that reads of the file returned, from the system calls: those of
# ReadFile (NtReadFile on the stack) apart from Wine's own, such as the peek
# its GetFileType takes at a file's start. Prints "program wine".
bytes_read() {
  (cd "$work" && strace -f -qq -k -y -P "$1" -e trace=read,pread64,readv,preadv,preadv2 \
    -o "$session/strace.txt" "$wine" driver.exe probeonce "$2" >/dev/null 2>&1)
  awk -v file="<$1>" '
    function settle() { if (open) { if (ours) program += n; else wine += n }; open = 0 }
    /^ > / { if (open && /NtReadFile/) ours = 1; next }
    { settle() }
    index($0, file) && $NF + 0 > 0 { open = 1; ours = 0; n = $NF }
    END { settle(); print program + 0, wine + 0 }' "$session/strace.txt"
}
read -r b2a w2a <<<"$(bytes_read "$work/Large 2000.mdb" "$large")"
read -r b2b w2b <<<"$(bytes_read "$work/Small 2000.mdb" "$small")"

echo "== T3: $runs interleaved window starts each" >&2
t3=$(driver window "$runs" mdbswitch 13 "\"$(windows "$work/MdbSwitch.exe")\"" \
  plain 0 "\"$(windows "$work/plainwindow.exe")\"")
t3a=$(median mdbswitch <<<"$t3")
t3b=$(median plain <<<"$t3")

product="$state/win32/MdbSwitch.exe"
size=$(stat -c %s "$product")
imports=$(i686-w64-mingw32-objdump -p "$product" | sed -n 's/^\s*DLL Name: //p' | sort -f)
# The delay-import names (ANSI) and the names given to LoadLibraryW (UTF-16).
delayed=$(strings -a "$product" | grep -ix '[a-z0-9]*\.dll' | grep -vixF "$imports" | sort -fu)
loaded=$(strings -a -el "$product" | grep -ix '[a-z0-9]*\.dll' | grep -vixF "$imports" | sort -fu)
list() { tr '\n' ' ' <<<"$1" | sed 's/ $//'; }

cat <<EOF
| | measure (medians of $runs interleaved runs; x64 build under wine64) | MdbSwitch | compared with | ratio | goal |
|---|---|---|---|---|---|
| T1 | time to Access: launcher created → stand-in Access created | $t1a ms | bare launcher $t1b ms | $(ratio "$t1a" "$t1b") | ≤ 1.25 |
| T2 | header probe, 1 GB sparse file vs 100 KB file (bytes its reads returned; Wine's own peeks) | $t2a ms ($b2a B; $w2a B) | $t2b ms ($b2b B; $w2b B) | $(ratio "$t2a" "$t2b") | ≤ 1.1, ≤ 4096 B |
| T3 | settings window: process created → visible with 13 controls | $t3a ms | one plain window $t3b ms | $(ratio "$t3a" "$t3b") | ≤ 2 |
| T4 | 32-bit product (win32 build): size; DLLs imported, delay-loaded, loaded when needed | $size bytes | $(list "$imports"); delay: $(list "$delayed"); when needed: $(list "$loaded") | | ≤ 409600 bytes, Windows DLLs only |
EOF
