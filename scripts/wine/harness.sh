#!/bin/sh
# The Wine side of the CTest harness.
#   harness.sh session start|stop STATE WINE
#     The suite's shared session (scripts/wine/wine.sh) under STATE.
#   harness.sh run STATE WINE PROGRAM ARGS...
#     Runs one Windows test program in that session, with a time limit so
#     that nothing can hang the suite.
#   harness.sh prefix start STATE WINE [fonts]
#   harness.sh prefix case STATE WINE TEST_EXE FILTER
#   harness.sh prefix stop STATE WINE
#     For suites that need a prefix of their own for each case. start boots
#     a session under STATE, the template of the cases (with the font
#     replacements of the settings window when asked), then ends its wine
#     server so that the prefix can be copied. case runs the tests FILTER
#     names in a copy of the template, so that each case begins where nothing
#     of an earlier case is left; the copy is kept when the case fails, for a
#     look at what was left. stop ends the template's session.
set -u
# shellcheck source=scripts/wine/wine.sh
. "$(dirname "$0")/wine.sh"
kind=${1:-} action=${2:-}
case "$kind $action" in
  "session start") wine_session_start "$3" "$4" ;;
  "session stop") wine_session_stop "$3" "$4" ;;
  "run "*)
    state=$2 wine=$3
    shift 3
    wine_env "$state/prefix" "$state"
    exec timeout -k 10 "${MDB_WINE_TIMEOUT:-240}" "$wine" "$@"
    ;;
  "prefix start")
    state=$3 wine=$4
    rm -rf "$state/cases" "$state/scratch"
    wine_session_start "$state" "$wine" || exit 1
    if [ "${5:-}" = fonts ]; then wine_fonts "$wine" || exit 1; fi
    wine_server_end "$wine"
    ;;
  "prefix stop") wine_session_stop "$3" "$4" ;;
  "prefix case")
    state=$3 wine=$4 exe=$5 filter=$6
    dir="$state/cases/$(printf '%s' "$filter" | tr '/.*' '___')"
    rm -rf "$dir" "$state/scratch"
    mkdir -p "$dir" "$state/scratch"
    cp -a "$state/prefix" "$dir/prefix" || exit 1
    wine_env "$dir/prefix" "$state"
    timeout -k 10 360 "$wine" "$exe" --gtest_filter="$filter"
    status=$?
    wine_server_end "$wine"
    [ "$status" -eq 0 ] && rm -rf "$dir"
    exit "$status"
    ;;
  *)
    echo "usage: $0 session start|stop STATE WINE | run STATE WINE PROGRAM ARGS..." >&2
    echo "       $0 prefix start STATE WINE [fonts] | prefix case STATE WINE EXE FILTER | prefix stop STATE WINE" >&2
    exit 2
    ;;
esac
