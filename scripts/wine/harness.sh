#!/bin/sh
# The Wine side of the CTest harness (scripts/wine/wine.sh is the session).
#   harness.sh session start|stop STATE WINE   the suite's shared session
#   harness.sh run STATE WINE PROGRAM ARGS...  one Windows test program in it,
#                                              with a time limit
# For suites that need a prefix of their own for each case:
#   harness.sh prefix start STATE WINE [fonts]  boots the template of the
#       cases (with the settings window's font replacements when asked), then
#       ends its wine server so that the prefix can be copied
#   harness.sh prefix case STATE WINE EXE FILTER  runs the tests FILTER names
#       in a copy of the template, so that nothing of an earlier case is left;
#       the copy stays when the case fails, for a look at what was left
#   harness.sh prefix stop STATE WINE
set -u
# shellcheck source=scripts/wine/wine.sh
. "$(dirname "$0")/wine.sh"
case "${1:-} ${2:-}" in
  "session start") wine_session_start "$3" "$4" ;;
  "session stop" | "prefix stop") wine_session_stop "$3" "$4" ;;
  "run "*)
    wine_env "$2/prefix" "$2"
    wine=$3
    shift 3
    exec timeout -k 10 "${MDB_WINE_TIMEOUT:-240}" "$wine" "$@"
    ;;
  "prefix start")
    rm -rf "$3/cases" "$3/scratch"
    wine_session_start "$3" "$4" || exit 1
    if [ "${5:-}" = fonts ]; then wine_fonts "$4" || exit 1; fi
    wine_server_end "$4"
    ;;
  "prefix case")
    dir="$3/cases/$(printf '%s' "$6" | tr '/.*' '___')"
    rm -rf "$dir" "$3/scratch"
    mkdir -p "$dir" "$3/scratch"
    cp -a "$3/prefix" "$dir/prefix" || exit 1
    wine_env "$dir/prefix" "$3"
    timeout -k 10 360 "$4" "$5" --gtest_filter="$6"
    status=$?
    wine_server_end "$4"
    [ "$status" -eq 0 ] && rm -rf "$dir"
    exit "$status"
    ;;
  *) echo "usage: see $0" >&2; exit 2 ;;
esac
