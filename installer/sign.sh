#!/bin/sh
# sign.sh INPUT OUTPUT
# OUTPUT is INPUT signed with Authenticode when MDB_SIGN_CERT (a PEM
# certificate, with its chain) and MDB_SIGN_KEY (its PEM private key) name
# files; otherwise a plain copy, so that an unsigned build's bytes depend on
# its inputs only.
set -eu
input=$1 output=$2
rm -f "$output"
if [ -n "${MDB_SIGN_CERT:-}" ] && [ -n "${MDB_SIGN_KEY:-}" ]; then
  osslsigncode sign -certs "$MDB_SIGN_CERT" -key "$MDB_SIGN_KEY" -n MdbSwitch -h sha256 \
    -in "$input" -out "$output" >/dev/null
else
  cp "$input" "$output"
fi
