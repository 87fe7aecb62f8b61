#!/bin/sh
# Builds the MdbSwitch package:
#   build-msi.sh OUTPUT.msi VERSION ARCH EXE DLL SOURCE_DIR STAGE_DIR
# ARCH is x86 (the product: 32-bit Program Files and registry view) or x64.
# A rebuild of the same version replaces the installed one too (MajorUpgrade
# with the maximum version included), so Add/Remove Programs never shows two.
# wixl makes the database from MdbSwitch.wxs in STAGE_DIR, where the files
# to install are gathered; msibuild then sets what wixl cannot express.
# DLL is the package's custom actions. With MDB_SIGN_CERT and MDB_SIGN_KEY
# set (sign.sh), the finished package is signed.
set -eu
output=$1 version=$2 arch=$3 exe=$4 dll=$5 source=$6 stage=$7
here=$(cd "$(dirname "$0")" && pwd)
# Every version of MdbSwitch carries this code; never change it.
upgrade_code='{7C1D5E2A-4B8F-4E0B-9A61-3F52D7C08E14}'

case "$arch" in
  x86) programfiles=ProgramFilesFolder win64=no ;;
  x64) programfiles=ProgramFiles64Folder win64=yes ;;
  *) echo "unknown architecture: $arch" >&2; exit 2 ;;
esac

rm -rf "$stage"
mkdir -p "$stage"
cp "$exe" "$stage/MdbSwitch.exe"
cp "$dll" "$stage/MdbSwitchSetup.dll"
# The texts as Notepad reads them on every Windows, as the archive has them.
for pair in README.md:README.txt README.ja.md:README.ja.txt LICENSE.txt:LICENSE.txt; do
  python3 "$here/notepad_text.py" "$source/${pair%%:*}" "$stage/${pair#*:}"
done
cp "$source/res/MdbSwitch.ico" "$stage/"
# The database's code page: the Japanese texts below are stored in it.
printf '\n\n932\t_ForceCodepage\n' >"$stage/_ForceCodepage.idt"

partial="$output.part"
rm -f "$partial"
# wixl reports the shortcut's plain (not advertised) target as unimplemented;
# it writes it all the same.
(cd "$stage" && wixl -a "$arch" -D Version="$version" -D UpgradeCode="$upgrade_code" \
  -D ProgramFilesDir="$programfiles" -D Win64="$win64" \
  -o "$partial" "$here/MdbSwitch.wxs")

# The Japanese texts; the removal of the log on uninstall; the same version
# upgraded as well (513: migrate features, maximum included); the old version
# removed inside the new one's transaction, so that a failed upgrade puts it
# back; CLAIMMDB passed on to a managed install, with wixl's own two; the
# custom actions' types that wixl gets wrong (1: immediate DLL; 3393: DLL,
# rollback, no impersonation, its return ignored; 1089: DLL, deferred, as the
# user, its return ignored).
# msiinfo exports CRLF lines: the carriage return is no part of the value.
secure=$(msiinfo export "$partial" Property | tr -d '\r' |
  awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }')
# Every entry a public property's name: one that is not is never passed on.
case "$secure" in
  *[!A-Z_\;]*) echo "unexpected secure properties: $secure" >&2; exit 1 ;;
esac
description='.mdb ファイルを、作られた Access のバージョンで開きます。'
shortcut="Name='MDBSWSET|MdbSwitch の設定', Description='MdbSwitch の設定画面を開きます'"
downgrade='新しいバージョンの MdbSwitch がインストールされています。'
msibuild "$partial" -i "$stage/_ForceCodepage.idt" \
  -q "UPDATE Shortcut SET $shortcut WHERE Shortcut='Settings'" \
  -q "UPDATE LaunchCondition SET Description='$downgrade'
      WHERE Condition='NOT WIX_DOWNGRADE_DETECTED'" \
  -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode)
      VALUES ('Log', 'Program', 'MdbSwitch.Log', 'INSTALLDIR', 2)" \
  -q "DELETE FROM Upgrade WHERE ActionProperty='WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty)
      VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
  -q "UPDATE InstallExecuteSequence SET Sequence=1501 WHERE Action='RemoveExistingProducts'" \
  -q "UPDATE Property SET Value='$secure;CLAIMMDB' WHERE Property='SecureCustomProperties'" \
  -q "UPDATE Registry SET Value='$description' WHERE Name='ApplicationDescription'" \
  -q "UPDATE CustomAction SET Type=1 WHERE Action='PrepareMdb'" \
  -q "UPDATE CustomAction SET Type=1089 WHERE Action='ReleaseUserMdb'" \
  -q "UPDATE CustomAction SET Type=3393 WHERE Action='UndoApplyMdb' OR Action='UndoReleaseMdb'"
sh "$here/sign.sh" "$partial" "$output"
rm -f "$partial"
