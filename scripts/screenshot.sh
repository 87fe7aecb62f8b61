#!/usr/bin/env bash
# Takes a picture of the settings window as a Japanese system shows it:
# builds MdbSwitch.exe (x64), starts it without arguments under Wine in a
# throwaway prefix on a private Xvfb display with LANG=ja_JP.UTF-8 and both
# Access generations registered, and saves the window as a PNG.
#   scripts/screenshot.sh [OUTPUT.png]      (default docs/frmMain.png)
# BUILD_DIR chooses the build tree (default build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${1:-docs/frmMain.png}
build=${BUILD_DIR:-build/win64}
state="$root/build/screenshot"
# shellcheck source=scripts/lib.sh
source scripts/lib.sh
wine=$(wine_binary win64)
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert

build_preset -B "$build" win64 MdbSwitch >/dev/null

# Ending the session's wine server on exit ends the window too.
wine_session "$state" "$wine"

reg() { "$wine" reg add "$@" /f >/dev/null 2>&1; }
# Setup of this prefix only: Wine draws the title bar itself (there is no
# window manager), and the Windows fonts the window names are mapped to the
# Japanese and Latin fonts that are installed here, as the caption test does.
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
wine_fonts "$wine"
reg 'HKCR\Access.Application.8\shell\open\command' /ve \
  /d '"C:\Program Files\Microsoft Office\Office\MSACCESS.EXE" /NOSTARTUP "%1"'
reg 'HKCR\Access.Application.9\shell\open\command' /ve \
  /d '"C:\Program Files\Microsoft Office\Office10\MSACCESS.EXE" /NOSTARTUP "%1"'
reg 'HKCR\.mdb' /ve /d 'MdbSwitch'

cp "$build/MdbSwitch.exe" "$state/MdbSwitch.exe"
"$wine" "$state/MdbSwitch.exe" >/dev/null 2>&1 &

# The window's X id, found by its caption.
window=
for _ in $(seq 1 100); do
  window=$(xwininfo -root -tree 2>/dev/null | grep "MdbVersionSwitch" | awk '{print $1}' | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the settings window did not appear" >&2; exit 1; }
sleep 2  # let it paint

mkdir -p "$(dirname "$out")"
geometry=$(xwininfo -id "$window" | awk '
  /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
  /Width:/ {w=$NF} /Height:/ {h=$NF}
  END {printf "%dx%d+%d+%d", w, h, x, y}')
xwd -root -silent | "$convert" xwd:- -crop "$geometry" +repage "$out"
echo "$out ($geometry)"
