#!/usr/bin/env bash
# Runs Wine's 32-bit loader on this machine, natively where the kernel runs
# i386 code, otherwise through qemu-i386 (set up by scripts/setup.sh)
# registered in a private binfmt_misc instance inside a user namespace, so
# that nothing outside the command it runs sees the registration.
#
#   scripts/wine32.sh check          prints native, qemu or none
#   scripts/wine32.sh run MODE CMD…  runs CMD (and all it starts) with 32-bit
#                                    Windows programs runnable under MODE
#
# The check starts a tiny 32-bit Windows program in a throwaway prefix under
# build/wine32-check and reads its exit code, with a time limit.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine/wine.sh"
wine32=$(wine_binary win32)
qemu=/var/cache/mdbswitch/qemu/qemu-i386
# ELF header of an i386 executable or shared object, and its mask.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

in_namespace() {
  # shellcheck disable=SC2016  # expanded by the inner shell
  unshare --user --map-root-user --mount --propagation private \
    bash -c '
      mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 125
      printf "%s" ":mdbswitch-i386:M::$1:$2:$3:F" >/proc/sys/fs/binfmt_misc/register || exit 125
      shift 3
      exec "$@"' bash "$magic" "$mask" "$qemu" "$@"
}

probe() {
  local mode=$1 dir="$root/build/wine32-check"
  mkdir -p "$dir"
  local source="$root/scripts/wine/wine32-check.c"
  if [ ! -f "$dir/check.exe" ] || [ "$source" -nt "$dir/check.exe" ]; then
    i686-w64-mingw32-gcc-win32 -O2 -s -o "$dir/check.exe" "$source" || return 1
  fi
  local run=(timeout -k 10 600 "$wine32" "$dir/check.exe")
  [ "$mode" = native ] || run=(in_namespace "${run[@]}")
  (
    wine_env "$dir/prefix-$mode"
    "${run[@]}" </dev/null >"$dir/$mode.log" 2>&1
    status=$?
    # The prefix's wine server would otherwise linger for a few seconds.
    timeout 30 "$(wine_server "$wine32")" -k >/dev/null 2>&1
    [ "$status" -eq 42 ]
  )
}

case "${1:-}" in
  check)
    if [ -z "$wine32" ]; then echo none; exit 0; fi
    if probe native; then echo native; exit 0; fi
    if [ -x "$qemu" ] && probe qemu; then echo qemu; exit 0; fi
    echo none
    ;;
  run)
    mode=${2:?mode}
    shift 2
    case "$mode" in
      native) exec "$@" ;;
      qemu) in_namespace "$@" ;;
      *) echo "wine32.sh: cannot run 32-bit programs in mode $mode" >&2; exit 2 ;;
    esac
    ;;
  *)
    echo "usage: $0 check | run MODE CMD..." >&2
    exit 2
    ;;
esac
