#!/usr/bin/env bash
# Signs one Windows program in place with osslsigncode (Authenticode, SHA-256), with the
# certificate that scripts/release.sh was given, passed in the environment:
#   NORVIK_SIGN_PKCS12 (a .p12/.pfx file) or NORVIK_SIGN_CERT + NORVIK_SIGN_KEY (PEM files);
#   NORVIK_SIGN_PASS_FILE (the key's password, optional); NORVIK_SIGN_TIMESTAMP (a time-stamping
#   server's address, optional); NORVIK_SIGN_URL (the product page, optional).
# makensis also calls it for the uninstaller it writes into the installer.
# Usage: installer/sign_file.sh FILE.exe
set -euo pipefail
file=$1
args=(sign -h sha256 -n "Norvik")
if [ -n "${NORVIK_SIGN_PKCS12:-}" ]; then
    args+=(-pkcs12 "$NORVIK_SIGN_PKCS12")
else
    args+=(-certs "$NORVIK_SIGN_CERT" -key "$NORVIK_SIGN_KEY")
fi
[ -z "${NORVIK_SIGN_PASS_FILE:-}" ] || args+=(-readpass "$NORVIK_SIGN_PASS_FILE")
[ -z "${NORVIK_SIGN_URL:-}" ] || args+=(-i "$NORVIK_SIGN_URL")
[ -z "${NORVIK_SIGN_TIMESTAMP:-}" ] || args+=(-ts "$NORVIK_SIGN_TIMESTAMP")
signed=$file.signed
rm -f "$signed"
osslsigncode "${args[@]}" -in "$file" -out "$signed" >/dev/null
mv -f "$signed" "$file"
