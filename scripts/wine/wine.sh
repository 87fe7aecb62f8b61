# shellcheck shell=sh
# The Wine session that every script and the CTest harness share, sourced.
# A session lives in a state folder STATE: its prefix (STATE/prefix), a
# private Xvfb display (named in STATE/display) and the logs of its start.
# Every Wine call runs in the Japanese locale of the program's home systems,
# without Mono, Gecko or the menu builder.

# wine_binary win32|win64: the Wine loader for programs of that architecture.
wine_binary() {
  case "$1" in
    win32) for w_bin in /usr/lib/wine/wine /usr/bin/wine; do
        [ -x "$w_bin" ] && echo "$w_bin" && return 0
      done ;;
    win64) [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64 && return 0
      command -v wine64 || command -v wine ;;
  esac
}

# wine_server WINE: the wine server that goes with that loader.
wine_server() {
  if [ "${1##*/}" = wine64 ] && [ -x /usr/lib/wine/wineserver64 ]; then
    echo /usr/lib/wine/wineserver64
  else
    echo wineserver
  fi
}

# wine_env PREFIX [STATE]: the environment of every Wine call, with the
# display of the session in STATE when it has one.
wine_env() {
  export WINEPREFIX="$1" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  if [ -n "${2:-}" ] && [ -f "$2/display" ]; then DISPLAY=$(cat "$2/display") && export DISPLAY; fi
}

# wine_path PATH: the Windows path that Wine's Z: drive shows for PATH.
wine_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# wine_server_end WINE: ends the wine server of WINEPREFIX and waits for it.
wine_server_end() {
  "$(wine_server "$1")" -k </dev/null >/dev/null 2>&1
  "$(wine_server "$1")" -w </dev/null >/dev/null 2>&1
  return 0
}

# wine_fonts WINE: maps the fonts MdbSwitch's window asks for to installed
# ones, so that its captions take the room they take on Windows: MS UI
# Gothic's Latin letters are half a kanji wide, as IPAGothic's are (the
# proportional IPAPGothic pushes "Access2000" past the end of its label).
wine_fonts() {
  for w_font in 'MS UI Gothic=IPAGothic' 'ＭＳ Ｐゴシック=IPAGothic' 'ＭＳ ゴシック=IPAGothic' \
    'Lucida Sans Unicode=DejaVu Sans'; do
    "$1" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${w_font%%=*}" /d "${w_font#*=}" /f \
      </dev/null >/dev/null 2>&1 || return 1
  done
}

# wine_session_start STATE WINE: a private display and an initialised prefix
# under STATE, with a wine server that stays up, and the environment set for
# them. With MDB_WINE_VERSION set (e.g. winxp) the prefix reports that
# Windows version; without it, Wine's default.
wine_session_start() {
  wine_session_stop "$1" "$2"
  mkdir -p "$1/scratch"
  # Xvfb takes the first free display itself, so that sessions started at
  # the same time never pick the same one.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display.number" \
    </dev/null >"$1/xvfb.log" 2>&1 &
  echo $! >"$1/xvfb.pid"
  w_i=0
  while [ ! -s "$1/display.number" ] && [ $w_i -lt 100 ]; do sleep 0.1; w_i=$((w_i + 1)); done
  [ -s "$1/display.number" ] || { echo "Xvfb did not start"; cat "$1/xvfb.log"; return 1; }
  echo ":$(cat "$1/display.number")" >"$1/display"
  wine_env "$1/prefix" "$1"
  # The wine server and the services wineboot leaves running outlive this
  # call: they must not hold its output open, or CTest waits for them.
  "$(wine_server "$2")" -p </dev/null >"$1/wineserver.log" 2>&1
  "$2" wineboot -u </dev/null >"$1/wineboot.log" 2>&1
  [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "Wine prefix was not created"; cat "$1/wineboot.log"; return 1; }
  if [ -n "${MDB_WINE_VERSION:-}" ]; then
    "$2" reg add 'HKCU\Software\Wine' /v Version /d "$MDB_WINE_VERSION" /f </dev/null >/dev/null 2>&1
  else
    "$2" reg delete 'HKCU\Software\Wine' /v Version /f </dev/null >/dev/null 2>&1
  fi
  # What a program now sees, e.g. "Microsoft Windows XP [Version 5.1.2600]".
  w_version=$("$2" cmd /c ver </dev/null 2>/dev/null | tr -d '\r' | grep -m1 .)
  case "${MDB_WINE_VERSION:-}" in winxp) w_expect=5.1 ;; win2k) w_expect=5.0 ;; *) w_expect= ;; esac
  case "$w_version" in
    *"$w_expect"*) echo "wine session on display $DISPLAY, prefix $WINEPREFIX, $w_version" ;;
    *) echo "the prefix reports \"$w_version\", not ${MDB_WINE_VERSION}"; return 1 ;;
  esac
}

# wine_session_stop STATE WINE: ends the wine server and the display, so that
# nothing outlives the session.
wine_session_stop() {
  WINEPREFIX="$1/prefix" "$(wine_server "$2")" -k </dev/null >/dev/null 2>&1
  # A test program killed while it held a folder immutable (chattr +i) or
  # mounted read-only over itself would leave the build tree undeletable.
  if [ -d "$1/scratch" ] && command -v chattr >/dev/null 2>&1; then
    find "$1/scratch" -type d -exec chattr -i {} + >/dev/null 2>&1
  fi
  # Shallowest first: a lazy unmount takes the copies inside it along.
  if [ -d "$1/scratch" ]; then
    awk -v dir="$(cd "$1/scratch" && pwd -P)/" 'index($5, dir) == 1 { print $5 }' \
      /proc/self/mountinfo | sort | while read -r w_mount; do
      umount -l "$w_mount" >/dev/null 2>&1
    done
  fi
  [ -f "$1/xvfb.pid" ] && kill "$(cat "$1/xvfb.pid")" 2>/dev/null
  rm -f "$1/xvfb.pid" "$1/display" "$1/display.number"
}

# wine_session DIR WINE: for a script that drives Wine by hand, a fresh
# session under DIR that ends when the script exits, and its environment.
wine_session() {
  rm -rf "$1"
  w_session_dir=$1 w_session_wine=$2
  trap 'wine_session_stop "$w_session_dir" "$w_session_wine" >/dev/null 2>&1 || true' EXIT
  # In a subshell, so that a caller's set -e cannot cut the start short.
  (wine_session_start "$1" "$2") >/dev/null || return 1
  wine_env "$1/prefix" "$1"
}
