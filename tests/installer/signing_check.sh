#!/bin/sh
# signing_check.sh EXE DLL ARCH SOURCE_DIR SCRATCH
# Signs the built executable and a package made from it with a throw-away
# self-signed certificate, through the release's own sign.sh and
# build-msi.sh, and has osslsigncode verify both; without a certificate,
# sign.sh must hand the executable over unchanged.
set -eu
exe=$1 dll=$2 arch=$3 source=$4 scratch=$5
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=MdbSwitch test signer" \
  -keyout key.pem -out cert.pem >/dev/null 2>&1
status=0
verify() {
  if osslsigncode verify -CAfile cert.pem -in "$1" >verify.log 2>&1; then
    echo "signed and verified: $1"
  else
    echo "FAIL: osslsigncode does not accept $1:"
    cat verify.log
    status=1
  fi
}
MDB_SIGN_CERT=$PWD/cert.pem MDB_SIGN_KEY=$PWD/key.pem sh "$source/installer/sign.sh" "$exe" signed.exe
verify signed.exe
MDB_SIGN_CERT=$PWD/cert.pem MDB_SIGN_KEY=$PWD/key.pem \
  sh "$source/installer/build-msi.sh" "$PWD/signed.msi" 1.00 "$arch" "$PWD/signed.exe" "$dll" "$source" \
  "$PWD/stage" 2>&1 | grep -v unimplemented || true
verify signed.msi
# Unsigned: the very bytes, and nothing a verifier would take for a signature.
MDB_SIGN_CERT='' sh "$source/installer/sign.sh" "$exe" plain.exe
if ! cmp -s "$exe" plain.exe || osslsigncode verify -in plain.exe >/dev/null 2>&1; then
  echo "FAIL: an unsigned build changed the executable"
  status=1
fi
exit "$status"
