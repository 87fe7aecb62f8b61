#!/bin/sh
# fresh-prefix.sh start STATE WINE [SETUP]
# fresh-prefix.sh case STATE WINE TEST_EXE FILTER
# fresh-prefix.sh stop STATE WINE
# For test suites that need a prefix of their own for each case.
# start: a private display and a freshly booted Wine prefix under STATE, the
#        template of the cases; SETUP, a shell script, runs once in it (with
#        WINEPREFIX and WINE set); then its wine server is ended so that the
#        prefix can be copied.
# case:  runs the tests FILTER names in a copy of the template, so that each
#        case begins on a machine where nothing of an earlier case is left; the
#        copy is kept when the case fails, for a look at what was left.
# stop:  ends the display and any wine server of the template.
set -u
action=$1 state=$2 wine=$3
here=$(cd "$(dirname "$0")" && pwd)
server=wineserver
[ -x /usr/lib/wine/wineserver64 ] && [ "${wine##*/}" = wine64 ] && server=/usr/lib/wine/wineserver64

case "$action" in
  start)
    rm -rf "$state/cases" "$state/scratch"
    sh "$here/wine-session.sh" start "$state" "$wine" || exit 1
    if [ -n "${4:-}" ]; then
      WINEPREFIX="$state/prefix" WINE="$wine" sh "$4" || exit 1
    fi
    WINEPREFIX="$state/prefix" "$server" -k </dev/null >/dev/null 2>&1
    WINEPREFIX="$state/prefix" "$server" -w </dev/null >/dev/null 2>&1
    ;;
  stop)
    sh "$here/wine-session.sh" stop "$state" "$wine"
    ;;
  case)
    exe=$4 filter=$5
    dir="$state/cases/$(printf '%s' "$filter" | tr '/.*' '___')"
    rm -rf "$dir" "$state/scratch"
    mkdir -p "$dir" "$state/scratch"
    cp -a "$state/prefix" "$dir/prefix" || exit 1
    export WINEPREFIX="$dir/prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
    export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    timeout -k 10 360 "$wine" "$exe" --gtest_filter="$filter"
    status=$?
    "$server" -k </dev/null >/dev/null 2>&1
    "$server" -w </dev/null >/dev/null 2>&1
    [ "$status" -eq 0 ] && rm -rf "$dir"
    exit "$status"
    ;;
  *)
    echo "usage: $0 start STATE WINE [SETUP] | case STATE WINE EXE FILTER | stop STATE WINE" >&2
    exit 2
    ;;
esac
