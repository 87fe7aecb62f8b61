#!/bin/sh
# wine-session.sh start|stop STATE_DIR WINE
# start: a private Xvfb display and an initialised Wine prefix under STATE_DIR,
#        with a wine server that stays up between the test programs. With
#        MDB_WINE_VERSION set (e.g. winxp) the prefix reports that Windows
#        version; without it, Wine's default.
# stop:  ends the wine server and the display, so nothing outlives the suite.
set -u
action=$1 state=$2 wine=$3
export WINEPREFIX="$state/prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
server=wineserver
[ -x /usr/lib/wine/wineserver64 ] && [ "${wine##*/}" = wine64 ] && server=/usr/lib/wine/wineserver64

stop() {
  "$server" -k </dev/null >/dev/null 2>&1
  # A test program killed while it held a folder immutable (chattr +i)
  # would leave the build tree undeletable.
  if [ -d "$state/scratch" ] && command -v chattr >/dev/null 2>&1; then
    find "$state/scratch" -type d -exec chattr -i {} + >/dev/null 2>&1
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid" "$state/display"
  fi
  return 0
}

case "$action" in
  start)
    stop
    mkdir -p "$state" "$state/scratch"
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    [ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
    echo ":$n" >"$state/display"
    export DISPLAY=":$n"
    # The wine server and the services wineboot leaves running outlive this
    # script: they must not hold its output open, or CTest waits for them.
    "$server" -p </dev/null >"$state/wineserver.log" 2>&1
    "$wine" wineboot -u </dev/null >"$state/wineboot.log" 2>&1
    [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "Wine prefix was not created"; cat "$state/wineboot.log"; exit 1; }
    if [ -n "${MDB_WINE_VERSION:-}" ]; then
      "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$MDB_WINE_VERSION" /f </dev/null >/dev/null 2>&1
    else
      "$wine" reg delete 'HKCU\Software\Wine' /v Version /f </dev/null >/dev/null 2>&1
    fi
    # What a program now sees, e.g. "Microsoft Windows XP [Version 5.1.2600]".
    version=$("$wine" cmd /c ver </dev/null 2>/dev/null | tr -d '\r' | grep -m1 .)
    case "${MDB_WINE_VERSION:-}" in
      winxp) expect='5.1' ;;
      win2k) expect='5.0' ;;
      *) expect='' ;;
    esac
    case "$version" in
      *"$expect"*) ;;
      *) echo "the prefix reports \"$version\", not ${MDB_WINE_VERSION}"; exit 1 ;;
    esac
    echo "wine session on display :$n, prefix $WINEPREFIX, $version"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop STATE_DIR WINE" >&2
    exit 2
    ;;
esac
