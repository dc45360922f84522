#!/usr/bin/env bash
# Makes the installers the updater's Wine tests download, from the stand-in installer:
# signed by the build's publisher, signed by a publisher whose name differs only in letter case,
# unsigned, signed but changed afterwards, and an older version signed by the build's publisher;
# and the publisher certificate's SHA-256 thumbprint (publisher.sha256). The certificates are
# self-made; Wine's WinVerifyTrust accepts a self-made root, so the signer's name decides.
# Usage: sign_test_installers.sh OUT_DIR FAKE_INSTALLER_EXE PUBLISHER_NAME OLD_INSTALLER_EXE
set -euo pipefail
out=$1 installer=$2 publisher=$3 old=$4
mkdir -p "$out"
cd "$out"

other=$(tr '[:upper:][:lower:]' '[:lower:][:upper:]' <<<"$publisher")
make_certificate() {  # make_certificate NAME COMMON_NAME
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=$2" \
        -addext "extendedKeyUsage=codeSigning" -keyout "$1.key" -out "$1.pem" 2>/dev/null
}
sign() {  # sign CERTIFICATE IN OUT
    rm -f "$3"
    osslsigncode sign -certs "$1.pem" -key "$1.key" -n "Norvik test installer" \
        -in "$2" -out "$3" >/dev/null
}

make_certificate publisher "$publisher"
make_certificate other "$other"
cp "$installer" installer-unsigned.exe
sign publisher "$installer" installer-good.exe
sign other "$installer" installer-other-publisher.exe
sign publisher "$old" installer-old-version.exe
openssl x509 -in publisher.pem -outform der | sha256sum | cut -c1-64 >publisher.sha256
# One byte of the program changed after signing: the signature no longer matches.
cp installer-good.exe installer-changed.exe
printf '\x5a' | dd of=installer-changed.exe bs=1 seek=4096 conv=notrunc status=none
