# Sourced by the scripts that drive Wine by hand (main job, benchmark).
# wine_session DIR WINE: a private Xvfb display and a fresh prefix under DIR
# (tests/support/wine-session.sh), ended when the script exits, and the
# environment every Wine call of the script needs: that prefix and display,
# the Japanese locale, no Mono, Gecko or menu builder.
wine_session() {
  local dir=$1 wine=$2 support
  support="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/support/wine-session.sh"
  rm -rf "$dir"
  # shellcheck disable=SC2064  # the paths are fixed now, on purpose
  trap "sh '$support' stop '$dir' '$wine' >/dev/null 2>&1; true" EXIT
  sh "$support" start "$dir" "$wine" >/dev/null
  export WINEPREFIX="$dir/prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  DISPLAY=$(cat "$dir/display")
  export DISPLAY
}
