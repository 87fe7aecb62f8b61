#!/bin/sh
# msi-session.sh start|stop STATE WINE
# msi-session.sh case STATE WINE TEST_EXE FILTER
# start: a private display and a freshly booted Wine prefix under STATE, the
#        template of the installer tests; its wine server is ended so that
#        the prefix can be copied.
# case:  runs the tests FILTER names in a copy of the template, so that each
#        case begins on a machine where MdbSwitch was never installed; the
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
    sh "$here/../support/wine-session.sh" start "$state" "$wine" || exit 1
    WINEPREFIX="$state/prefix" "$server" -k </dev/null >/dev/null 2>&1
    WINEPREFIX="$state/prefix" "$server" -w </dev/null >/dev/null 2>&1
    ;;
  stop)
    sh "$here/../support/wine-session.sh" stop "$state" "$wine"
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
    echo "usage: $0 start|stop STATE WINE | case STATE WINE TEST_EXE FILTER" >&2
    exit 2
    ;;
esac
