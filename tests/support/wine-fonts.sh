#!/bin/sh
# Maps the Windows fonts that MdbSwitch's window asks for to the fonts
# installed here (fonts-ipafont-gothic, DejaVu), in the prefix WINEPREFIX,
# through Wine's font replacements, so that its captions take the room they
# take on Windows. The window's controls were sized for MS UI Gothic, whose
# Latin letters are about half the width of a kanji; IPAGothic's half-width
# letters come closest. The proportional IPAPGothic draws them wider and
# pushes "Access2000" past the end of its label. ＭＳ Ｐゴシック is mapped
# the same way for any text that names it; Lucida Sans Unicode, the title's
# face, goes to DejaVu Sans.
#   WINEPREFIX=... WINE=/usr/lib/wine/wine64 sh wine-fonts.sh
set -eu
export WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
wine=${WINE:-wine}
replace() {
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$1" /d "$2" /f \
    </dev/null >/dev/null 2>&1
}
replace 'MS UI Gothic' IPAGothic
replace 'ＭＳ Ｐゴシック' IPAGothic
replace 'ＭＳ ゴシック' IPAGothic
replace 'Lucida Sans Unicode' 'DejaVu Sans'
